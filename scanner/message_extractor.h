#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "chain_walk.h"
#include "piece_map.h"
#include "read_device.h"
#include "recovered_message.h"
#include "unreadable_ranges.h"

namespace dbx {

// Numbers the .eml files of one run; every caller shares one.
class MailCounter {
  public:
    std::int32_t Value() const { return value_.load(); }
    void Set(std::int32_t value) { value_.store(value); }

  private:
    std::atomic<std::int32_t> value_{0};
};

struct ExtractRequest {
    std::uint32_t offset = 0;  // first message block
    std::string storePath;
    std::string outputDirectory;
    std::uint32_t limit = 0;  // largest offset the walk may use; 0: the store's length
    std::string prefix = "MailRec";
};

// What the command line asks beyond the window's extraction.
struct ExtractExtras {
    // Instead of prefix + counter: this name (without ".eml"), made unique with " (2)", ...
    std::string name;
    std::int64_t displacement = 0;  // see StoreFile::SetDisplacement
    bool trimFreedTail = false;     // see ChainLimits
    // The scan's record of unreadable ranges: sectors in it are not tried again, new ones
    // are added. Null: a record of this extraction's own.
    UnreadableRanges* unreadable = nullptr;
    std::shared_ptr<const ReadDevice> device;  // null: the file itself
    // The size the message's record gives (0: none): a whole chain with fewer bytes is not
    // the whole message.
    std::uint32_t recordSize = 0;
    std::shared_ptr<const PieceMap> pieces;  // a store in pieces: see StoreFile::SetPieces
};

enum class ExtractStatus {
    Written,
    StoreUnreadable,  // `error` holds errno
    OffsetBeyondLimit,
    CannotCreate,       // `error` holds errno
    WriteFailed,        // `error` holds errno; the partial file is removed (see partialKept)
    FirstBlockMissing,  // the message offset holds no block of it: no file
};

struct ExtractOutcome {
    ExtractStatus status = ExtractStatus::Written;
    int error = 0;
    std::uint32_t position = 0;  // where the walk stopped; 0 when no file was kept
    std::string path;            // the file created, or the name that was tried
    std::uint64_t bytes = 0;     // message bytes written
    // Written, but the chain broke off before its last block, or the disk failed some of
    // its bytes: the file holds what was read.
    bool incomplete = false;
    ChainEnd end = ChainEnd::LastBlock;
    // Bytes of its blocks the disk failed to give: written as zeros where they were data.
    std::uint64_t unreadableBytes = 0;
    // Bytes the chain, though it ends on a last block, holds fewer than its record's size.
    std::uint64_t shortBy = 0;
    // WriteFailed, and the partial file could not be removed either.
    bool partialKept = false;
};

// Follows the message's chain of blocks and writes their data, unchanged, to a new file named
// prefix + counter + ".eml". Existing files are never replaced: the counter moves on to the
// first free name. The store is opened read-only. A message whose first block is gone gets
// no file; one whose chain breaks off keeps what was read and is marked incomplete.
ExtractOutcome ExtractMessage(const ExtractRequest& request, MailCounter& counter,
                              const ExtractExtras& extras = {});

std::string DescribeExtractFailure(const ExtractOutcome& outcome);

// Why a written message is not whole, for reports: "N bytes could not be read" (its blocks'
// and, when `listed` is given, its record's), "a later block is gone", "its chain ends N bytes
// before the size its record gives", ..., joined by "; ".
// Empty when it is whole.
std::string IncompleteReason(const ExtractOutcome& outcome, const RecoveredMessage* listed);

}  // namespace dbx
