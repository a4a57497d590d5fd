#include "preview/preview_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "output_path.h"

namespace dbx {
namespace {

// A real folder (not a link) of ours that nobody else may enter.
bool IsOurPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

}  // namespace

std::string MakePrivateFolder() {
    std::error_code error;
    std::string base = std::filesystem::temp_directory_path(error).string();
    if (error || base.empty()) base = "/tmp";
    // mkdtemp makes a new folder of mode 0700 under a fresh name, or fails: nothing that
    // already lies there (a link included) is ever used.
    std::string path = JoinPath(base, "dbxrecover-XXXXXX");
    return ::mkdtemp(path.data()) ? path : std::string();
}

std::string RunPreviewFolder() {
    static std::string folder = MakePrivateFolder();
    if (!folder.empty() && IsOurPrivateFolder(folder)) return folder;
    // Removed (Exit removes it; a window opened after that needs one again): a new one is
    // made under a fresh name, so whatever now lies under the old name is never used.
    if (!folder.empty() && !std::filesystem::exists(std::filesystem::symlink_status(folder))) {
        folder = MakePrivateFolder();
        if (!folder.empty() && IsOurPrivateFolder(folder)) return folder;
    }
    return {};
}

}  // namespace dbx
