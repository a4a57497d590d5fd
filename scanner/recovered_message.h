#pragma once

#include <cstdint>
#include <string>

namespace dbx {

// One recognised message-index record: the texts of its row in the results list and where
// its body starts. Texts are the store's bytes, unconverted.
struct RecoveredMessage {
    std::uint32_t offset = 0;  // first message block of the body
    std::string from;
    std::string to;
    std::string subject;
    std::string dateText;
    bool deleted = false;          // found by the loose recogniser
    std::int64_t dateSeconds = 0;  // seconds since 1970 (UTC) behind dateText
    // Found by the deep search: a chain of blocks no record leads to. Its texts come from
    // the mail's own header and are UTF-8.
    bool orphaned = false;
    // Its chain of blocks breaks off (or, for an orphan, lacks its start).
    bool incomplete = false;
    // Bytes of its record (or, for an orphan, of its blocks' data) that the disk failed to
    // give and that were read as zeros: its texts, and its file, may lack them.
    std::uint64_t unreadableBytes = 0;
    // The message's size as its record gives it (0: not given); a chain that ends with fewer
    // bytes is cut short.
    std::uint32_t size = 0;
    // Position its structures name minus where they lie: the group of structures it was read
    // from (0 for a store at its place).
    std::int64_t displacement = 0;
    // Which store of a disk image it belongs to.
    std::uint32_t store = 0;

    // Runs before every probe: clearing keeps the texts' storage.
    void Reset() {
        offset = 0;
        from.clear();
        to.clear();
        subject.clear();
        dateText.clear();
        deleted = false;
        dateSeconds = 0;
        orphaned = false;
        incomplete = false;
        unreadableBytes = 0;
        size = 0;
        displacement = 0;
        store = 0;
    }
};

inline const char* StatusText(const RecoveredMessage& m) {
    if (m.orphaned) return "Orphaned";
    return m.deleted ? "Deleted" : "Existing";
}

}  // namespace dbx
