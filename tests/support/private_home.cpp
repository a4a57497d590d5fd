#include "private_home.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

namespace dbx::test {

PrivateHome::PrivateHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dbxr-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    const std::filesystem::path root = pattern;
    const std::pair<const char*, const char*> folders[] = {{"HOME", "home"},
                                                           {"XDG_CONFIG_HOME", "config"},
                                                           {"XDG_DATA_HOME", "data"},
                                                           {"XDG_CACHE_HOME", "cache"},
                                                           {"XDG_STATE_HOME", "state"},
                                                           {"XDG_RUNTIME_DIR", "run"},
                                                           {"TMPDIR", "tmp"}};
    for (const auto& [variable, name] : folders) {
        const std::string path = (root / name).string();
        // The runtime folder must be private (0700) or Qt refuses it.
        if (mkdir(path.c_str(), 0700) != 0 || setenv(variable, path.c_str(), 1) != 0) {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
            return;
        }
    }
    root_ = root.string();
}

PrivateHome::~PrivateHome() {
    if (root_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

}  // namespace dbx::test
