#include "store_header.h"

#include <cstdint>

#include "little_endian.h"
#include "store_layout.h"

namespace dbx {
namespace {

using layout::kMessageFolderMagic;
using layout::kStoreMagic;
constexpr std::uint64_t kFolderNameAt = 0x24BC + 0x105;
constexpr std::size_t kMostNameBytes = 255;

}  // namespace

std::optional<std::string> ReadStoreFolderName(const StoreFile& file) {
    std::uint8_t magic[8];
    if (file.ReadAt(0, magic, sizeof magic) != sizeof magic) return std::nullopt;
    if (LoadU32(magic) != kStoreMagic || LoadU32(magic + 4) != kMessageFolderMagic) {
        return std::nullopt;
    }
    std::string name(kMostNameBytes, '\0');
    name.resize(file.ReadAt(kFolderNameAt, name.data(), name.size()));
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    if (name.empty()) return std::nullopt;
    return name;
}

}  // namespace dbx
