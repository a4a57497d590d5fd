#include "scan_command.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "codepage.h"
#include "hit_writers.h"
#include "record_date.h"
#include "scan_runner.h"
#include "store_folder.h"
#include "store_scan.h"

namespace dbx::cli {

bool ListStores(const std::string& target, std::vector<FolderStore>& stores, bool& folder) {
    std::error_code ec;
    folder = std::filesystem::is_directory(target, ec);
    if (!folder) {
        stores.push_back({target, ""});
        return true;
    }
    std::string error;
    if (!ListStoreFolder(target, stores, error)) {
        std::fprintf(stderr, "dbxrecover: cannot read '%s': %s\n", target.c_str(), error.c_str());
        return false;
    }
    if (stores.empty()) {
        std::fprintf(stderr, "dbxrecover: cannot read '%s': the folder holds no message store\n",
                     target.c_str());
        return false;
    }
    return true;
}

int RunScan(const ScanArgs& args) {
    auto decoder = CodePageDecoder::Open(args.codepage);
    if (!decoder) {
        std::fprintf(stderr, "dbxrecover: unknown code page '%s'\n", args.codepage.c_str());
        return kExitUsage;
    }
    if (!MakeHitWriter(args.format, stdout)) {
        std::fprintf(stderr, "dbxrecover: unknown format '%s'\n", args.format.c_str());
        return kExitUsage;
    }
    std::vector<FolderStore> stores;
    bool folder = false;
    if (!ListStores(args.store, stores, folder)) return kExitFailure;

    ProgressLine progress(stderr);
    std::unique_ptr<HitWriter> writer;
    std::size_t found = 0;
    std::size_t deleted = 0;
    std::size_t orphaned = 0;
    std::size_t incomplete = 0;
    std::size_t unreadable = 0;
    bool stopped = false;
    HitRow row;  // one for all hits: its texts keep their storage
    RowExtras extras;
    for (const FolderStore& store : stores) {
        const StoreScan scan = ScanForListing(store.path, progress, args.deep);
        if (scan.report.outcome == ScanOutcome::OpenFailed) {
            ++unreadable;
            continue;
        }
        if (!writer) {
            HitColumns columns;
            columns.folder = folder;
            columns.incomplete = args.deep;
            columns.displacement = folder || args.deep || scan.displacement != 0;
            writer = MakeHitWriter(args.format, stdout, columns);
            writer->Begin();
        }
        if (folder) writer->BeginStore(store.name);
        extras.folder = store.name;
        extras.displacement = scan.displacement;
        for (const RecoveredMessage& m : scan.messages) {
            ++found;
            deleted += m.deleted && !m.orphaned;
            orphaned += m.orphaned;
            incomplete += m.incomplete;
            row.offset = m.offset;
            row.status = StatusText(m);
            if (m.orphaned) {  // already UTF-8, from the mail's own header
                row.from = m.from;
                row.to = m.to;
                row.subject = m.subject;
            } else {
                decoder->DecodeInto(m.from, row.from);
                decoder->DecodeInto(m.to, row.to);
                decoder->DecodeInto(m.subject, row.subject);
            }
            row.dateText = m.dateText;
            row.dateUtc = m.dateText.empty() && m.orphaned ? "" : IsoUtcText(m.dateSeconds);
            extras.incomplete = m.incomplete;
            writer->Write(row, extras);
        }
        if (scan.report.outcome == ScanOutcome::Stopped) {
            stopped = true;
            break;
        }
    }
    if (!writer) return kExitFailure;  // not one store could be read
    writer->End();
    std::fflush(stdout);
    if (progress.Active()) {
        std::fprintf(stderr, "%zu messages found (%zu existing, %zu deleted", found,
                     found - deleted - orphaned, deleted);
        if (args.deep) std::fprintf(stderr, ", %zu orphaned; %zu incomplete", orphaned, incomplete);
        std::fprintf(stderr, ")%s\n", stopped ? "; the scan was stopped" : "");
    }
    return stopped ? kExitInterrupted : kExitOk;
}

}  // namespace dbx::cli
