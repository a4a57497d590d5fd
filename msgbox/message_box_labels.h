#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "markup_message_box.h"

namespace dbx {

// Where the labels of one box come from.
struct LabelSources {
    const ButtonLabelMap* map = nullptr;
    const ResourceRegistry* strings = nullptr;  // null: the program's own
    bool noResources = false;                   // style bit kMbNoResources
};

// The English label of a button id or label key; "" for ids without one.
std::string BuiltInLabel(std::int32_t id);
// The string-table id of a label; 0 for ids without one.
int LabelStringId(std::int32_t id);

// First non-empty of: the label map entry, the string table, `callerDefault`, the built-in label.
std::string ResolveLabel(std::int32_t id, const LabelSources& sources,
                         const std::string& callerDefault = {});

// The labels of the caller's buttons: carriage returns dropped, one label per non-empty line,
// at most four.
std::vector<std::string> CustomButtonLines(const std::string& text);

// Fills a "%s ... %d" pattern: every %s gives `text`, every %d (or %i, %u) gives `count`, "%%"
// gives "%", other conversions give nothing. A pattern from a string table or a label map can
// thus never read arguments that are not there.
std::string FormatLabel(const std::string& pattern, const std::string& text, int count);

}  // namespace dbx
