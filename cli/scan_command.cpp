#include "scan_command.h"

#include <unistd.h>

#include <cstdio>

#include "codepage.h"
#include "hit_writers.h"
#include "record_date.h"
#include "scan_runner.h"

namespace dbx::cli {

int RunScan(const ScanArgs& args) {
    auto decoder = CodePageDecoder::Open(args.codepage);
    if (!decoder) {
        std::fprintf(stderr, "dbxrecover: unknown code page '%s'\n", args.codepage.c_str());
        return kExitUsage;
    }
    auto writer = MakeHitWriter(args.format, stdout);
    if (!writer) {
        std::fprintf(stderr, "dbxrecover: unknown format '%s'\n", args.format.c_str());
        return kExitUsage;
    }
    ProgressLine progress(stderr);
    const bool sharedTerminal = progress.Active() && isatty(STDOUT_FILENO);
    bool begun = false;
    std::size_t deleted = 0;
    HitRow row;  // one for all hits: its texts keep their storage
    auto onHit = [&](const RecoveredMessage& m) {
        if (!begun) writer->Begin();
        begun = true;
        deleted += m.deleted;
        if (sharedTerminal) progress.Clear();
        row.offset = m.offset;
        row.status = StatusText(m);
        decoder->DecodeInto(m.from, row.from);
        decoder->DecodeInto(m.to, row.to);
        decoder->DecodeInto(m.subject, row.subject);
        row.dateText = m.dateText;
        row.dateUtc = IsoUtcText(m.dateSeconds);
        writer->Write(row);
    };
    const ScanReport report = RunScanWithProgress(args.store, progress, onHit);
    if (report.outcome == ScanOutcome::OpenFailed) return kExitFailure;
    if (!begun) writer->Begin();
    writer->End();
    std::fflush(stdout);
    if (progress.Active()) {
        std::fprintf(stderr, "%zu messages found (%zu existing, %zu deleted)%s\n", report.hits,
                     report.hits - deleted, deleted,
                     report.outcome == ScanOutcome::Stopped ? "; the scan was stopped" : "");
    }
    return report.outcome == ScanOutcome::Stopped ? kExitInterrupted : kExitOk;
}

}  // namespace dbx::cli
