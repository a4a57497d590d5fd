#include "store_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "file_names.h"
#include "little_endian.h"
#include "store_file.h"
#include "store_layout.h"

namespace dbx::cli {
namespace {

namespace fs = std::filesystem;

using layout::kMessageFolderMagic;
using layout::kStoreMagic;
constexpr std::size_t kMaxStores = 10000;

std::string Lowered(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool MayHoldMessages(const std::string& path) {
    StoreFile file;
    if (!file.Open(path)) return true;  // the scan will say what is wrong with it
    std::uint8_t header[8];
    if (file.ReadAt(0, header, sizeof header) != sizeof header) return true;
    return LoadU32(header) != kStoreMagic || LoadU32(header + 4) == kMessageFolderMagic;
}

bool ListStoreFolder(const std::string& folder, std::vector<FolderStore>& stores,
                     std::string& error) {
    std::error_code ec;
    std::vector<fs::path> paths;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        const std::string lower = Lowered(p.filename().string());
        if (!lower.ends_with(".dbx") || !it->is_regular_file(ec)) continue;
        if (lower == "folders.dbx" || lower == "offline.dbx" || lower == "pop3uidl.dbx") continue;
        paths.push_back(p);
        if (paths.size() >= kMaxStores) break;
    }
    if (ec) {
        error = ec.message();
        return false;
    }
    std::sort(paths.begin(), paths.end());
    UniqueNames names;
    for (const fs::path& p : paths) {
        if (!MayHoldMessages(p.string())) continue;
        stores.push_back({p.string(), names.Take(SafeFileName(p.stem().string()))});
    }
    return true;
}

}  // namespace dbx::cli
