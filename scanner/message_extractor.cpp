#include "message_extractor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "byte_source.h"
#include "little_endian.h"
#include "output_path.h"
#include "scan_store.h"
#include "store_file.h"

namespace dbx {
namespace {

constexpr int kMaxNameTries = 10000;
constexpr std::size_t kFlushAt = 1 << 20;
constexpr std::size_t kReadAhead = 32 * 1024;

// Creates prefix + number + ".eml" in the folder, from the counter's number up to the first
// name that is free. Returns the descriptor and the number used, or -1 with errno set.
int CreateOutput(const ExtractRequest& request, std::int32_t& number, std::string& path) {
    for (;;) {
        path = JoinPath(request.outputDirectory, request.prefix + std::to_string(number) + ".eml");
        if (path.size() >= PATH_MAX) {
            errno = ENAMETOOLONG;
            return -1;
        }
        const int fd = CreateExclusive(path);
        if (fd >= 0 || errno != EEXIST || number == INT32_MAX) return fd;
        ++number;
    }
}

// Creates name + ".eml", or name + " (2).eml" and so on when that is taken.
int CreateNamed(const std::string& directory, const std::string& name, std::string& path) {
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const std::string suffix = n == 1 ? ".eml" : " (" + std::to_string(n) + ").eml";
        path = JoinPath(directory, name + suffix);
        if (path.size() >= PATH_MAX) {
            errno = ENAMETOOLONG;
            return -1;
        }
        const int fd = CreateExclusive(path);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

ExtractOutcome ExtractMessage(const ExtractRequest& request, MailCounter& counter,
                              const ExtractExtras& extras) {
    ExtractOutcome outcome;
    StoreFile store;
    if (!store.Open(request.storePath)) {
        outcome.status = ExtractStatus::StoreUnreadable;
        outcome.error = store.Error();
        return outcome;
    }
    store.SetDisplacement(extras.displacement);
    store.SetPieces(extras.pieces);
    UnreadableRanges own;
    store.SetDevice(extras.device);
    store.SetUnreadable(extras.unreadable ? extras.unreadable : &own);
    const std::uint64_t length = std::min(store.CurrentLength(), kMaxStoreLength);
    const std::uint64_t limit = request.limit ? request.limit : length;
    if (request.offset > limit) {
        outcome.status = ExtractStatus::OffsetBeyondLimit;
        return outcome;
    }

    // Blocks are mostly consecutive: one read ahead serves many of them.
    BufferedSource source(store, length, kReadAhead);
    auto look = [&source](std::uint64_t pos, void* dst, std::size_t n) {
        if (!source.Peek(pos, n)) source.Load(pos);
        return source.ReadExact(pos, dst, n);
    };
    // The walk reads each byte once: what the disk failed of them is counted there.
    std::uint64_t unreadable = 0;
    auto read = [&](std::uint64_t pos, void* dst, std::size_t n) {
        if (!look(pos, dst, n)) return false;
        unreadable += source.LostWithin(pos, n);
        return true;
    };
    // A wiped or overwritten first block would give a file of zeros or of someone else's
    // bytes: nothing of the message is left there. One the disk failed to give is named.
    std::uint8_t first[kBlockHeaderSize];
    if (request.offset + std::uint64_t(kBlockHeaderSize) <= limit &&
        look(request.offset, first, sizeof first) && LoadU32(first) != request.offset) {
        outcome.unreadableBytes = source.LostWithin(request.offset, sizeof first);
        outcome.status = ExtractStatus::FirstBlockMissing;
        outcome.end = ChainEnd::FirstBlockMissing;
        return outcome;
    }

    std::int32_t number = counter.Value();
    const int fd = extras.name.empty()
                       ? CreateOutput(request, number, outcome.path)
                       : CreateNamed(request.outputDirectory, extras.name, outcome.path);
    if (fd < 0) {
        outcome.status = ExtractStatus::CannotCreate;
        outcome.error = errno;
        return outcome;
    }

    std::vector<char> pending;
    int error = 0;
    auto sink = [&](const std::uint8_t* data, std::size_t n) {
        pending.insert(pending.end(), data, data + n);
        if (pending.size() < kFlushAt) return true;
        if (!WriteAll(fd, pending.data(), pending.size())) {
            error = errno;
            return false;
        }
        pending.clear();
        return true;
    };
    const ChainWalk walk =
        WalkChain(request.offset, {length, limit, extras.trimFreedTail}, read, sink);
    outcome.bytes = walk.bytes;
    if (!error && !WriteAll(fd, pending.data(), pending.size())) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (extras.name.empty()) counter.Set(number == INT32_MAX ? number : number + 1);
    if (error) {
        // A cut-off message would pass for a whole one: it goes, or is said to be there.
        outcome.partialKept = ::unlink(outcome.path.c_str()) != 0;
        outcome.status = ExtractStatus::WriteFailed;
        outcome.error = error;
        return outcome;
    }
    outcome.end = walk.end;
    outcome.unreadableBytes = unreadable;
    if (walk.Complete() && walk.bytes < extras.recordSize) {
        outcome.shortBy = extras.recordSize - walk.bytes;
    }
    outcome.incomplete = !walk.Complete() || unreadable > 0 || outcome.shortBy > 0;
    outcome.position = std::uint32_t(walk.position);
    return outcome;
}

std::string DescribeExtractFailure(const ExtractOutcome& outcome) {
    switch (outcome.status) {
        case ExtractStatus::Written:
            return "written";
        case ExtractStatus::StoreUnreadable:
            return "cannot read the store: " + DescribeOpenError(outcome.error);
        case ExtractStatus::OffsetBeyondLimit:
            return "the offset lies beyond the end of the store";
        case ExtractStatus::CannotCreate:
            return "cannot create " + outcome.path + ": " + std::strerror(outcome.error);
        case ExtractStatus::WriteFailed:
            return "cannot write " + outcome.path + ": " + std::strerror(outcome.error) +
                   (outcome.partialKept ? "; the part written could not be removed: it is cut short"
                                        : "");
        case ExtractStatus::FirstBlockMissing:
            if (outcome.unreadableBytes > 0) {
                return "nothing of it is left: its first block could not be read";
            }
            return "nothing of it is left: " + std::string(DescribeChainEnd(outcome.end));
    }
    return {};
}

std::string IncompleteReason(const ExtractOutcome& outcome, const RecoveredMessage* listed) {
    std::string reason;
    const std::uint64_t lost = outcome.unreadableBytes + (listed ? listed->unreadableBytes : 0);
    if (lost > 0) reason = std::to_string(lost) + " bytes could not be read";
    auto add = [&reason](const std::string& text) {
        if (!reason.empty()) reason += "; ";
        reason += text;
    };
    std::uint64_t shortBy = outcome.shortBy;
    if (listed && listed->size > outcome.bytes) {
        shortBy = std::max<std::uint64_t>(shortBy, listed->size - outcome.bytes);
    }
    if (outcome.end != ChainEnd::LastBlock) {
        add(DescribeChainEnd(outcome.end));
    } else if (shortBy > 0) {
        add("its chain ends " + std::to_string(shortBy) +
            " bytes before the size its record gives");
    } else if (listed && listed->incomplete) {
        add("the start of its chain is gone");
    }
    return reason;
}

}  // namespace dbx
