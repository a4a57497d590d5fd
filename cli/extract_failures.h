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

// "N written, M failed" on standard output; when writing stopped early, one line on standard
// error says so and how many messages were not tried.
void PrintSummary(std::size_t written, std::size_t failed, std::size_t notTried);

}  // namespace dbx::cli
