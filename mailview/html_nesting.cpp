#include "html_nesting.h"

#include <algorithm>
#include <array>
#include <vector>

#include "ascii_text.h"

namespace dbx {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
template <std::size_t N>
bool OneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

constexpr std::array<std::string_view, 20> kVoid = {
    "area", "base",  "basefont", "bgsound", "br",   "col",   "embed",  "frame", "hr",  "image",
    "img",  "input", "keygen",   "link",    "meta", "param", "source", "track", "wbr", "isindex"};
// Their content is text up to their own end tag (but not inside SVG or MathML, and not
// <noscript>, whose content the tree builder reads as markup).
constexpr std::array<std::string_view, 9> kRawText = {
    "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes", "plaintext"};
// An end tag does not reach past these to close an element opened outside them.
constexpr std::array<std::string_view, 12> kScopes = {"html",     "table",  "td",     "th",
                                                      "caption",  "applet", "object", "marquee",
                                                      "template", "svg",    "math",   "button"};
// A start tag of these closes an open one of its group first (a new row closes the row).
struct Group {
    std::array<std::string_view, 3> members;
    std::array<std::string_view, 4> until;
};
constexpr std::array<Group, 6> kGroups = {{
    {{"li", "", ""}, {"ul", "ol", "menu", "table"}},
    {{"dt", "dd", ""}, {"dl", "table", "", ""}},
    {{"tr", "", ""}, {"table", "", "", ""}},
    {{"td", "th", ""}, {"tr", "table", "", ""}},
    {{"thead", "tbody", "tfoot"}, {"table", "", "", ""}},
    {{"option", "optgroup", ""}, {"select", "", "", ""}},
}};
// Formatting elements closed by another element's tag are opened again around later text.
constexpr std::array<std::string_view, 14> kFormatting = {
    "a",    "b", "big",   "code",   "em",     "font", "i",
    "nobr", "s", "small", "strike", "strong", "tt",   "u"};
// Start tags that close an open paragraph.
constexpr std::array<std::string_view, 32> kClosesParagraph = {
    "address", "article",  "aside",  "blockquote", "center", "details", "dir",  "div",
    "dl",      "fieldset", "figure", "footer",     "form",   "h1",      "h2",   "h3",
    "h4",      "h5",       "h6",     "header",     "hr",     "main",    "menu", "nav",
    "ol",      "p",        "pre",    "section",    "table",  "ul",      "li",   "summary"};

class Bounder {
  public:
    Bounder(std::string_view in, std::size_t maxDepth, std::size_t maxTags)
        : in_(in), maxDepth_(maxDepth), maxTags_(maxTags) {
        out_.html.reserve(in.size());
    }

    BoundedHtml Run() {
        std::size_t copied = 0;
        while (pos_ < in_.size()) {
            const std::size_t lt = in_.find('<', pos_);
            if (lt == std::string_view::npos) break;
            pos_ = lt;
            const std::size_t start = pos_;
            const Verdict verdict = Markup();
            if (verdict == Verdict::Cut) {
                out_.html.append(in_.substr(copied, start - copied));
                out_.cut = true;
                return std::move(out_);
            }
            if (verdict == Verdict::Drop) {
                out_.html.append(in_.substr(copied, start - copied));
                copied = pos_;
                out_.cut = true;
            }
        }
        out_.html.append(in_.substr(copied));
        return std::move(out_);
    }

  private:
    enum class Verdict { Keep, Drop, Cut };

    Verdict Markup() {
        const std::string_view rest = in_.substr(pos_);
        if (rest.substr(0, 4) == "<!--") {
            SkipComment();
            return Verdict::Keep;
        }
        if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?')) {
            const std::size_t end = in_.find('>', pos_ + 1);
            pos_ = end == std::string_view::npos ? in_.size() : end + 1;
            return Verdict::Keep;
        }
        const bool end = rest.size() > 2 && rest[1] == '/' && IsAlpha(rest[2]);
        if (!end && !(rest.size() > 1 && IsAlpha(rest[1]))) {
            ++pos_;
            return Verdict::Keep;
        }
        if (++tags_ > maxTags_) return Verdict::Cut;
        const std::string name = ReadTag(end ? 2 : 1);
        if (end) {
            EndTag(name);
            return Verdict::Keep;
        }
        if (OneOf(name, kRawText) && !InForeignContent()) {
            SkipRawText(name);
            return Verdict::Keep;
        }
        if (OneOf(name, kVoid)) return Verdict::Keep;
        CloseImplied(name);
        // A cell starts afresh: formatting from outside it is not opened again inside.
        if (name == "td" || name == "th" || name == "caption") detached_ = 0;
        if (stack_.size() + detached_ >= maxDepth_) return Verdict::Drop;
        stack_.push_back(name);
        return Verdict::Keep;
    }

    // Reads the tag at pos_ (its name from `nameOffset`) up to its ">", quoted values
    // included; returns its name in lower case.
    std::string ReadTag(std::size_t nameOffset) {
        std::size_t i = pos_ + nameOffset;
        std::string name;
        while (i < in_.size() && !IsSpace(in_[i]) && in_[i] != '/' && in_[i] != '>') {
            if (name.size() < 32) name += AsciiLower(in_[i]);
            ++i;
        }
        char quote = 0;
        bool afterEquals = false;
        for (; i < in_.size(); ++i) {
            const char c = in_[i];
            if (quote) {
                if (c == quote) quote = 0;
                continue;
            }
            if (c == '>') {
                pos_ = i + 1;
                return name;
            }
            if ((c == '"' || c == '\'') && afterEquals) {
                quote = c;
                afterEquals = false;
                continue;
            }
            if (c == '=') {
                afterEquals = true;
            } else if (!IsSpace(c)) {
                afterEquals = false;
            }
        }
        pos_ = in_.size();
        return name;
    }

    // A comment ends where a browser ends it: "<!-->" and "<!--->" are whole comments, and
    // "--!>" closes one as "-->" does.
    void SkipComment() {
        const std::size_t start = pos_ + 4;
        if (in_.substr(start, 1) == ">" || in_.substr(start, 2) == "->") {
            pos_ = in_.find('>', start) + 1;
            return;
        }
        for (std::size_t dashes = in_.find("--", start); dashes != std::string_view::npos;
             dashes = in_.find("--", dashes + 1)) {
            if (in_.substr(dashes + 2, 1) == ">") {
                pos_ = dashes + 3;
                return;
            }
            if (in_.substr(dashes + 2, 2) == "!>") {
                pos_ = dashes + 4;
                return;
            }
        }
        pos_ = in_.size();
    }

    // Inside SVG or MathML every element is markup; taking one for raw text would hide the
    // depth of what follows it.
    bool InForeignContent() const {
        return std::any_of(stack_.begin(), stack_.end(),
                           [](const std::string& open) { return open == "svg" || open == "math"; });
    }

    void SkipRawText(const std::string& name) {
        if (name == "plaintext") {
            pos_ = in_.size();
            return;
        }
        for (std::size_t i = in_.find("</", pos_); i != std::string_view::npos;
             i = in_.find("</", i + 2)) {
            if (!StartsWithNoCase(in_.substr(i + 2), name)) continue;
            const std::size_t after = i + 2 + name.size();
            if (after >= in_.size() || IsSpace(in_[after]) || in_[after] == '/' ||
                in_[after] == '>') {
                pos_ = i;
                ReadTag(2);
                return;
            }
        }
        pos_ = in_.size();
    }

    // Closes the open elements from `index` on; formatting elements among them that were not
    // closed by name stay counted, as the tree builder opens them again.
    void CloseFrom(std::size_t index, bool byName) {
        for (std::size_t i = index + (byName ? 1 : 0); i < stack_.size(); ++i) {
            if (OneOf(stack_[i], kFormatting)) ++detached_;
        }
        stack_.resize(index);
    }

    // Pops to the innermost open element named `name`, unless a scope lies in between; false
    // when none is open.
    bool PopTo(std::string_view name, bool throughCells) {
        for (std::size_t i = stack_.size(); i-- > 0;) {
            if (stack_[i] == name) {
                CloseFrom(i, true);
                return true;
            }
            if (OneOf(stack_[i], kScopes) &&
                !(throughCells && (stack_[i] == "td" || stack_[i] == "th"))) {
                return false;
            }
        }
        return false;
    }

    void EndTag(const std::string& name) {
        if (name == "br" || name == "p") return;  // both open new elements instead
        const bool rowLevel = name == "tr" || name == "tbody" || name == "thead" ||
                              name == "tfoot" || name == "table";
        if (!PopTo(name, rowLevel) && detached_ > 0 && OneOf(name, kFormatting)) --detached_;
    }

    void CloseImplied(const std::string& name) {
        for (const Group& group : kGroups) {
            if (!OneOf(name, group.members)) continue;
            for (std::size_t i = stack_.size(); i-- > 0;) {
                if (OneOf(stack_[i], group.members)) {
                    CloseFrom(i, false);
                    break;
                }
                if (OneOf(stack_[i], group.until)) break;
            }
        }
        if (OneOf(name, kClosesParagraph)) PopTo("p", false);
    }

    std::string_view in_;
    std::size_t maxDepth_;
    std::size_t maxTags_;
    std::size_t pos_ = 0;
    std::size_t tags_ = 0;
    std::size_t detached_ = 0;
    std::vector<std::string> stack_;
    BoundedHtml out_;
};

}  // namespace

BoundedHtml BoundHtmlNesting(std::string_view html, std::size_t maxDepth, std::size_t maxTags) {
    return Bounder(html, maxDepth, maxTags).Run();
}

}  // namespace dbx
