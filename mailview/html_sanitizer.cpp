#include "html_sanitizer.h"

#include <gumbo.h>

#include <vector>

#include "css_sanitizer.h"
#include "html_nesting.h"
#include "html_policy.h"

namespace dbx {
namespace {

// Mail programs show deeper markup flattened; the tree builder's cost grows with the square of
// the depth, so it is never handed more.
constexpr std::size_t kMaxDepth = 128;
constexpr std::size_t kMaxTags = 200000;

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += attribute ? "&quot;" : "\"";
                break;
            case '\0':
                break;
            default:
                out += c;
        }
    }
}

std::string_view ElementName(const GumboElement& element) {
    if (element.tag == GUMBO_TAG_UNKNOWN) return {};
    return gumbo_normalized_tagname(element.tag);
}

class TreeWriter {
  public:
    TreeWriter(const CidResolver& resolve, SanitizedHtml& out) : resolve_(resolve), out_(out) {}

    void Document(const GumboNode* root) {
        if (!root || root->type != GUMBO_NODE_ELEMENT) return;
        const GumboNode* head = nullptr;
        const GumboNode* body = nullptr;
        const GumboVector& children = root->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type != GUMBO_NODE_ELEMENT) continue;
            if (child->v.element.tag == GUMBO_TAG_HEAD) head = child;
            if (child->v.element.tag == GUMBO_TAG_BODY) body = child;
        }
        // Of the head, only its style sheets matter to the mail's look.
        if (head) StyleSheets(head);
        if (!body) return;
        const std::string attributes = Attributes(body->v.element, "body");
        if (!attributes.empty()) {
            out_.html += "<body";
            out_.html += attributes;
            out_.html += '>';
        }
        Children(body);
    }

  private:
    void StyleSheets(const GumboNode* head) {
        const GumboVector& children = head->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == GUMBO_TAG_STYLE) {
                StyleElement(child);
            }
        }
    }

    void StyleElement(const GumboNode* style) {
        std::string sheet;
        const GumboVector& children = style->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) {
                sheet += child->v.text.text;
            }
        }
        const std::string safe = SanitizeStyleSheet(sheet, &out_.remoteImages);
        if (!safe.empty()) out_.html += "<style>" + safe + "</style>";
    }

    // The tree below `parent`, walked without recursion: the depth is bounded, but the stack
    // of this thread is not spent on it.
    void Children(const GumboNode* parent) {
        struct Frame {
            const GumboNode* node;
            unsigned next;
            std::string_view endTag;  // empty: the element was left out, its content kept
        };
        std::vector<Frame> stack;
        stack.push_back({parent, 0, {}});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            const GumboVector& children = frame.node->v.element.children;
            if (frame.next >= children.length) {
                if (!frame.endTag.empty()) {
                    out_.html += "</";
                    out_.html += frame.endTag;
                    out_.html += '>';
                }
                stack.pop_back();
                continue;
            }
            const auto* child = static_cast<const GumboNode*>(children.data[frame.next++]);
            switch (child->type) {
                case GUMBO_NODE_TEXT:
                case GUMBO_NODE_WHITESPACE:
                case GUMBO_NODE_CDATA:
                    AppendEscaped(out_.html, child->v.text.text, false);
                    break;
                case GUMBO_NODE_ELEMENT: {
                    std::string_view endTag;
                    if (Element(child, &endTag)) stack.push_back({child, 0, endTag});
                    break;
                }
                default:  // comments, templates, the document
                    break;
            }
        }
    }

    // Writes the start of an element; true when its content is to be written (inside
    // `*endTag`, unless that is left empty).
    bool Element(const GumboNode* node, std::string_view* endTag) {
        const GumboElement& element = node->v.element;
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML) return false;
        const std::string_view name = ElementName(element);
        if (element.tag == GUMBO_TAG_STYLE) {
            StyleElement(node);
            return false;
        }
        switch (name.empty() ? ElementRule::Unwrap : RuleForElement(name)) {
            case ElementRule::Drop:
                return false;
            case ElementRule::Unwrap:
                return true;
            case ElementRule::Keep:
                break;
        }
        if (element.tag == GUMBO_TAG_BODY) return true;  // a second body: its content only
        out_.html += '<';
        out_.html += name;
        out_.html += Attributes(element, name);
        if (element.tag == GUMBO_TAG_TEXTAREA) out_.html += " readonly";
        out_.html += ">";
        if (IsVoidElement(name)) return false;
        *endTag = name;
        return true;
    }

    std::string Attributes(const GumboElement& element, std::string_view name) {
        std::string out;
        for (unsigned i = 0; i < element.attributes.length; ++i) {
            const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            if (attribute->attr_namespace != GUMBO_ATTR_NAMESPACE_NONE) continue;
            const std::string_view key = attribute->name;
            const std::string_view value = attribute->value;
            std::string kept;
            if (key == "href") {
                if (name != "a") continue;
                const std::string address = CleanAddress(value);
                if (!IsAllowedLink(address)) continue;
                kept = address;
            } else if (key == "src" || key == "background") {
                if (key == "src" ? name != "img"
                                 : !(name == "body" || name == "table" || name == "td" ||
                                     name == "th" || name == "tr")) {
                    continue;
                }
                kept = Picture(CleanAddress(value));
                if (kept.empty()) continue;
            } else if (key == "style") {
                kept = SanitizeStyleAttribute(value, &out_.remoteImages);
                if (kept.empty()) continue;
            } else if (IsPlainAttribute(name, key)) {
                kept = value;
            } else {
                continue;
            }
            out += " ";
            out += key;
            out += "=\"";
            AppendEscaped(out, kept, true);
            out += "\"";
        }
        return out;
    }

    // The address a picture is shown from, or empty when it is not shown.
    std::string Picture(const std::string& address) {
        const std::string_view cid = ContentIdOf(address);
        if (!cid.empty()) return resolve_ ? resolve_(cid) : std::string();
        if (IsInlinePicture(address)) return address;
        if (IsRemotePicture(address)) ++out_.remoteImages;
        return {};
    }

    const CidResolver& resolve_;
    SanitizedHtml& out_;
};

}  // namespace

SanitizedHtml SanitizeMailHtml(std::string_view html, const CidResolver& resolveCid) {
    SanitizedHtml out;
    const BoundedHtml bounded = BoundHtmlNesting(html, kMaxDepth, kMaxTags);
    out.cut = bounded.cut;
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;  // hostile markup is all errors: none are kept
    GumboOutput* tree =
        gumbo_parse_with_options(&options, bounded.html.data(), bounded.html.size());
    if (!tree) return out;
    out.html.reserve(bounded.html.size() + bounded.html.size() / 8);
    TreeWriter(resolveCid, out).Document(tree->root);
    gumbo_destroy_output(&options, tree);
    return out;
}

}  // namespace dbx
