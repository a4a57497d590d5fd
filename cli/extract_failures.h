#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "message_extractor.h"

namespace dbx::cli {

// Errors of writing into the output folder that every further message would meet as well:
// no permission, a read-only file system, no space, no quota left.
bool RepeatsForEveryMessage(int error);

// True when the failed extraction's error would repeat for every message after it.
bool WritingCannotGoOn(const ExtractOutcome& outcome);

// The failure line of a message that could not be added to the mbox file.
std::string MboxFailure(const std::string& mbox, std::uint32_t offset, int error);

// Every message asked for ends up in exactly one of written, already, failed and notTried.
struct ExtractTotals {
    std::size_t written = 0;
    std::size_t incomplete = 0;  // of those written
    std::size_t already = 0;     // byte-identical copies found in the folder
    std::size_t failed = 0;
    std::size_t notTried = 0;  // after an error that every further message would meet, or a stop
    std::size_t Asked() const { return written + already + failed + notTried; }
};

// Of the messages that reached the mbox step (written or already there): each is added,
// failed, or not tried after the failure (the mbox ends with the message before it).
struct MboxTotals {
    std::size_t added = 0;
    std::size_t failed = 0;
    std::size_t notTried = 0;
};

// "N written (I incomplete), K already there, M failed, T not tried": each part after the
// first only when it applies ("failed" always).
std::string SummaryLine(const ExtractTotals& totals);

// "mbox: A added, F failed, T not tried", the last two only when they apply.
std::string MboxSummaryLine(const MboxTotals& totals);

}  // namespace dbx::cli
