#include "extract_failures.h"

#include <cerrno>
#include <cstring>

#include "messages.h"

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
    return "offset " + std::to_string(offset) + ": cannot add it to " + Escaped(mbox) + ": " +
           std::strerror(error) + "; the mbox file ends with the message before it";
}

std::string SummaryLine(const ExtractTotals& t) {
    std::string summary = std::to_string(t.written) + " written";
    if (t.incomplete) summary += " (" + std::to_string(t.incomplete) + " incomplete)";
    if (t.already) summary += ", " + std::to_string(t.already) + " already there";
    summary += ", " + std::to_string(t.failed) + " failed";
    if (t.notTried > 0) summary += ", " + std::to_string(t.notTried) + " not tried";
    return summary;
}

std::string MboxSummaryLine(const MboxTotals& t) {
    std::string summary = "mbox: " + std::to_string(t.added) + " added";
    if (t.failed > 0) summary += ", " + std::to_string(t.failed) + " failed";
    if (t.notTried > 0) summary += ", " + std::to_string(t.notTried) + " not tried";
    return summary;
}

}  // namespace dbx::cli
