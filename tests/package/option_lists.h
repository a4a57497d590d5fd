#pragma once

#include <map>
#include <set>
#include <string>

namespace dbx::test {

// What a program's --help says it understands (the layout of CLI11's help).
struct HelpOptions {
    std::set<std::string> options;                        // "-h", "--help", "--format", ...
    std::map<std::string, std::set<std::string>> values;  // "--format" -> "table", "json", ...
    std::set<std::string> commands;                       // "scan", "extract"
};
HelpOptions ReadHelp(const std::string& help);

// What a manual page documents: the options named in the tags of its .TP items, those of
// section OPTIONS and those of each command (one .SS per command in section COMMANDS), and the
// tags of section EXIT STATUS.
struct ManOptions {
    std::set<std::string> options;
    std::map<std::string, std::set<std::string>> commands;
    std::set<std::string> exitStatuses;
};
ManOptions ReadManPage(const std::string& roff);

// The words of `text`, one a line, as a set.
std::set<std::string> Lines(const std::string& text);

}  // namespace dbx::test
