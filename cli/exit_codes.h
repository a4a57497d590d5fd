#pragma once

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

}  // namespace dbx::cli
