#include "extract_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "codepage.h"
#include "dry_run.h"
#include "existing_copies.h"
#include "extract_failures.h"
#include "file_names.h"
#include "mbox_writer.h"
#include "message_extractor.h"
#include "output_path.h"
#include "scan_command.h"
#include "scan_runner.h"
#include "store_scan.h"

namespace dbx::cli {
namespace {

namespace fs = std::filesystem;

bool StatusMatches(const std::string& status, const RecoveredMessage& m) {
    if (status.empty()) return true;
    if (status == "orphaned") return m.orphaned;
    return !m.orphaned && (status == "deleted") == m.deleted;
}

std::vector<Chosen> Choose(const ExtractArgs& args, const std::vector<RecoveredMessage>& hits) {
    std::vector<Chosen> chosen;
    if (!args.offsets.empty()) {
        for (std::uint32_t offset : args.offsets) {
            Chosen c{offset, std::nullopt};
            for (const RecoveredMessage& m : hits) {
                if (m.offset == offset) c.found = m;
            }
            chosen.push_back(c);
        }
        return chosen;
    }
    for (const RecoveredMessage& m : hits) {
        if (StatusMatches(args.status, m)) chosen.push_back({m.offset, m});
    }
    return chosen;
}

void SetFileTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Totals {
    ExtractTotals counts;  // failed is the size of failures
    std::vector<std::string> failures;
    std::vector<std::string> notes;  // the incomplete files, named
    std::size_t wouldWrite = 0;
    bool writingStopped = false;  // an error every further message would meet
};

class StoreExtraction {
  public:
    StoreExtraction(const ExtractArgs& args, CodePageDecoder& decoder, ProgressLine& progress,
                    Totals& totals)
        : args_(args), decoder_(decoder), progress_(progress), totals_(totals) {}

    // Returns false when the run ends here (Ctrl-C, an mbox that cannot be created, or an
    // error that every further message would meet).
    bool Run(const std::string& store, const std::string& outDir, const std::string& mboxPath,
             const StoreScan& scan) {
        const std::vector<Chosen> chosen = Choose(args_, scan.messages);
        if (args_.dryRun) {
            ListDryRun(stdout, outDir, args_.prefix, chosen, decoder_,
                       [this](const Chosen& c) { return NameFor(c); });
            totals_.wouldWrite += chosen.size();
            return true;
        }
        std::error_code ec;
        fs::create_directories(outDir, ec);
        if (ec || !fs::is_directory(outDir)) {
            totals_.failures.push_back("cannot use the folder '" + outDir +
                                       "': " + (ec ? ec.message() : "not a folder"));
            return true;
        }
        MboxWriter mbox;
        if (!mboxPath.empty() && !mbox.Create(mboxPath)) {
            std::fprintf(stderr, "dbxrecover: cannot create '%s': %s\n", mboxPath.c_str(),
                         errno == EEXIST ? "it exists already" : std::strerror(errno));
            return false;
        }
        mboxOk_ = true;
        const ExistingCopies earlier(outDir);
        MailCounter counter;
        for (std::size_t i = 0; i < chosen.size() && !InterruptFlag().load(); ++i) {
            const Chosen& c = chosen[i];
            progress_.SetPercent(int(i * 100 / chosen.size()));
            progress_.SetStatus("Extracting " + std::to_string(i + 1) + " of " +
                                std::to_string(chosen.size()));
            ExtractExtras extras;
            extras.displacement = scan.displacement;
            extras.trimFreedTail = true;
            extras.name = NameFor(c);
            const ExtractOutcome outcome =
                ExtractMessage({c.offset, store, outDir, 0, args_.prefix}, counter, extras);
            if (outcome.status != ExtractStatus::Written) {
                totals_.failures.push_back("offset " + std::to_string(c.offset) + ": " +
                                           DescribeExtractFailure(outcome));
                if (WritingCannotGoOn(outcome)) {
                    totals_.counts.notTried += chosen.size() - i - 1;
                    totals_.writingStopped = true;
                    break;
                }
                continue;
            }
            const bool incomplete = outcome.incomplete || (c.found && c.found->incomplete);
            if (std::string copy = earlier.Find(outcome.path); !copy.empty()) {
                ::unlink(outcome.path.c_str());  // ours, made a moment ago
                if (extras.name.empty()) counter.Set(counter.Value() - 1);  // the number is free
                ++totals_.counts.already;
                Append(mbox, mboxPath, c, copy);
                continue;
            }
            ++totals_.counts.written;
            if (incomplete) {
                ++totals_.counts.incomplete;
                const char* why = outcome.incomplete ? DescribeChainEnd(outcome.end)
                                                     : "the start of its chain is gone";
                totals_.notes.push_back("offset " + std::to_string(c.offset) + ": " + outcome.path +
                                        " is incomplete: " + why);
            }
            if (c.found && !c.found->dateText.empty()) {
                SetFileTime(outcome.path, c.found->dateSeconds);
            }
            Append(mbox, mboxPath, c, outcome.path);
        }
        if (!mbox.Close()) {
            totals_.failures.push_back("cannot finish " + mboxPath + ": " + std::strerror(errno));
        }
        return !InterruptFlag().load() && !totals_.writingStopped;
    }

  private:
    std::string NameFor(const Chosen& c) const {
        if (args_.names != "descriptive") return {};
        if (!c.found)
            return DescriptiveName(std::nullopt, "", "offset " + std::to_string(c.offset));
        const RecoveredMessage& m = *c.found;
        std::optional<std::int64_t> date;
        if (!m.dateText.empty()) date = m.dateSeconds;
        return DescriptiveName(date, Utf8Text(m, m.from, decoder_),
                               Utf8Text(m, m.subject, decoder_));
    }

    void Append(MboxWriter& mbox, const std::string& mboxPath, const Chosen& c,
                const std::string& file) {
        if (mboxPath.empty() || !mboxOk_) return;
        // The mbox ends at its last whole message; later ones are not added.
        if (!mbox.Append(c.found ? c.found->from : "", c.found ? c.found->dateSeconds : 0,
                         ReadFile(file))) {
            totals_.failures.push_back(MboxFailure(mboxPath, c.offset, errno));
            mboxOk_ = false;
        }
    }

    const ExtractArgs& args_;
    CodePageDecoder& decoder_;
    ProgressLine& progress_;
    Totals& totals_;
    bool mboxOk_ = true;
};

}  // namespace

int RunExtract(const ExtractArgs& args) {
    if (args.prefix.find('/') != std::string::npos) {
        std::fprintf(stderr, "dbxrecover: the prefix must not contain '/'\n");
        return kExitUsage;
    }
    auto decoder = CodePageDecoder::Open(args.codepage);
    if (!decoder) {
        std::fprintf(stderr, "dbxrecover: unknown code page '%s'\n", args.codepage.c_str());
        return kExitUsage;
    }
    std::vector<FolderStore> stores;
    bool folder = false;
    if (!ListStores(args.store, stores, folder)) return kExitFailure;
    if (!args.dryRun) {
        std::error_code ec;
        fs::create_directories(args.out, ec);
        if (ec || !fs::is_directory(args.out)) {
            std::fprintf(stderr, "dbxrecover: cannot use the folder '%s': %s\n", args.out.c_str(),
                         ec ? ec.message().c_str() : "not a folder");
            return kExitFailure;
        }
        if (folder && !args.mbox.empty()) {
            fs::create_directories(args.mbox, ec);
            if (ec || !fs::is_directory(args.mbox)) {
                std::fprintf(stderr, "dbxrecover: cannot use the folder '%s' for the mbox files\n",
                             args.mbox.c_str());
                return kExitFailure;
            }
        }
    }

    ProgressLine progress(stderr);
    Totals totals;
    StoreExtraction extraction(args, *decoder, progress, totals);
    std::size_t unreadable = 0;
    bool interrupted = false;
    for (const FolderStore& store : stores) {
        const StoreScan scan = ScanForListing(store.path, progress, args.deep);
        if (scan.report.outcome == ScanOutcome::OpenFailed) {
            ++unreadable;
            continue;
        }
        if (scan.report.outcome == ScanOutcome::Stopped) {
            std::fprintf(stderr, "dbxrecover: stopped during the scan; nothing more was written\n");
            interrupted = true;
            break;
        }
        const std::string outDir = folder ? JoinPath(args.out, store.name) : args.out;
        std::string mboxPath = args.mbox;
        if (folder && !args.mbox.empty()) mboxPath = JoinPath(args.mbox, store.name + ".mbox");
        if (!extraction.Run(store.path, outDir, mboxPath, scan)) {
            interrupted = InterruptFlag().load();
            if (!interrupted && !totals.writingStopped) return kExitFailure;
            break;
        }
    }
    progress.Clear();
    if (unreadable == stores.size()) return kExitFailure;
    if (args.dryRun) {
        std::printf("%zu would be written\n", totals.wouldWrite);
        return interrupted ? kExitInterrupted : kExitOk;
    }
    for (const std::string& note : totals.notes) {
        std::fprintf(stderr, "dbxrecover: %s\n", note.c_str());
    }
    for (const std::string& failure : totals.failures) {
        std::fprintf(stderr, "dbxrecover: %s\n", failure.c_str());
    }
    totals.counts.failed = totals.failures.size();
    PrintSummary(totals.counts);
    if (interrupted) return kExitInterrupted;
    // Failures are listed; the run itself finished unless writing could not go on.
    return totals.writingStopped ? kExitFailure : kExitOk;
}

}  // namespace dbx::cli
