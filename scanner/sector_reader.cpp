#include "sector_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "stop_flag.h"

namespace dbx {
namespace {

// A device that is interrupted without end must not hold the read for ever.
constexpr int kMaxInterruptions = 1000;

std::uint64_t NextBoundary(std::uint64_t pos, std::uint64_t unit) {
    return pos - pos % unit + unit;
}

}  // namespace

SectorReader::Run SectorReader::ReadRun(std::uint64_t pos, char* out, std::size_t n) const {
    Run run;
    int interruptions = 0;
    while (run.got < n) {
        const std::size_t want = n - run.got;
        const ssize_t got = device ? device->Read(fd, out + run.got, want, pos + run.got)
                                   : ::pread(fd, out + run.got, want, off_t(pos + run.got));
        if (got < 0) {
            if (errno == EINTR && ++interruptions < kMaxInterruptions) continue;
            run.error = errno != 0 ? errno : EIO;
            break;
        }
        if (got == 0) break;
        // A device never hands back more than asked; one that claims to is not believed.
        run.got += std::min(std::size_t(got), want);
        interruptions = 0;
    }
    return run;
}

std::size_t SectorReader::Read(std::uint64_t pos, char* out, std::size_t n,
                               std::vector<UnreadableRange>* lost) const {
    // A stopped search reads no more: on a dying disk every read may take seconds.
    if (fd < 0 || n == 0 || StopRequested(stop)) return 0;
    const Run run = ReadRun(pos, out, n);
    if (run.got == n || run.error == 0) return run.got;
    return run.got + Salvage(pos + run.got, out + run.got, n - run.got, lost);
}

std::size_t SectorReader::Salvage(std::uint64_t pos, char* out, std::size_t n,
                                  std::vector<UnreadableRange>* lost) const {
    const std::uint64_t end = pos + n;
    std::uint64_t at = pos;
    while (at < end) {
        if (StopRequested(stop)) break;
        const std::uint64_t pieceEnd = std::min(end, NextBoundary(at, kPiece));
        char* dst = out + (at - pos);
        const std::size_t len = std::size_t(pieceEnd - at);
        if (Known(at, len, dst, lost)) {
            at = pieceEnd;
            continue;
        }
        const Run run = ReadRun(at, dst, len);
        at += run.got;
        if (run.got == len) continue;
        if (run.error == 0) break;  // the file ends here
        while (at < pieceEnd) {
            if (StopRequested(stop)) return std::size_t(at - pos);
            const std::uint64_t sectorEnd = std::min(pieceEnd, NextBoundary(at, kSector));
            std::size_t got = 0;
            const bool more =
                ReadSector(at, out + (at - pos), std::size_t(sectorEnd - at), got, lost);
            at += got;
            if (!more) return std::size_t(at - pos);
        }
    }
    return std::size_t(at - pos);
}

bool SectorReader::ReadSector(std::uint64_t pos, char* out, std::size_t n, std::size_t& got,
                              std::vector<UnreadableRange>* lost) const {
    got = 0;
    if (Known(pos, n, out, lost)) {
        got = n;
        return true;
    }
    int error = 0;
    for (int attempt = 0; attempt < 2 && got < n; ++attempt) {
        if (attempt > 0 && StopRequested(stop)) return false;
        const Run run = ReadRun(pos + got, out + got, n - got);
        got += run.got;
        if (got < n && run.error == 0) return false;
        error = run.error;
    }
    if (got < n) {
        Lose(pos + got, n - got, error, out + got, lost);
        got = n;
    }
    return true;
}

bool SectorReader::Known(std::uint64_t pos, std::size_t n, char* out,
                         std::vector<UnreadableRange>* lost) const {
    int error = 0;
    if (!unreadable || !unreadable->Covers(pos, n, error)) return false;
    std::memset(out, 0, n);
    if (lost) lost->push_back({pos, n, error});
    return true;
}

void SectorReader::Lose(std::uint64_t pos, std::size_t n, int error, char* out,
                        std::vector<UnreadableRange>* lost) const {
    std::memset(out, 0, n);
    if (unreadable) unreadable->Add(pos, n, error);
    if (lost) lost->push_back({pos, n, error});
}

}  // namespace dbx
