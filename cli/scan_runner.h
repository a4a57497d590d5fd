#pragma once

#include <functional>
#include <string>

#include "recovered_message.h"
#include "scan_store.h"
#include "terminal.h"

namespace dbx::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2, kExitInterrupted = 130 };

// Scans `store` with the terminal's progress line and Ctrl-C, handing each hit to `onHit`.
// A store that cannot be read gets one line on stderr naming the path and the reason, and so
// does a store in which nothing was found; a store beyond 4 GiB gets a warning. `options` may
// ask for a displacement or a block index; the stop flag is Ctrl-C's.
ScanReport RunScanWithProgress(const std::string& store, ProgressLine& progress,
                               const std::function<void(const RecoveredMessage&)>& onHit,
                               ScanOptions options = {});

}  // namespace dbx::cli
