#include "package_paths.h"

#include "program_run.h"
#include "test_support.h"

namespace dbx::test {

std::string CliPath() {
    return DBXRECOVER_PATH;
}

std::string GuiPath() {
#ifdef DBXRECOVER_GUI_PATH
    return DBXRECOVER_GUI_PATH;
#else
    return {};
#endif
}

std::string ManPage(const std::string& name) {
    return ReadWholeFile(std::string(DBXR_MAN_DIR) + "/" + name);
}

std::string CliHelp(const std::vector<std::string>& command) {
    std::vector<std::string> argv{CliPath()};
    argv.insert(argv.end(), command.begin(), command.end());
    argv.push_back("--help");
    return RunProgram(argv).out;
}

}  // namespace dbx::test
