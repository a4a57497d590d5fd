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

void PrintSummary(const ExtractTotals& t) {
    std::string summary = std::to_string(t.written) + " written";
    if (t.incomplete) summary += " (" + std::to_string(t.incomplete) + " incomplete)";
    if (t.already) summary += ", " + std::to_string(t.already) + " already there";
    summary += ", " + std::to_string(t.failed) + " failed";
    if (t.notTried > 0) {
        std::fprintf(stderr,
                     "dbxrecover: stopped: every further message would fail the same way; %zu "
                     "not tried\n",
                     t.notTried);
        summary += ", " + std::to_string(t.notTried) + " not tried";
    }
    std::printf("%s\n", summary.c_str());
}

}  // namespace dbx::cli
