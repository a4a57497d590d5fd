#include "text_preparation.h"

namespace dbx::markup {
namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t hit = text.find(from); hit != std::string::npos;
         hit = text.find(from, start)) {
        out.append(text, start, hit - start);
        out.append(to);
        start = hit + from.size();
    }
    if (start == 0) return;
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

}  // namespace

ReplacementMap ReplacementMap::Entities() {
    ReplacementMap map;
    map.Add("&amp;", "&");
    map.Add("&bull;", "\x95");
    map.Add("&copy;", "\xA9");
    // The euro sign of Windows-1252, the code page texts are shown in.
    map.Add("&euro;", "\x80");
    map.Add("&gt;", ">");
    map.Add("&iquest;", "\xBF");
    map.Add("&lt;", "<<");
    map.Add("&nbsp;", " ");
    map.Add("&para;", "\xB6");
    map.Add("&pound;", "\xA3");
    map.Add("&quot;", "\"");
    map.Add("&reg;", "\xAE");
    map.Add("&trade;", "\x99");
    return map;
}

void ReplacementMap::Add(std::string from, std::string to) {
    if (from.empty()) return;
    entries_[std::move(from)] = std::move(to);
}

std::string ReplacementMap::Apply(std::string_view text) const {
    std::string out(text);
    for (const auto& [from, to] : entries_) ReplaceAll(out, from, to);
    return out;
}

std::string PrepareText(std::string_view text, const ReplacementMap& replacements,
                        bool lineBreaks) {
    const std::string replaced = replacements.Apply(text);
    std::string out;
    out.reserve(replaced.size());
    for (char c : replaced) {
        if (c == '\r') continue;
        if (c == '\n' || c == '\t') {
            if (lineBreaks) out.append(c == '\n' ? "<br>" : "<t>");
            continue;
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace dbx::markup
