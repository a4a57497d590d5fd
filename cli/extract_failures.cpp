#include "extract_failures.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dbx::cli {

bool RepeatsForEveryMessage(int error) {
    return error == EACCES || error == EPERM || error == EROFS || error == ENOSPC ||
           error == EDQUOT;
}

bool WritingCannotGoOn(const ExtractOutcome& outcome) {
    return (outcome.status == ExtractStatus::CannotCreate ||
            outcome.status == ExtractStatus::WriteFailed) &&
           RepeatsForEveryMessage(outcome.error);
}

std::string MboxFailure(const std::string& mbox, std::uint32_t offset, int error) {
    return "offset " + std::to_string(offset) + ": cannot add it to " + mbox + ": " +
           std::strerror(error) + "; the mbox file ends with the message before it";
}

void PrintSummary(std::size_t written, std::size_t failed, std::size_t notTried) {
    if (notTried > 0) {
        std::fprintf(stderr,
                     "dbxrecover: stopped: every further message would fail the same way; %zu "
                     "not tried\n",
                     notTried);
        std::printf("%zu written, %zu failed, %zu not tried\n", written, failed, notTried);
    } else {
        std::printf("%zu written, %zu failed\n", written, failed);
    }
}

}  // namespace dbx::cli
