#include "extract_command.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dry_run.h"
#include "extract_failures.h"
#include "mbox_writer.h"
#include "message_extractor.h"
#include "output_path.h"
#include "scan_runner.h"

namespace dbx::cli {
namespace {

namespace fs = std::filesystem;

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
        if (args.status.empty() || (args.status == "deleted") == m.deleted) {
            chosen.push_back({m.offset, m});
        }
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
    ProgressLine progress(stderr);
    std::vector<RecoveredMessage> hits;
    const ScanReport report = RunScanWithProgress(
        args.store, progress, [&](const RecoveredMessage& m) { hits.push_back(m); });
    if (report.outcome == ScanOutcome::OpenFailed) return kExitFailure;
    if (report.outcome == ScanOutcome::Stopped) {
        std::fprintf(stderr, "dbxrecover: stopped during the scan; nothing was written\n");
        return kExitInterrupted;
    }
    const std::vector<Chosen> chosen = Choose(args, hits);
    if (args.dryRun) {
        ListDryRun(stdout, args.out, args.prefix, chosen, *decoder);
        return kExitOk;
    }

    std::error_code ec;
    fs::create_directories(args.out, ec);
    if (ec || !fs::is_directory(args.out)) {
        std::fprintf(stderr, "dbxrecover: cannot use the folder '%s': %s\n", args.out.c_str(),
                     ec ? ec.message().c_str() : "not a folder");
        return kExitFailure;
    }
    MboxWriter mbox;
    bool mboxOpen = !args.mbox.empty();
    if (mboxOpen && !mbox.Create(args.mbox)) {
        std::fprintf(stderr, "dbxrecover: cannot create '%s': %s\n", args.mbox.c_str(),
                     errno == EEXIST ? "it exists already" : std::strerror(errno));
        return kExitFailure;
    }

    MailCounter counter;
    std::size_t written = 0;
    std::size_t notTried = 0;
    std::vector<std::string> failures;
    for (std::size_t i = 0; i < chosen.size() && !InterruptFlag().load(); ++i) {
        const Chosen& c = chosen[i];
        progress.SetPercent(int(i * 100 / chosen.size()));
        progress.SetStatus("Extracting " + std::to_string(i + 1) + " of " +
                           std::to_string(chosen.size()));
        const ExtractOutcome outcome =
            ExtractMessage({c.offset, args.store, args.out, 0, args.prefix}, counter);
        if (outcome.status != ExtractStatus::Written) {
            failures.push_back("offset " + std::to_string(c.offset) + ": " +
                               DescribeExtractFailure(outcome));
            if (WritingCannotGoOn(outcome)) {
                notTried = chosen.size() - i - 1;
                break;
            }
            continue;
        }
        ++written;
        if (c.found) SetFileTime(outcome.path, c.found->dateSeconds);
        if (mboxOpen && !mbox.Append(c.found ? c.found->from : "",
                                     c.found ? c.found->dateSeconds : 0, ReadFile(outcome.path))) {
            failures.push_back(MboxFailure(args.mbox, c.offset, errno));
            mboxOpen = false;
        }
    }
    if (!mbox.Close())
        failures.push_back("cannot finish " + args.mbox + ": " + std::strerror(errno));
    progress.Clear();
    for (const std::string& failure : failures) {
        std::fprintf(stderr, "dbxrecover: %s\n", failure.c_str());
    }
    PrintSummary(written, failures.size(), notTried);
    if (InterruptFlag().load()) return kExitInterrupted;
    return failures.empty() ? kExitOk : kExitFailure;
}

}  // namespace dbx::cli
