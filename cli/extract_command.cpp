#include "extract_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "codepage.h"
#include "dry_run.h"
#include "existing_copies.h"
#include "exit_codes.h"
#include "extract_failures.h"
#include "file_names.h"
#include "mbox_writer.h"
#include "message_extractor.h"
#include "messages.h"
#include "output_path.h"
#include "same_disk.h"
#include "scan_command.h"
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

// The file's dates become the message's; a file left with today's date loses nothing.
void SetFileTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    (void)utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// The whole file (one just written); false when any of it could not be read.
bool ReadWhole(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    text.clear();
    char chunk[64 * 1024];
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text.append(chunk, std::size_t(got));
    }
    // Opened for reading only: a failed close loses nothing.
    (void)::close(fd);
    return got == 0;
}

// The rows of one store, and where its pieces lie (null: none).
struct StorePart {
    std::vector<RecoveredMessage> messages;
    std::shared_ptr<const PieceMap> pieces;
};

// One part per store of a disk image (in the order of their names); the whole search otherwise.
std::vector<StorePart> SplitByStore(const SearchResult& scan) {
    if (scan.mode != SearchMode::Image) return {{scan.messages, nullptr}};
    std::vector<StorePart> parts(scan.storeNames.size());
    for (std::size_t k = 0; k < parts.size(); ++k) {
        parts[k].pieces = scan.PiecesOf(std::uint32_t(k));
    }
    for (const RecoveredMessage& m : scan.messages) {
        if (m.store < parts.size()) parts[m.store].messages.push_back(m);
    }
    return parts;
}

struct Totals {
    ExtractTotals counts;
    MboxTotals mbox;
    std::vector<std::string> failures;
    std::vector<std::string> notes;  // the incomplete files, named
    std::size_t wouldWrite = 0;
    bool writingStopped = false;  // an error every further message would meet
    bool mboxUsed = false;
    bool storeMissed = false;  // a store, or a folder for its files, could not be used
};

class StoreExtraction {
  public:
    StoreExtraction(const ExtractArgs& args, CodePageDecoder& decoder, ProgressLine& progress,
                    Totals& totals, Output& out)
        : args_(args), decoder_(decoder), progress_(progress), totals_(totals), out_(out) {}

    // Returns false when the run ends here (Ctrl-C, an mbox that cannot be created, or an
    // error that every further message would meet).
    bool Run(const std::string& store, const std::string& outDir, const std::string& mboxPath,
             const SearchResult& scan, const StorePart& part) {
        const std::vector<Chosen> chosen = Choose(args_, part.messages);
        if (args_.dryRun) {
            ListDryRun(out_, outDir, args_.prefix, chosen, decoder_,
                       [this](const Chosen& c) { return NameFor(c); });
            totals_.wouldWrite += chosen.size();
            return true;
        }
        std::error_code ec;
        fs::create_directories(outDir, ec);
        if (ec || !fs::is_directory(outDir)) {
            totals_.failures.push_back("cannot use the folder " + Quoted(outDir) + ": " +
                                       (ec ? ec.message() : "not a folder"));
            totals_.counts.notTried += chosen.size();
            totals_.storeMissed = true;
            return true;
        }
        MboxWriter mbox;
        if (!mboxPath.empty() && !mbox.Create(mboxPath)) {
            Say("cannot create " + Quoted(mboxPath) + ": " +
                (errno == EEXIST ? "it exists already" : std::strerror(errno)));
            return false;
        }
        totals_.mboxUsed = totals_.mboxUsed || !mboxPath.empty();
        mboxOk_ = true;
        const ExistingCopies earlier(outDir);
        MailCounter counter;
        std::size_t i = 0;
        for (; i < chosen.size() && !InterruptFlag().load(); ++i) {
            const Chosen& c = chosen[i];
            progress_.SetPercent(int(i * 100 / chosen.size()));
            progress_.SetStatus("Extracting " + std::to_string(i + 1) + " of " +
                                std::to_string(chosen.size()));
            // Each row where the search read it; an offset not listed where the store lies.
            RecoveredMessage unlisted;
            unlisted.offset = c.offset;
            unlisted.displacement = scan.Displacement();
            ExtractExtras extras = ReadingOf(c.found ? *c.found : unlisted, part.pieces);
            extras.name = NameFor(c);
            extras.unreadable = scan.unreadable.get();
            extras.device = args_.device;
            const ExtractOutcome outcome =
                ExtractMessage({c.offset, store, outDir, 0, args_.prefix}, counter, extras);
            if (outcome.status != ExtractStatus::Written) {
                ++totals_.counts.failed;
                totals_.failures.push_back("offset " + std::to_string(c.offset) + ": " +
                                           Escaped(DescribeExtractFailure(outcome)));
                if (WritingCannotGoOn(outcome)) {
                    ++i;
                    totals_.writingStopped = true;
                    break;
                }
                continue;
            }
            const RecoveredMessage* listed = c.found ? &*c.found : nullptr;
            const std::string why = IncompleteReason(outcome, listed);
            if (std::string copy = earlier.Find(outcome.path); !copy.empty()) {
                // Ours, made a moment ago; should it stay, it is one more copy of the same.
                (void)::unlink(outcome.path.c_str());
                if (extras.name.empty()) counter.Set(counter.Value() - 1);  // the number is free
                ++totals_.counts.already;
                Append(mbox, mboxPath, c, copy);
                continue;
            }
            ++totals_.counts.written;
            if (!why.empty()) {
                ++totals_.counts.incomplete;
                totals_.notes.push_back("offset " + std::to_string(c.offset) + ": " +
                                        Escaped(outcome.path) + " is incomplete: " + why);
            }
            if (c.found && !c.found->dateText.empty()) {
                SetFileTime(outcome.path, c.found->dateSeconds);
            }
            Append(mbox, mboxPath, c, outcome.path);
        }
        totals_.counts.notTried += chosen.size() - i;
        if (!mbox.Close()) {
            totals_.failures.push_back("cannot finish " + Escaped(mboxPath) + ": " +
                                       std::strerror(errno));
            totals_.mbox.failed += totals_.mbox.added;
            totals_.mbox.added = 0;
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
        if (mboxPath.empty()) return;
        // The mbox ends at its last whole message; later ones are not added.
        if (!mboxOk_) {
            ++totals_.mbox.notTried;
            return;
        }
        std::string text;
        if (!ReadWhole(file, text)) {
            ++totals_.mbox.failed;
            totals_.failures.push_back("offset " + std::to_string(c.offset) + ": cannot read " +
                                       Escaped(file) + " back for " + Escaped(mboxPath));
            return;
        }
        if (!mbox.Append(c.found ? c.found->from : "", c.found ? c.found->dateSeconds : 0, text)) {
            ++totals_.mbox.failed;
            totals_.failures.push_back(MboxFailure(mboxPath, c.offset, errno));
            mboxOk_ = false;
            return;
        }
        ++totals_.mbox.added;
    }

    const ExtractArgs& args_;
    CodePageDecoder& decoder_;
    ProgressLine& progress_;
    Totals& totals_;
    Output& out_;
    bool mboxOk_ = true;
};

}  // namespace

int RunExtract(const ExtractArgs& args) {
    if (args.prefix.find('/') != std::string::npos) {
        Say("the prefix must not contain '/'");
        return kExitUsage;
    }
    auto decoder = CodePageDecoder::Open(args.codepage);
    if (!decoder) {
        Say("unknown code page " + Quoted(args.codepage));
        return kExitUsage;
    }
    std::vector<FolderStore> stores;
    bool folder = false;
    if (!ListStores(args.store, stores, folder)) return kExitFailure;
    if (!args.dryRun && !args.allowSameDisk) {
        for (const std::string& target : {args.out, args.mbox}) {
            if (target.empty() || !OutputOnInputDisk(args.store, target)) continue;
            Say("refusing to write to " + Quoted(target) + ": it lies on the disk " +
                Quoted(args.store) +
                " being read, and writing there could overwrite the mail being recovered; "
                "choose a folder on another disk (or give --allow-same-disk)");
            return kExitUsage;
        }
    }
    const bool split = folder || args.image;  // a folder (and an mbox) for each store
    if (!args.dryRun) {
        std::error_code ec;
        fs::create_directories(args.out, ec);
        if (ec || !fs::is_directory(args.out)) {
            Say("cannot use the folder " + Quoted(args.out) + ": " +
                (ec ? ec.message() : "not a folder"));
            return kExitFailure;
        }
        if (split && !args.mbox.empty()) {
            fs::create_directories(args.mbox, ec);
            if (ec || !fs::is_directory(args.mbox)) {
                Say("cannot use the folder " + Quoted(args.mbox) + " for the mbox files");
                return kExitFailure;
            }
        }
    }

    ProgressLine progress(stderr);
    Output out(stdout);
    Totals totals;
    StoreExtraction extraction(args, *decoder, progress, totals, out);
    std::size_t unopened = 0;
    bool interrupted = false;
    bool unreadableBytes = false;
    for (const FolderStore& store : stores) {
        const SearchResult scan =
            ScanForListing(store.path, progress, args.deep, args.device, args.image);
        if (scan.report.outcome == ScanOutcome::OpenFailed) {
            ++unopened;
            continue;
        }
        if (scan.report.outcome == ScanOutcome::Stopped) {
            SayUnreadable(*scan.unreadable, store.path, folder);
            unreadableBytes = unreadableBytes || !scan.unreadable->Empty();
            Say("stopped during the scan; nothing more was written");
            interrupted = true;
            break;
        }
        const std::vector<StorePart> parts = SplitByStore(scan);
        bool goOn = true;
        for (std::size_t part = 0; part < parts.size() && goOn; ++part) {
            // A store of an image that left nothing to list gets no folder of its own.
            if (args.image && parts[part].messages.empty()) continue;
            const std::string name = args.image ? scan.storeNames[part] : store.name;
            const std::string outDir = split ? JoinPath(args.out, name) : args.out;
            std::string mboxPath = args.mbox;
            if (split && !args.mbox.empty()) mboxPath = JoinPath(args.mbox, name + ".mbox");
            goOn = extraction.Run(store.path, outDir, mboxPath, scan, parts[part]);
        }
        progress.Clear();
        // Said after the extraction: it may have met more of them.
        SayUnreadable(*scan.unreadable, store.path, folder);
        unreadableBytes = unreadableBytes || !scan.unreadable->Empty();
        if (!goOn) {
            interrupted = InterruptFlag().load();
            if (!interrupted && !totals.writingStopped) return kExitFailure;
            break;
        }
    }
    progress.Clear();
    if (unopened == stores.size()) return kExitFailure;
    if (args.dryRun) {
        out.Line(std::to_string(totals.wouldWrite) + " would be written");
        if (!out.Finish("to standard output")) return interrupted ? kExitInterrupted : kExitFailure;
        if (interrupted) return kExitInterrupted;
        if (unopened > 0) return kExitFailure;
        return unreadableBytes ? kExitUnreadable : kExitOk;
    }
    for (const std::string& note : totals.notes) Say(note);
    for (const std::string& failure : totals.failures) Say(failure);
    if (totals.writingStopped) {
        Say("stopped: every further message would fail the same way; " +
            std::to_string(totals.counts.notTried) + " not tried");
    }
    out.Line(SummaryLine(totals.counts));
    const MboxTotals& mbox = totals.mbox;
    if (totals.mboxUsed && (mbox.failed > 0 || mbox.notTried > 0)) {
        out.Line(MboxSummaryLine(mbox));
    }
    const bool summarised = out.Finish("the summary");
    if (interrupted) return kExitInterrupted;
    const bool allWritten = summarised && unopened == 0 && !totals.storeMissed &&
                            totals.counts.failed == 0 && totals.counts.notTried == 0 &&
                            mbox.failed == 0 && mbox.notTried == 0;
    if (!allWritten) return kExitFailure;
    return unreadableBytes ? kExitUnreadable : kExitOk;
}

}  // namespace dbx::cli
