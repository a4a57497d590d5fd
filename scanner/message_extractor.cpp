#include "message_extractor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "byte_source.h"
#include "little_endian.h"
#include "output_path.h"
#include "scan_store.h"
#include "store_file.h"
#include "store_layout.h"

namespace dbx {
namespace {

constexpr std::uint32_t kBlockHeader = layout::kBlockHeaderSize;
constexpr std::uint32_t kBlockData = layout::kBlockDataMax;
constexpr std::int64_t kShortestRead = 20;  // a later block read this small ends the walk
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

}  // namespace

ExtractOutcome ExtractMessage(const ExtractRequest& request, MailCounter& counter) {
    ExtractOutcome outcome;
    StoreFile store;
    if (!store.Open(request.storePath)) {
        outcome.status = ExtractStatus::StoreUnreadable;
        outcome.error = store.Error();
        return outcome;
    }
    const std::uint64_t length = std::min(store.CurrentLength(), kMaxStoreLength);
    const std::uint64_t limit = request.limit ? request.limit : length;
    if (request.offset > limit) {
        outcome.status = ExtractStatus::OffsetBeyondLimit;
        return outcome;
    }
    std::int64_t readSize = kBlockData;
    if (request.offset + std::uint64_t(kBlockData) > limit) {
        readSize = std::int64_t(limit - request.offset);
    }

    std::int32_t number = counter.Value();
    const int fd = CreateOutput(request, number, outcome.path);
    if (fd < 0) {
        outcome.status = ExtractStatus::CannotCreate;
        outcome.error = errno;
        return outcome;
    }

    // Blocks are mostly consecutive: one read ahead serves many of them.
    BufferedSource source(store, length, kReadAhead);
    auto read = [&source](std::uint64_t pos, void* dst, std::size_t n) {
        if (!source.Peek(pos, n)) source.Load(pos);
        return source.ReadExact(pos, dst, n);
    };
    std::vector<char> pending;
    std::unordered_set<std::uint64_t> visited;
    int error = 0;
    std::uint64_t p = request.offset;
    while (p < limit) {
        // A first read shorter than a block header cannot be taken as one.
        if (readSize < std::int64_t(kBlockHeader)) break;
        if (p + std::uint64_t(readSize) >= length) break;
        std::uint8_t header[kBlockHeader];
        if (!read(p, header, sizeof header)) break;
        // A chain that comes back to a block, or yields more than the whole store, loops.
        if (!visited.insert(p).second || outcome.bytes > length) break;
        std::uint32_t dataLength = LoadU32(header + layout::kBlockDataLengthAt);
        if (dataLength == 0 || dataLength > kBlockData) dataLength = kBlockData;
        const std::uint32_t next = LoadU32(header + layout::kBlockNextAt);
        readSize = dataLength;
        p += kBlockHeader;
        if (p + dataLength >= length) break;

        const std::size_t at = pending.size();
        pending.resize(at + dataLength);
        if (!read(p, pending.data() + at, dataLength)) {
            pending.resize(at);
            break;
        }
        outcome.bytes += dataLength;
        if (pending.size() >= kFlushAt) {
            if (!WriteAll(fd, pending.data(), pending.size())) {
                error = errno;
                break;
            }
            pending.clear();
        }
        if (next == 0) {
            p += dataLength;
            break;
        }
        p = next;
        if (std::uint64_t(next) + dataLength > limit) {
            readSize = std::int64_t(limit) - std::int64_t(next);
        }
        if (readSize <= kShortestRead || next >= limit) break;
    }
    if (!error && !WriteAll(fd, pending.data(), pending.size())) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    counter.Set(number == INT32_MAX ? number : number + 1);
    if (error) {
        // A cut-off message would pass for a whole one: it goes.
        ::unlink(outcome.path.c_str());
        outcome.status = ExtractStatus::WriteFailed;
        outcome.error = error;
        return outcome;
    }
    outcome.position = std::uint32_t(p);
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
            return "cannot write " + outcome.path + ": " + std::strerror(outcome.error);
    }
    return {};
}

}  // namespace dbx
