// One version number, from the top CMakeLists, wherever the programs and the package show it.
#include <gtest/gtest.h>

#include <regex>

#include "package_paths.h"
#include "program_run.h"
#include "test_support.h"

namespace dbx::test {
namespace {

const std::string kVersion = DBXR_VERSION;

// The .TH line of a manual page: name, section, date, source and version, manual.
std::string Heading(const std::string& page) {
    const auto start = page.find(".TH ");
    return start == std::string::npos ? "" : page.substr(start, page.find('\n', start) - start);
}

TEST(Version, BothProgramsAndTheirManualPagesShowTheProjectVersion) {
    const ProgramResult cli = RunProgram({CliPath(), "--version"});
    EXPECT_EQ(cli.exitCode, 0);
    EXPECT_EQ(cli.out, "dbxrecover " + kVersion + "\n");
    EXPECT_NE(Heading(ManPage("dbxrecover.1")).find("\"dbxrecover " + kVersion + "\""),
              std::string::npos);
    if (GuiPath().empty()) return;
    const ProgramResult gui = RunProgram({GuiPath(), "--version"});
    EXPECT_EQ(gui.exitCode, 0);
    EXPECT_EQ(gui.out, "dbxrecover-gui " + kVersion + "\n");
    EXPECT_NE(Heading(ManPage("dbxrecover-gui.1")).find("\"dbxrecover " + kVersion + "\""),
              std::string::npos);
}

// The Debian changelog and the AppStream data name releases by hand: the newest must be this one.
TEST(Version, TheNewestReleaseNotesNameTheProjectVersion) {
    const std::string changelog = ReadWholeFile(DBXR_SOURCE_DIR "/packaging/changelog");
    EXPECT_EQ(changelog.substr(0, changelog.find('\n')),
              "dbxrecover (" + kVersion + ") unstable; urgency=medium");
    const std::string metainfo =
        ReadWholeFile(DBXR_SOURCE_DIR "/res/example.varnook_tobrin.dbxrecover.metainfo.xml");
    std::smatch release;
    ASSERT_TRUE(std::regex_search(metainfo, release, std::regex("<release version=\"([^\"]*)\"")));
    EXPECT_EQ(release[1], kVersion);
}

// --help and --version answer before the window system is asked for, so they work on a
// machine without a display, and say so when they cannot be written.
TEST(Version, TheDesktopProgramAnswersWithoutADisplay) {
    if (GuiPath().empty()) GTEST_SKIP() << "built without the desktop program";
    for (const char* option : {"--version", "--help", "-h"}) {
        const ProgramResult run = RunProgram(
            {{GuiPath(), option}, {"QT_QPA_PLATFORM=xcb", "PATH=/usr/bin:/bin"}, true, {}});
        EXPECT_EQ(run.exitCode, 0) << option << ": " << run.err;
        EXPECT_NE(run.out.find("dbxrecover-gui"), std::string::npos) << option;
        EXPECT_EQ(run.err, "") << option;
    }
    const ProgramResult full = RunProgram({{GuiPath(), "--version"}, {}, false, "/dev/full"});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "dbxrecover-gui: cannot write to standard output\n");
}

}  // namespace
}  // namespace dbx::test
