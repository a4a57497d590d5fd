#include "existing_copies.h"

#include <filesystem>
#include <fstream>

namespace dbx {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxFiles = 1000000;

bool SameBytes(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary);
    std::ifstream fb(b, std::ios::binary);
    if (!fa || !fb) return false;
    char ba[65536];
    char bb[65536];
    for (;;) {
        fa.read(ba, sizeof ba);
        fb.read(bb, sizeof bb);
        const std::streamsize na = fa.gcount();
        if (na != fb.gcount() || !std::equal(ba, ba + na, bb)) return false;
        if (na == 0 || !fa) return !fb.read(bb, 1).gcount();
    }
}

}  // namespace

ExistingCopies::ExistingCopies(const std::string& folder) {
    std::error_code ec;
    std::size_t count = 0;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        const std::uint64_t size = it->file_size(ec);
        if (ec) continue;
        bySize_[size].push_back(it->path().string());
        if (++count >= kMaxFiles) break;
    }
}

std::string ExistingCopies::Find(const std::string& path) const {
    std::error_code ec;
    const std::uint64_t size = fs::file_size(path, ec);
    if (ec) return {};
    const auto it = bySize_.find(size);
    if (it == bySize_.end()) return {};
    for (const std::string& candidate : it->second) {
        if (candidate != path && SameBytes(candidate, path)) return candidate;
    }
    return {};
}

}  // namespace dbx
