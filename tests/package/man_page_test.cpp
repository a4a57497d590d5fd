// The manual pages document every option and command that --help lists, and nothing else, so
// that a new option without its entry in the page fails here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "option_lists.h"
#include "package_paths.h"
#include "program_run.h"
#include "test_support.h"

namespace dbx::test {
namespace {

const std::set<std::string> kHelpOption{"-h", "--help"};

std::set<std::string> Without(std::set<std::string> options, const std::set<std::string>& gone) {
    for (const std::string& option : gone) options.erase(option);
    return options;
}

TEST(ManPages, TheToolsPageDocumentsEachCommandWithItsOptions) {
    const HelpOptions top = ReadHelp(CliHelp());
    ManOptions page = ReadManPage(ManPage("dbxrecover.1"));
    // The help is read as it is laid out: the known commands and options are found in it.
    ASSERT_EQ(top.commands, (std::set<std::string>{"scan", "extract"}));
    ASSERT_TRUE(top.options.count("--version"));

    EXPECT_EQ(page.options, top.options) << "section OPTIONS against dbxrecover --help";
    std::set<std::string> documented;
    for (const auto& [command, options] : page.commands) documented.insert(command);
    EXPECT_EQ(documented, top.commands) << "the commands of section COMMANDS";
    for (const std::string& command : top.commands) {
        const HelpOptions help = ReadHelp(CliHelp({command}));
        ASSERT_TRUE(help.options.count("--help")) << command;
        // --help of a command is documented once, with the others in section OPTIONS.
        EXPECT_EQ(page.commands[command], Without(help.options, kHelpOption))
            << "command " << command << " against dbxrecover " << command << " --help";
    }
}

// The tool's exit statuses are the enumerators kExit... = N of its headers.
TEST(ManPages, TheToolsPageDocumentsEveryExitStatus) {
    std::set<std::string> used;
    const std::regex status("kExit[A-Za-z]+ = ([0-9]+)");
    for (const auto& entry : std::filesystem::directory_iterator(DBXR_SOURCE_DIR "/cli")) {
        if (entry.path().extension() != ".h") continue;
        const std::string header = ReadWholeFile(entry.path().string());
        for (auto it = std::sregex_iterator(header.begin(), header.end(), status);
             it != std::sregex_iterator(); ++it) {
            used.insert((*it)[1]);
        }
    }
    ASSERT_TRUE(used.count("130"));
    EXPECT_EQ(ReadManPage(ManPage("dbxrecover.1")).exitStatuses, used);
}

TEST(ManPages, TheDesktopProgramsPageDocumentsItsOptions) {
    if (GuiPath().empty()) GTEST_SKIP() << "built without the desktop program";
    const ProgramResult help = RunProgram({GuiPath(), "--help"});
    ASSERT_EQ(help.exitCode, 0);
    const HelpOptions options = ReadHelp(help.out);
    ASSERT_EQ(options.options, (std::set<std::string>{"-h", "--help", "--version"}));
    EXPECT_EQ(ReadManPage(ManPage("dbxrecover-gui.1")).options, options.options);
}

TEST(ManPages, ReadTheTagsOfEachSectionAndCommand) {
    ManOptions page = ReadManPage(
        ".SH OPTIONS\n.TP\n.BR \\-h \", \" \\-\\-help\nText that names \\-\\-other.\n"
        ".SH COMMANDS\n.SS \"scan \\fISTORE\\fP\"\n.TP\n.BI \\-\\-format \" FORMAT\"\n"
        ".TP\n\\fB\\-\\-dry\\-run\\fR\n.SS \"extract\"\n.TP\n.I STORE\n.SH \"EXIT STATUS\"\n"
        ".TP\n.B 130\nStopped.\n.SH EXAMPLES\n.TP\n.B \\-\\-late\n");
    EXPECT_EQ(page.options, (std::set<std::string>{"-h", "--help"}));
    EXPECT_EQ(page.commands["scan"], (std::set<std::string>{"--format", "--dry-run"}));
    EXPECT_TRUE(page.commands.count("extract"));
    EXPECT_TRUE(page.commands["extract"].empty());
    EXPECT_EQ(page.exitStatuses, std::set<std::string>{"130"});
}

// groff's warnings are what man and lintian show; the pages must have none.
TEST(ManPages, FormatWithoutWarnings) {
    if (std::system("command -v groff >/dev/null 2>&1") != 0) GTEST_SKIP() << "no groff";
    std::vector<std::string> pages{"dbxrecover.1"};
    if (!GuiPath().empty()) pages.push_back("dbxrecover-gui.1");
    for (const std::string& page : pages) {
        const ProgramResult run = RunProgram({"/bin/sh", "-c", "groff -man -ww -z -Tutf8 \"$0\"",
                                              std::string(DBXR_MAN_DIR) + "/" + page});
        EXPECT_EQ(run.exitCode, 0) << page;
        EXPECT_EQ(run.err, "") << page;
    }
}

}  // namespace
}  // namespace dbx::test
