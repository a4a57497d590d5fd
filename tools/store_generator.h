#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Writes demo and benchmark stores laid out like those of Outlook Express 6: index records
// back to back in their segments, bodies in chains of message blocks, deleted messages in
// their freed shape, stale freed copies of rewritten records and, on request, damage where
// no listed message lives. The file is written as it is generated, so size costs no memory;
// the seed alone decides every byte.
namespace dbx::gen {

enum class MessageStatus { Existing, Deleted };

// "Existing" or "Deleted", as a scan reports them.
const char* StatusName(MessageStatus status);

// A listed message: what a scan of the store reports for it, and where it lives.
struct ManifestEntry {
    std::uint32_t index = 0;  // the record's message index
    std::uint32_t recordOffset = 0;
    std::uint32_t bodyOffset = 0;  // first message block
    MessageStatus status = MessageStatus::Existing;
    // Record texts as stored: windows-1252 bytes.
    std::string from;  // bare address
    std::string fromName;
    std::string to;  // "<address>"
    std::string toName;
    std::string subject;
    std::int64_t dateSeconds = 0;  // time received held by the record, seconds since 1970 UTC
    std::int64_t sentSeconds = 0;  // the Date header, a little earlier
    std::uint32_t bodySize = 0;
    // Set by DamageStore: what was done to the message and what must come back of it.
    std::string damage;  // empty: nothing
    // "listed" (a row of its record, the whole body), "orphaned" (a row of a deep search, the
    // whole body), "incomplete" (a row of its record marked incomplete, `expectBytes` of its
    // body), "failed" (a row whose extraction fails) or "lost" (nothing).
    std::string expect = "listed";
    std::uint32_t expectBytes = 0;
    // A chain broken in the middle leaves its tail to a deep search: an incomplete orphan
    // at `tailOffset` holding the last `tailBytes` of the body. 0: none.
    std::uint32_t tailOffset = 0;
    std::uint32_t tailBytes = 0;
};

struct GeneratorOptions {
    // Either a message count or, when it is 0, a file size to fill (with a zero reserve
    // after the used space, as Outlook Express leaves it).
    std::uint32_t messageCount = 0;
    std::uint64_t targetSize = 0;
    // Deleted messages: an exact count, else a share of the listed messages. With a target
    // size the count is reached through a share taken from an estimate, and never exceeded.
    std::optional<std::uint32_t> deletedCount;
    double deletedShare = 0.1;
    std::uint64_t seed = 1;
    // Lost (wiped) records, garbage and zeroed ranges, all where no listed message lives.
    bool damage = false;
    std::string folderName = "Inbox";
    bool overwrite = false;  // otherwise an existing file is an error and stays untouched
    // Called once per listed message, in store order, with the exact bytes of its body.
    std::function<void(const ManifestEntry&, std::string_view body)> onMessage;
};

struct GeneratedStore {
    std::vector<ManifestEntry> messages;  // in the order of their records
    std::uint64_t fileSize = 0;
    std::uint32_t usedSpace = 0;    // end of the last segment
    std::size_t staleRecords = 0;   // freed copies of live records, not listed
    std::size_t lostRecords = 0;    // unlisted messages whose record was wiped
    std::size_t damagedRanges = 0;  // wiped records, zeroed block runs, garbage gaps
};

// Offsets are 32-bit and records are found only below 2 GiB.
constexpr std::uint64_t kMaxStoreSize = 0x80000000u;

// Writes the store to `path`. Throws std::invalid_argument for unusable options and
// std::runtime_error when the file cannot be written (or exists without `overwrite`).
GeneratedStore GenerateStore(const std::string& path, const GeneratorOptions& options);

// One JSON object, without a line end. Texts keep their bytes: each byte becomes the
// character of the same number (bytes 0x80 to 0xFF as \u0080 to \u00FF), so a JSON reader
// yields the Latin-1 reading of the stored windows-1252 text, and encoding that back to
// Latin-1 gives the exact bytes.
std::string ManifestJsonLine(const ManifestEntry& entry);

}  // namespace dbx::gen
