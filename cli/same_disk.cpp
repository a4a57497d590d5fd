#include "same_disk.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <system_error>

namespace dbx::cli {
namespace {

namespace fs = std::filesystem;

// The name of the disk behind a device number ("sda" for sda1), empty when unknown.
std::string DiskOf(dev_t dev, const std::string& sysRoot) {
    const fs::path link =
        fs::path(sysRoot) / (std::to_string(major(dev)) + ":" + std::to_string(minor(dev)));
    std::error_code ec;
    fs::path device = fs::canonical(link, ec);
    if (ec) return {};
    if (fs::exists(device / "partition", ec)) device = device.parent_path();
    return device.filename().string();
}

}  // namespace

bool SameDisk(dev_t a, dev_t b, const std::string& sysRoot) {
    if (a == b) return true;
    const std::string diskA = DiskOf(a, sysRoot);
    return !diskA.empty() && diskA == DiskOf(b, sysRoot);
}

bool OutputOnInputDisk(const std::string& input, const std::string& outDir) {
    struct stat in {};
    if (::stat(input.c_str(), &in) != 0 || !S_ISBLK(in.st_mode)) return false;
    std::error_code ec;
    fs::path folder = fs::absolute(outDir, ec);
    if (ec) return false;
    struct stat out {};
    while (::stat(folder.c_str(), &out) != 0) {
        if (!folder.has_parent_path() || folder.parent_path() == folder) return false;
        folder = folder.parent_path();
    }
    return SameDisk(in.st_rdev, out.st_dev);
}

}  // namespace dbx::cli
