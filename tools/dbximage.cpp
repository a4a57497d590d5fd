// Writes a disk image holding generated stores, as a disk holds deleted ones: the first whole at
// a partition start (sector 63), the others cut into pieces at random clusters, all among
// random bytes. Usage: dbximage [--size BYTES] [--stores N] [--messages M] [--piece BYTES]
// [--seed S] [--force] IMAGE
#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "image_builder.h"
#include "store_generator.h"

namespace {

std::uint64_t Number(const std::string& text) {
    std::size_t used = 0;
    std::uint64_t n = std::stoull(text, &used);
    const std::string unit = text.substr(used);
    if (unit == "k" || unit == "K") n <<= 10;
    if (unit == "M") n <<= 20;
    if (unit == "G") n <<= 30;
    return n;
}

}  // namespace

constexpr char kUsage[] =
    "usage: dbximage [--size BYTES] [--stores N] [--messages M] [--piece BYTES] [--seed S] "
    "[--force] IMAGE";

int main(int argc, char** argv) {
    std::uint64_t size = 512ull << 20;
    std::uint64_t stores = 3;
    std::uint64_t messages = 200;
    std::uint64_t piece = 64 << 10;
    std::uint64_t seed = 1;
    bool force = false;
    std::string image;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--size") {
                size = Number(value());
            } else if (arg == "--stores") {
                stores = Number(value());
            } else if (arg == "--messages") {
                messages = Number(value());
            } else if (arg == "--piece") {
                piece = Number(value());
            } else if (arg == "--seed") {
                seed = Number(value());
            } else if (arg == "--force") {
                force = true;
            } else if (arg == "--help") {
                std::puts(kUsage);
                return 0;
            } else if (arg.starts_with("-") || !image.empty()) {
                throw std::invalid_argument("unknown argument " + arg + "\n" + kUsage);
            } else {
                image = arg;
            }
        }
        if (image.empty() || stores == 0) throw std::invalid_argument(kUsage);
        const char* names[] = {"Inbox", "Sent Items", "Deleted Items", "Drafts", "Outbox"};
        dbx::gen::ImageBuilder disk(image, size, force);
        disk.Random(0, size, seed);
        constexpr std::uint64_t kPartition = 63 * dbx::gen::ImageBuilder::kSector;
        for (std::uint64_t k = 0; k < stores; ++k) {
            const std::string part = image + ".store";
            dbx::gen::GeneratorOptions options;
            options.messageCount = std::uint32_t(messages);
            options.deletedCount = 0;
            options.seed = seed + k + 1;
            options.folderName = names[k % 5];
            options.overwrite = true;
            dbx::gen::GenerateStore(part, options);
            const std::vector<std::uint8_t> bytes = dbx::gen::ReadFileBytes(part);
            std::remove(part.c_str());
            if (k == 0) {
                disk.Put(kPartition, bytes);
            } else {
                disk.Scatter(bytes, piece, kPartition + bytes.size() + (1 << 20), size, 4096,
                             seed * 31 + k);
            }
        }
        disk.Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dbximage: %s\n", e.what());
        return 1;
    }
    return 0;
}
