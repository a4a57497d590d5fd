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

struct ExtractTotals {
    std::size_t written = 0;
    std::size_t incomplete = 0;  // of those written
    std::size_t already = 0;     // byte-identical copies found in the folder
    std::size_t failed = 0;
    std::size_t notTried = 0;  // after an error that every further message would meet
};

// "N written (I incomplete), K already there, M failed, T not tried" on standard output, each
// part after the first only when it applies ("failed" always); when writing stopped early, one
// line on standard error says so.
void PrintSummary(const ExtractTotals& totals);

}  // namespace dbx::cli
