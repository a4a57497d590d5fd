// dbxgen: writes a demo or benchmark store shaped like an Outlook Express 6 folder, with a
// manifest of what a scan should find in it.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store_damage.h"
#include "store_generator.h"

namespace {

const char kUsage[] =
    "Usage: dbxgen [options] OUT.dbx\n"
    "Writes a store laid out like an Outlook Express 6 message folder.\n"
    "\n"
    "  --size BYTES      fill the file to this size (suffixes k, M, G: powers of 1024)\n"
    "  --messages N      write N listed messages instead (default: 100 without --size)\n"
    "  --deleted N|P%    deleted messages: a count, or a share such as 10%\n"
    "                    (default 10%; with --size a count is approached, never passed)\n"
    "  --seed S          the same seed gives the same bytes (default 1)\n"
    "  --damage          wiped records, zeroed blocks and garbage where no listed\n"
    "                    message lives\n"
    "  --folder NAME     folder name in the file info (default Inbox)\n"
    "  Damage to listed messages, each to N of them (the manifest then says per\n"
    "  message what was done and what must come back: damage, expect, expect_bytes,\n"
    "  tail_offset, tail_bytes):\n"
    "  --zero-records N      live records wiped, their chains intact\n"
    "  --break-chains N      a block in the middle of the chain wiped\n"
    "  --wipe-first-blocks N the first block of the chain wiped\n"
    "  --orphan-freed N      freed records of deleted messages wiped\n"
    "  --loop-chains N       the last block leads back to the first\n"
    "  --next-past-end N     the last block names a next block past the end\n"
    "  --prepend BYTES       garbage put before the store (suffixes k, M, G)\n"
    "  --cut BYTES           the store's start cut off (suffixes k, M, G)\n"
    "  --manifest FILE   one JSON object per listed message and line: index,\n"
    "                    record_offset, body_offset, status, from, from_name, to,\n"
    "                    to_name, subject, date_seconds (time received, as a scan\n"
    "                    reports it), sent_seconds, body_size. Texts keep the stored\n"
    "                    windows-1252 bytes: byte 0xNN is written as \\u00NN.\n"
    "  --bodies DIR      each body, exactly as in its blocks, as DIR/<body_offset>.eml\n"
    "  --force           replace OUT.dbx when it exists (it is never replaced otherwise)\n"
    "  --quiet           print nothing on success\n"
    "  --help            this text\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::cerr << "dbxgen: " << problem << "\n\n" << kUsage;
    std::exit(2);
}

std::uint64_t ParseCount(std::string_view option, const std::string& text, bool suffixes) {
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        if (text.empty() || text[0] == '-') throw std::invalid_argument(text);
        value = std::stoull(text, &used, 10);
    } catch (const std::exception&) {
        Usage(std::string(option) + " takes a number, not \"" + text + "\"");
    }
    std::string_view rest = std::string_view(text).substr(used);
    if (suffixes && rest.size() == 1) {
        const int shift = rest == "k" || rest == "K"   ? 10
                          : rest == "M" || rest == "m" ? 20
                          : rest == "G" || rest == "g" ? 30
                                                       : -1;
        if (shift < 0)
            Usage(std::string(option) + ": unknown suffix \"" + std::string(rest) + "\"");
        if (value > (~0ull >> shift)) Usage(std::string(option) + " is too large");
        return value << shift;
    }
    if (!rest.empty()) Usage(std::string(option) + " takes a number, not \"" + text + "\"");
    return value;
}

std::uint32_t Count32(std::string_view option, const std::string& text) {
    const std::uint64_t n = ParseCount(option, text, false);
    if (n > 0xFFFFFFFFu) Usage(std::string(option) + " is too large");
    return std::uint32_t(n);
}

}  // namespace

int main(int argc, char** argv) {
    dbx::gen::GeneratorOptions options;
    dbx::gen::ChainDamage damage;
    std::string out;
    std::string manifestPath;
    std::string bodiesDir;
    bool quiet = false;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--size") {
            options.targetSize = ParseCount(arg, value(), true);
            if (options.targetSize == 0) Usage("--size must be above 0");
        } else if (arg == "--messages") {
            const std::uint64_t n = ParseCount(arg, value(), false);
            if (n == 0 || n > 0xFFFFFFFFu) Usage("--messages must be between 1 and 4294967295");
            options.messageCount = std::uint32_t(n);
        } else if (arg == "--deleted") {
            const std::string text = value();
            if (!text.empty() && text.back() == '%') {
                const std::uint64_t percent =
                    ParseCount(arg, text.substr(0, text.size() - 1), false);
                if (percent > 100) Usage("--deleted takes a share of at most 100%");
                options.deletedShare = double(percent) / 100.0;
            } else {
                const std::uint64_t n = ParseCount(arg, text, false);
                if (n > 0xFFFFFFFFu) Usage("--deleted is too large");
                options.deletedCount = std::uint32_t(n);
            }
        } else if (arg == "--seed") {
            options.seed = ParseCount(arg, value(), false);
        } else if (arg == "--damage") {
            options.damage = true;
        } else if (arg == "--zero-records") {
            damage.zeroedRecords = Count32(arg, value());
        } else if (arg == "--break-chains") {
            damage.brokenChains = Count32(arg, value());
        } else if (arg == "--wipe-first-blocks") {
            damage.wipedFirstBlocks = Count32(arg, value());
        } else if (arg == "--orphan-freed") {
            damage.freedChains = Count32(arg, value());
        } else if (arg == "--loop-chains") {
            damage.loops = Count32(arg, value());
        } else if (arg == "--next-past-end") {
            damage.nextPastEnd = Count32(arg, value());
        } else if (arg == "--prepend") {
            damage.prepend = ParseCount(arg, value(), true);
        } else if (arg == "--cut") {
            damage.cut = ParseCount(arg, value(), true);
        } else if (arg == "--folder") {
            options.folderName = value();
        } else if (arg == "--manifest") {
            manifestPath = value();
        } else if (arg == "--bodies") {
            bodiesDir = value();
        } else if (arg == "--force") {
            options.overwrite = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            Usage("unknown option " + arg);
        } else if (out.empty()) {
            out = arg;
        } else {
            Usage("only one output store, not also " + arg);
        }
    }
    if (out.empty()) Usage("no output store given");
    if (options.messageCount == 0 && options.targetSize == 0) options.messageCount = 100;
    if (options.messageCount != 0 && options.targetSize != 0) {
        Usage("give --size or --messages, not both");
    }
    if (options.messageCount && options.deletedCount &&
        *options.deletedCount > options.messageCount) {
        Usage("--deleted cannot pass --messages");
    }

    std::ofstream manifest;
    if (!manifestPath.empty()) {
        manifest.open(manifestPath, std::ios::binary | std::ios::trunc);
        if (!manifest) {
            std::cerr << "dbxgen: cannot write " << manifestPath << "\n";
            return 1;
        }
    }
    std::filesystem::path bodies;
    if (!bodiesDir.empty()) {
        bodies = bodiesDir;
        std::error_code error;
        std::filesystem::create_directories(bodies, error);
        if (error) {
            std::cerr << "dbxgen: cannot create " << bodiesDir << ": " << error.message() << "\n";
            return 1;
        }
    }
    damage.seed = options.seed;
    // Damage is done once the store is written: its manifest lines wait for it.
    const bool streamManifest = !damage.Any();
    if (manifest.is_open() || !bodies.empty()) {
        options.onMessage = [&](const dbx::gen::ManifestEntry& e, std::string_view body) {
            if (manifest.is_open() && streamManifest) {
                manifest << dbx::gen::ManifestJsonLine(e) << '\n';
            }
            if (!bodies.empty()) {
                const auto path = bodies / (std::to_string(e.bodyOffset) + ".eml");
                std::ofstream file(path, std::ios::binary | std::ios::trunc);
                file.write(body.data(), std::streamsize(body.size()));
                if (!file) throw std::runtime_error("cannot write " + path.string());
            }
        };
    }

    const auto started = std::chrono::steady_clock::now();
    dbx::gen::GeneratedStore store;
    try {
        store = dbx::gen::GenerateStore(out, options);
        if (damage.Any()) {
            dbx::gen::DamageStore(out, store.messages, damage);
            if (manifest.is_open()) {
                for (const auto& e : store.messages) {
                    manifest << dbx::gen::ManifestJsonLine(e) << '\n';
                }
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "dbxgen: " << e.what() << "\n";
        return 1;
    }
    if (manifest.is_open()) {
        manifest.close();
        if (!manifest) {
            std::cerr << "dbxgen: cannot write " << manifestPath << "\n";
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!quiet) {
        std::size_t deleted = 0;
        for (const auto& m : store.messages)
            deleted += m.status == dbx::gen::MessageStatus::Deleted;
        std::printf(
            "%s: %zu messages (%zu deleted), %llu bytes (%u used), %zu stale records, "
            "%zu lost records, %zu damaged ranges, %.2f s\n",
            out.c_str(), store.messages.size(), deleted,
            static_cast<unsigned long long>(store.fileSize), store.usedSpace, store.staleRecords,
            store.lostRecords, store.damagedRanges, seconds);
    }
    return 0;
}
