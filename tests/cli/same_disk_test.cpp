#include <gtest/gtest.h>

#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

#include "same_disk.h"
#include "test_support.h"

namespace dbx::cli {
namespace {

namespace fs = std::filesystem;

TEST(SameDisk, PartitionsOfOneDiskAreOneDiskAndOthersAreNot) {
    // A /sys/dev/block as the kernel lays it out: numbers linking to devices, partitions
    // inside their disk with a "partition" file.
    test::TempDir dir;
    const fs::path root = dir.File("sys");
    const fs::path devices = root / "devices";
    for (const char* p : {"sda/sda1", "sda/sda2", "sdb/sdb1"}) {
        fs::create_directories(devices / p);
        std::ofstream(devices / p / "partition") << "1\n";
    }
    const fs::path block = root / "dev" / "block";
    fs::create_directories(block);
    fs::create_directory_symlink(devices / "sda", block / "8:0");
    fs::create_directory_symlink(devices / "sda" / "sda1", block / "8:1");
    fs::create_directory_symlink(devices / "sda" / "sda2", block / "8:2");
    fs::create_directory_symlink(devices / "sdb" / "sdb1", block / "8:17");

    const std::string sys = block.string();
    EXPECT_TRUE(SameDisk(makedev(8, 0), makedev(8, 2), sys));  // the disk and a partition
    EXPECT_TRUE(SameDisk(makedev(8, 1), makedev(8, 2), sys));  // two partitions
    EXPECT_FALSE(SameDisk(makedev(8, 1), makedev(8, 17), sys));
    EXPECT_FALSE(SameDisk(makedev(8, 1), makedev(0, 44), sys));  // unknown: no disk
    EXPECT_TRUE(SameDisk(makedev(0, 44), makedev(0, 44), sys));
}

TEST(SameDisk, AnImageFileIsNoDiskToProtect) {
    test::TempDir dir;
    const std::string image = dir.File("disk.img");
    std::ofstream(image) << "bytes";
    EXPECT_FALSE(OutputOnInputDisk(image, dir.File("out")));
}

}  // namespace
}  // namespace dbx::cli
