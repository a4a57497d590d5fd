#include "sanitized_html_check.h"

#include <gumbo.h>

#include <vector>

#include "css_sanitizer.h"
#include "html_policy.h"

namespace dbx::fuzz {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

// What style written by the sanitizer never holds, however it is spelled.
std::string UnsafeStyle(std::string_view style) {
    const std::string lower = Lower(style);
    for (const char* bad : {"url(", "\\", "expression(", "image-set(", "@import", "@font-face",
                            "/*", "<", "src(", "var(", "attr("}) {
        if (lower.find(bad) != std::string::npos) return std::string("style holds ") + bad;
    }
    return {};
}

std::string CheckAttribute(std::string_view element, const GumboAttribute& attribute,
                           std::string_view pictureBase) {
    const std::string_view name = attribute.name;
    const std::string_view value = attribute.value;
    const std::string where =
        std::string(element) + " " + std::string(name) + "=" + std::string(value) + ": ";
    if (attribute.attr_namespace != GUMBO_ATTR_NAMESPACE_NONE) return where + "namespaced";
    if (name == "href") {
        if (element != "a" || !IsAllowedLink(value) || CleanAddress(value) != value) {
            return where + "link not allowed";
        }
        return {};
    }
    if (name == "src" || name == "background") {
        if (value.substr(0, pictureBase.size()) != pictureBase && !IsInlinePicture(value)) {
            return where + "picture from elsewhere";
        }
        return {};
    }
    if (name == "style") {
        const std::string unsafe = UnsafeStyle(value);
        if (!unsafe.empty()) return where + unsafe;
        if (SanitizeStyleAttribute(value, nullptr) != value) return where + "style not stable";
        return {};
    }
    if (name == "readonly" && element == "textarea") return {};
    if (!IsPlainAttribute(element, name)) return where + "attribute not allowed";
    return {};
}

std::string CheckElement(const GumboNode* node, std::string_view pictureBase) {
    const GumboElement& element = node->v.element;
    if (element.tag_namespace != GUMBO_NAMESPACE_HTML) return "foreign element";
    if (element.tag == GUMBO_TAG_UNKNOWN) return "unknown element";
    const std::string_view name = gumbo_normalized_tagname(element.tag);
    if (name == "style") {
        std::string sheet;
        for (unsigned i = 0; i < element.children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(element.children.data[i]);
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) {
                sheet += child->v.text.text;
            }
        }
        const std::string unsafe = UnsafeStyle(sheet);
        if (!unsafe.empty()) return "sheet: " + unsafe;
        if (SanitizeStyleSheet(sheet, nullptr) != sheet) return "sheet not stable: " + sheet;
    } else if (name != "html" && name != "head" && name != "body" &&
               RuleForElement(name) != ElementRule::Keep) {
        return "element " + std::string(name);
    }
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const std::string problem = CheckAttribute(
            name, *static_cast<const GumboAttribute*>(element.attributes.data[i]), pictureBase);
        if (!problem.empty()) return problem;
    }
    return {};
}

}  // namespace

std::string FindUnsafeMarkup(std::string_view html, std::string_view pictureBase) {
    GumboOutput* tree = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    if (!tree) return "unreadable";
    std::string problem;
    std::vector<const GumboNode*> pending = {tree->root};
    while (!pending.empty() && problem.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) continue;
        problem = CheckElement(node, pictureBase);
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            pending.push_back(static_cast<const GumboNode*>(children.data[i]));
        }
    }
    gumbo_destroy_output(&kGumboDefaultOptions, tree);
    return problem;
}

}  // namespace dbx::fuzz
