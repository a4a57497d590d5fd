// Bash completion of dbxrecover, run in a real bash: it offers what --help lists.
#include <gtest/gtest.h>

#include <fstream>

#include "option_lists.h"
#include "package_paths.h"
#include "program_run.h"
#include "test_support.h"

namespace dbx::test {
namespace {

// What the completion offers for a command line whose last word is being completed.
std::set<std::string> Complete(const std::vector<std::string>& words) {
    std::vector<std::string> argv{"/bin/bash", "-c",
                                  "source \"$0\" && COMP_WORDS=(\"$@\") && "
                                  "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && _dbxrecover && "
                                  "printf '%s\\n' \"${COMPREPLY[@]}\"",
                                  DBXR_COMPLETION};
    argv.insert(argv.end(), words.begin(), words.end());
    const ProgramResult run = RunProgram(argv);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return Lines(run.out);
}

std::set<std::string> Names(const std::set<std::string>& paths, const std::string& dir) {
    std::set<std::string> names;
    for (const std::string& path : paths) names.insert(path.substr(dir.size()));
    return names;
}

TEST(Completion, OffersTheCommandsAndEachCommandsOptionsAsHelpListsThem) {
    const HelpOptions top = ReadHelp(CliHelp());
    ASSERT_FALSE(top.commands.empty());
    std::set<std::string> first = top.commands;
    first.insert(top.options.begin(), top.options.end());
    EXPECT_EQ(Complete({"dbxrecover", ""}), first);
    for (const std::string& command : top.commands) {
        const HelpOptions help = ReadHelp(CliHelp({command}));
        ASSERT_GE(help.options.size(), 3u) << command;
        EXPECT_EQ(Complete({"dbxrecover", command, "-"}), help.options) << command;
    }
}

TEST(Completion, OffersTheValuesHelpListsForAnOption) {
    for (const std::string& command : ReadHelp(CliHelp()).commands) {
        for (const auto& [option, values] : ReadHelp(CliHelp({command})).values) {
            EXPECT_EQ(Complete({"dbxrecover", command, option, ""}), values)
                << command << " " << option;
        }
    }
    // "--format=j" and "--format j" alike.
    EXPECT_EQ(Complete({"dbxrecover", "scan", "--format", "=", "j"}),
              std::set<std::string>{"json"});
    EXPECT_EQ(Complete({"dbxrecover", "scan", "--format", "="}),
              (std::set<std::string>{"table", "json", "csv"}));
    EXPECT_TRUE(Complete({"dbxrecover", "extract", "--prefix", ""}).empty());
}

TEST(Completion, OffersCodePagesTheToolAccepts) {
    TempDir dir;
    const std::string empty = dir.File("empty.dbx");
    std::ofstream(empty).close();
    const std::set<std::string> pages = Complete({"dbxrecover", "scan", "--codepage", ""});
    ASSERT_TRUE(pages.count("windows-1252"));
    ASSERT_TRUE(pages.count("windows-1251"));
    for (const std::string& page : pages) {
        const ProgramResult scan = RunProgram({CliPath(), "scan", "--codepage", page, empty});
        EXPECT_EQ(scan.exitCode, 0) << page << ": " << scan.err;
    }
    EXPECT_EQ(Complete({"dbxrecover", "extract", "--codepage", "windows-125"}).size(), 9u);
}

TEST(Completion, OffersStoresAndFoldersButNotOtherFiles) {
    TempDir dir;
    const std::string base = dir.Path().string() + "/";
    std::filesystem::create_directory(base + "Old Mail");
    for (const char* name : {"Inbox.dbx", "SENT.DBX", "notes.txt", "Old Mail/Deleted.dbx"}) {
        std::ofstream(base + name).close();
    }
    EXPECT_EQ(Names(Complete({"dbxrecover", "scan", base}), base),
              (std::set<std::string>{"Inbox.dbx", "SENT.DBX", "Old Mail"}));
    EXPECT_EQ(Names(Complete({"dbxrecover", "extract", "--deep", base + "In"}), base),
              std::set<std::string>{"Inbox.dbx"});
    // Output goes to folders; the mbox file may be any new name.
    EXPECT_EQ(Names(Complete({"dbxrecover", "extract", "--out", base}), base),
              std::set<std::string>{"Old Mail"});
    EXPECT_EQ(Names(Complete({"dbxrecover", "extract", "--mbox", base + "n"}), base),
              std::set<std::string>{"notes.txt"});
}

TEST(Completion, LeavesOutOptionsAlreadyGivenOrExcluded) {
    const std::set<std::string> afterDeep = Complete({"dbxrecover", "scan", "--deep", "--"});
    EXPECT_FALSE(afterDeep.count("--deep"));
    EXPECT_TRUE(afterDeep.count("--format"));
    const std::set<std::string> afterStatus =
        Complete({"dbxrecover", "extract", "--status", "deleted", "--"});
    for (const char* gone : {"--status", "--all", "--offset"})
        EXPECT_FALSE(afterStatus.count(gone));
    EXPECT_TRUE(afterStatus.count("--out"));
    const std::set<std::string> afterOffset =
        Complete({"dbxrecover", "extract", "--offset", "512", "--"});
    EXPECT_TRUE(afterOffset.count("--offset"));
    EXPECT_FALSE(afterOffset.count("--all"));
}

}  // namespace
}  // namespace dbx::test
