#pragma once

#include <functional>
#include <string>

#include "recovered_message.h"
#include "scan_store.h"
#include "terminal.h"

namespace dbx::cli {

// 130 wins over 1, 1 over 3: a stop or something not written matters more than a read error
// whose messages were still written as far as they could be read.
enum ExitCode {
    kExitOk = 0,
    kExitFailure = 1,     // something could not be read, written or done at all
    kExitUsage = 2,       // the command line is wrong
    kExitUnreadable = 3,  // the disk failed some bytes of a store: they read as zeros
    kExitInterrupted = 130,
};

// Scans `store` with the terminal's progress line and Ctrl-C, handing each hit to `onHit`.
// Names are printed escaped.
// A store that cannot be read gets one line on stderr naming the path and the reason, and so
// does a store in which nothing was found; a store beyond 4 GiB gets a warning. `options` may
// ask for a displacement or a block index; the stop flag is Ctrl-C's.
// `group`: one group of structures of a disk image, read at its displacement: the caller says
// what the image held.
ScanReport RunScanWithProgress(const std::string& store, ProgressLine& progress,
                               const std::function<void(const RecoveredMessage&)>& onHit,
                               ScanOptions options = {}, bool group = false);

}  // namespace dbx::cli
