#include "message_box_labels.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace dbx {
namespace {

struct LabelEntry {
    std::int32_t id;
    int stringId;
    const char* text;
};

constexpr LabelEntry kLabels[] = {
    {kIdOk, 9001, "OK"},
    {kIdCancel, 9002, "Cancel"},
    {kIdAbort, 9005, "Abort"},
    {kIdRetry, 9004, "Retry"},
    {kIdIgnore, 9003, "Ignore"},
    {kIdYes, 9007, "Yes"},
    {kIdNo, 9008, "No"},
    {kIdHelp, 9006, "Help"},
    {kIdTryAgain, 9015, "Try again"},
    {kIdContinue, 9009, "Continue"},
    {kIdSkip, 9018, "Skip"},
    {kIdSkipAll, 9019, "Skip all"},
    {kIdIgnoreAll, 9017, "Ignore all"},
    {kIdYesToAll, 9013, "Yes to all"},
    {kIdNoToAll, 9014, "No to all"},
    {kIdReport, 9016, "Report"},
    {kIdMoreOpen, 9011, "<< More"},
    {kIdMore, 9010, "More >>"},
    {kCheckBoxLabelKey, 9012, "Do not show again"},
    {kCountdownFormatKey, 9020, "%s (%d seconds remaining)"},
};

const LabelEntry* Find(std::int32_t id) {
    const auto* it = std::find_if(std::begin(kLabels), std::end(kLabels),
                                  [id](const LabelEntry& e) { return e.id == id; });
    return it == std::end(kLabels) ? nullptr : it;
}

}  // namespace

std::string BuiltInLabel(std::int32_t id) {
    const LabelEntry* entry = Find(id);
    return entry ? entry->text : "";
}

int LabelStringId(std::int32_t id) {
    const LabelEntry* entry = Find(id);
    return entry ? entry->stringId : 0;
}

std::string ResolveLabel(std::int32_t id, const LabelSources& sources,
                         const std::string& callerDefault) {
    if (sources.map) {
        const auto it = sources.map->find(id);
        if (it != sources.map->end()) {
            std::string text = it->second.Resolve(sources.strings, sources.noResources);
            if (!text.empty()) return text;
        }
    }
    if (const int stringId = LabelStringId(id); stringId != 0) {
        std::string text = TextOrId::Id(stringId).Resolve(sources.strings, sources.noResources);
        if (!text.empty()) return text;
    }
    if (!callerDefault.empty()) return callerDefault;
    return BuiltInLabel(id);
}

std::vector<std::string> CustomButtonLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text + '\n') {
        if (c == '\r') continue;
        if (c != '\n') {
            line.push_back(c);
            continue;
        }
        if (!line.empty()) lines.push_back(std::move(line));
        line.clear();
        if (lines.size() == 4) break;
    }
    return lines;
}

std::string FormatLabel(const std::string& pattern, const std::string& text, int count) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out.push_back(pattern[i]);
            continue;
        }
        std::size_t j = i + 1;
        if (j < pattern.size() && pattern[j] == '%') {
            out.push_back('%');
            i = j;
            continue;
        }
        // Flags, width, precision and length modifiers are skipped up to the conversion letter.
        const auto skip = [&](std::string_view set) {
            while (j < pattern.size() && set.find(pattern[j]) != std::string_view::npos) ++j;
        };
        skip("-+ #0123456789.*");
        skip("hlLqjzt");
        if (j >= pattern.size() || !std::isalpha(static_cast<unsigned char>(pattern[j]))) {
            out.push_back('%');  // not a conversion: the sign stays as written
            continue;
        }
        const char conversion = pattern[j];
        if (conversion == 's') out += text;
        if (conversion == 'd' || conversion == 'i' || conversion == 'u') {
            out += std::to_string(count);
        }
        i = j;
    }
    return out;
}

}  // namespace dbx
