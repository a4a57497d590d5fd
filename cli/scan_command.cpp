#include "scan_command.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "codepage.h"
#include "exit_codes.h"
#include "hit_writers.h"
#include "messages.h"
#include "record_date.h"
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
        Say("cannot read " + Quoted(target) + ": " + error);
        return false;
    }
    if (stores.empty()) {
        Say("cannot read " + Quoted(target) + ": the folder holds no message store");
        return false;
    }
    return true;
}

int RunScan(const ScanArgs& args) {
    auto decoder = CodePageDecoder::Open(args.codepage);
    if (!decoder) {
        Say("unknown code page " + Quoted(args.codepage));
        return kExitUsage;
    }
    if (!MakeHitWriter(args.format, stdout)) {
        Say("unknown format " + Quoted(args.format));
        return kExitUsage;
    }
    std::vector<FolderStore> stores;
    bool folder = false;
    if (!ListStores(args.store, stores, folder)) return kExitFailure;

    ProgressLine progress(stderr);
    if (args.clock) progress.SetClock(args.clock);
    std::unique_ptr<HitWriter> writer;
    std::size_t found = 0;
    std::size_t deleted = 0;
    std::size_t orphaned = 0;
    std::size_t incomplete = 0;
    bool stopped = false;
    bool unreadableBytes = false;
    std::size_t unopened = 0;  // said by the scan, each with its reason
    HitRow row;                // one for all hits: its texts keep their storage
    RowExtras extras;
    for (const FolderStore& store : stores) {
        const SearchResult scan =
            ScanForListing(store.path, progress, args.deep, args.device, args.image);
        const bool image = scan.mode == SearchMode::Image;
        SayUnreadable(*scan.unreadable, store.path, folder);
        unreadableBytes = unreadableBytes || !scan.unreadable->Empty();
        if (scan.report.outcome == ScanOutcome::OpenFailed) {
            ++unopened;
            continue;
        }
        if (!writer) {
            HitColumns columns;
            columns.folder = folder || image;
            // Rows the disk failed part of are marked like broken chains.
            columns.incomplete = args.deep || args.image || !scan.unreadable->Empty();
            columns.displacement = folder || args.deep || args.image || scan.Displacement() != 0;
            writer = MakeHitWriter(args.format, stdout, columns);
            writer->Begin();
        }
        if (folder) writer->BeginStore(store.name);
        extras.folder = store.name;
        extras.displacement = scan.Displacement();
        for (const RecoveredMessage& m : scan.messages) {
            ++found;
            deleted += m.deleted && !m.orphaned;
            orphaned += m.orphaned;
            const bool partial = m.incomplete || m.unreadableBytes > 0;
            incomplete += partial;
            extras.displacement = m.displacement;
            if (image && m.store < scan.storeNames.size() &&
                extras.folder != scan.storeNames[m.store]) {
                extras.folder = scan.storeNames[m.store];
                writer->BeginStore(extras.folder);
            }
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
            extras.incomplete = partial;
            writer->Write(row, extras);
        }
        if (scan.report.outcome == ScanOutcome::Stopped) {
            stopped = true;
            break;
        }
        // A listing that cannot be written is not worth the scan of further stores.
        if (writer->Failed()) break;
    }
    if (!writer) return stopped ? kExitInterrupted : kExitFailure;  // not one store was read
    writer->End();
    const bool written = writer->Finish();
    if (progress.Active()) {
        std::string summary = std::to_string(found) + " messages found (" +
                              std::to_string(found - deleted - orphaned) + " existing, " +
                              std::to_string(deleted) + " deleted";
        if (args.deep || args.image) {
            summary += ", " + std::to_string(orphaned) + " orphaned; " +
                       std::to_string(incomplete) + " incomplete";
        }
        summary += stopped ? "); the scan was stopped\n" : ")\n";
        (void)std::fputs(summary.c_str(), stderr);
    }
    if (stopped) return kExitInterrupted;
    if (!written || unopened > 0) return kExitFailure;
    return unreadableBytes ? kExitUnreadable : kExitOk;
}

}  // namespace dbx::cli
