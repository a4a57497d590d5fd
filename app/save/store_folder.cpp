#include "save/store_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace dbx {

std::string StoreFolderName(const std::vector<std::string>& names, std::uint32_t store) {
    if (store < names.size()) {
        const std::string& name = names[store];
        const bool usable = !name.empty() && name != "." && name != ".." &&
                            name.find('/') == std::string::npos &&
                            name.find('\0') == std::string::npos;
        if (usable) return name;
    }
    return "Store " + std::to_string(std::uint64_t(store) + 1);
}

std::string MakeStoreFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return {};
    const int error = errno;
    struct stat st {};
    // Made by an earlier save, or a link to a folder: used as it is.
    if (error == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {};
    return "cannot create " + path + ": " + std::strerror(error);
}

}  // namespace dbx
