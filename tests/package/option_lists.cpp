#include "option_lists.h"

#include <regex>
#include <sstream>
#include <vector>

namespace dbx::test {

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Option names ("-h", "--dry-run") in a text of words separated by spaces and commas.
std::set<std::string> OptionNames(const std::string& text) {
    static const std::regex name("(^|[\\s,\\[|])(--?[A-Za-z][A-Za-z0-9-]*)");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), name);
         it != std::sregex_iterator(); ++it) {
        names.insert((*it)[2]);
    }
    return names;
}

// A roff line as plain text: font changes, quotes and macro names gone, "\-" a hyphen.
std::string PlainRoff(std::string line) {
    if (!line.empty() && line[0] == '.') {
        const auto space = line.find(' ');
        line = space == std::string::npos ? "" : line.substr(space + 1);
    }
    line = std::regex_replace(line, std::regex("\\\\f[BIRP]"), "");
    line = std::regex_replace(line, std::regex("\\\\-"), "-");
    line = std::regex_replace(line, std::regex("\""), "");
    return line;
}

}  // namespace

HelpOptions ReadHelp(const std::string& help) {
    HelpOptions read;
    std::string section;
    for (const std::string& line : SplitLines(help)) {
        if (!line.empty() && line[0] != ' ' && line.back() == ':') {
            section = line;
            continue;
        }
        if (line.rfind("  ", 0) != 0 || line.size() < 3 || line[2] == ' ') continue;
        // The item's own column ends where two spaces lead to its description.
        const std::string item = line.substr(2, line.find("  ", 2) - 2);
        const std::string first = item.substr(0, item.find(' '));
        if (section == "Subcommands:") {
            read.commands.insert(first);
        } else if (section == "Options:") {
            const std::set<std::string> names = OptionNames(first);
            read.options.insert(names.begin(), names.end());
            const auto open = item.find('{'), close = item.find('}');
            if (open == std::string::npos || close == std::string::npos || close < open) continue;
            std::istringstream values(item.substr(open + 1, close - open - 1));
            for (std::string value; std::getline(values, value, ',');) {
                for (const std::string& option : names) read.values[option].insert(value);
            }
        }
    }
    return read;
}

ManOptions ReadManPage(const std::string& roff) {
    ManOptions read;
    std::string section, command;
    bool tag = false;
    for (const std::string& line : SplitLines(roff)) {
        if (line.rfind(".SH", 0) == 0) {
            section = PlainRoff(line);
            command.clear();
        } else if (line.rfind(".SS", 0) == 0 && section == "COMMANDS") {
            const std::string heading = PlainRoff(line);
            command = heading.substr(0, heading.find(' '));
            read.commands[command];
        } else if (line.rfind(".TP", 0) == 0) {
            tag = true;
            continue;
        } else if (tag && section == "EXIT STATUS") {
            read.exitStatuses.insert(PlainRoff(line));
        } else if (tag) {
            const std::set<std::string> names = OptionNames(PlainRoff(line));
            if (section == "OPTIONS") read.options.insert(names.begin(), names.end());
            if (section == "COMMANDS" && !command.empty()) {
                read.commands[command].insert(names.begin(), names.end());
            }
        }
        tag = false;
    }
    return read;
}

std::set<std::string> Lines(const std::string& text) {
    std::set<std::string> lines;
    for (const std::string& line : SplitLines(text)) {
        if (!line.empty()) lines.insert(line);
    }
    return lines;
}

}  // namespace dbx::test
