#include "common/empty_folder.h"

#include <filesystem>

namespace dbx {

int EmptyFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(fs::symlink_status(folder, error))) return 0;
    int left = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        std::error_code removeError;
        // remove_all does not follow a link: it removes the link itself.
        fs::remove_all(entry.path(), removeError);
        if (removeError) ++left;
    }
    return left;
}

bool RemoveFolder(const std::string& folder) {
    if (folder.empty() || EmptyFolder(folder) != 0) return false;
    std::error_code error;
    // A link under the folder's name is not ours to follow: only a real folder goes.
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, error))) {
        return false;
    }
    return std::filesystem::remove(folder, error);
}

}  // namespace dbx
