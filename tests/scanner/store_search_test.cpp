// The one search the command line and the window both run: plain, deep and image, each row
// with its own displacement (and store), read again through ReadingOf; its stop flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "image_builder.h"
#include "message_extractor.h"
#include "store_generator.h"
#include "store_search.h"
#include "test_support.h"

namespace dbx {
namespace {

using Bytes = std::vector<std::uint8_t>;
// Offset, status and displacement of a row.
using Row = std::tuple<std::uint32_t, std::string, std::int64_t>;

struct Generated {
    gen::GeneratedStore store;
    std::map<std::uint32_t, std::string> bodies;  // by body offset
    Bytes bytes;
};

Generated Generate(const std::string& path, std::uint32_t messages, std::uint32_t deleted,
                   std::uint64_t seed, const std::string& folder) {
    Generated g;
    gen::GeneratorOptions options;
    options.messageCount = messages;
    options.deletedCount = deleted;
    options.seed = seed;
    options.folderName = folder;
    options.overwrite = true;
    options.onMessage = [&g](const gen::ManifestEntry& entry, std::string_view body) {
        g.bodies[entry.bodyOffset] = std::string(body);
    };
    g.store = gen::GenerateStore(path, options);
    g.bytes = gen::ReadFileBytes(path);
    return g;
}

void WriteFile(const std::string& path, const std::vector<const Bytes*>& parts) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const Bytes* part : parts) {
        out.write(reinterpret_cast<const char*>(part->data()), std::streamsize(part->size()));
    }
}

std::multiset<Row> Expected(const Generated& g, std::int64_t displacement) {
    std::multiset<Row> rows;
    for (const gen::ManifestEntry& m : g.store.messages) {
        rows.emplace(m.bodyOffset, gen::StatusName(m.status), displacement);
    }
    return rows;
}

std::multiset<Row> Rows(const std::vector<RecoveredMessage>& messages) {
    std::multiset<Row> rows;
    for (const RecoveredMessage& m : messages) rows.emplace(m.offset, StatusText(m), m.displacement);
    return rows;
}

// Counts what the search tells, and keeps the rows passed live.
struct Recorder : SearchObserver {
    std::vector<RecoveredMessage> live;
    std::size_t windows = 0;
    std::size_t surveyed = 0;
    bool surveyEnded = false;
    std::function<void(std::uint64_t)> onWindow;
    std::function<void(const SurveyProgress&)> onSurvey;
    void OnWindow(std::uint64_t offset, std::string_view) override {
        ++windows;
        if (onWindow) onWindow(offset);
    }
    void OnSurveyProgress(const SurveyProgress& p) override {
        ++surveyed;
        if (onSurvey) onSurvey(p);
    }
    void OnSurveyEnded() override { surveyEnded = true; }
    void OnMessage(const RecoveredMessage& m) override { live.push_back(m); }
};

SearchResult Search(const std::string& path, SearchMode mode, Recorder& recorder,
                    bool live = false, const std::atomic<int>* stop = nullptr) {
    SearchOptions options;
    options.mode = mode;
    options.formatDate = test::UtcDates();
    options.liveRows = live;
    options.stopFlag = stop;
    return SearchStore(path, options, recorder);
}

// The bytes ReadingOf reads for the row, as the command line's extract writes them.
std::string ReadAgain(const std::string& path, const SearchResult& result,
                      const RecoveredMessage& m, const test::TempDir& out) {
    MailCounter counter;
    ExtractExtras extras = ReadingOf(m, result.PiecesOf(m.store));
    extras.name = "again";
    const ExtractOutcome outcome =
        ExtractMessage({m.offset, path, out.Path().string(), 0, "Mail"}, counter, extras);
    if (outcome.status != ExtractStatus::Written) return "(" + DescribeExtractFailure(outcome) + ")";
    const std::string bytes = test::ReadWholeFile(outcome.path);
    std::filesystem::remove(outcome.path);
    return bytes;
}

// The bytes a row reads again are its body's; a deleted message's freed chain keeps its size
// (its blocks' first words are the store's, as the command line writes them too).
void ExpectBody(const std::string& again, const RecoveredMessage& m, const Generated& g) {
    const std::string& body = g.bodies.at(m.offset);
    if (m.deleted) {
        EXPECT_EQ(again.size(), body.size()) << m.offset << " at " << m.displacement;
    } else {
        EXPECT_TRUE(again == body) << m.offset << " at " << m.displacement << ": " << again.size()
                                   << " bytes, not " << body.size();
    }
}

class TwoStores : public ::testing::Test {
  protected:
    void SetUp() override {
        first = Generate(dir.File("a.dbx"), 20, 3, 5, "First");
        second = Generate(dir.File("b.dbx"), 30, 4, 6, "Second");
        WriteFile(path, {&first.bytes, &second.bytes});
    }

    test::TempDir dir;
    std::string path = dir.File("two.dbx");
    Generated first;
    Generated second;
};

TEST_F(TwoStores, ThePlainSearchListsTheFirstAsItLies) {
    Recorder recorder;
    const SearchResult result = Search(path, SearchMode::Plain, recorder);
    EXPECT_EQ(result.report.outcome, ScanOutcome::Finished);
    EXPECT_EQ(result.groups, std::vector<std::int64_t>{0});
    ASSERT_EQ(result.messages.size(), 20u);
    EXPECT_EQ(Rows(result.messages), Expected(first, 0));
    EXPECT_TRUE(result.storeNames.empty());
    // Rows were not asked for live.
    EXPECT_TRUE(recorder.live.empty());
    EXPECT_GT(recorder.windows, 0u);
}

TEST_F(TwoStores, TheDeepSearchListsBothEachAtItsOwnDisplacementAndReadsThemBack) {
    Recorder recorder;
    const SearchResult result = Search(path, SearchMode::Deep, recorder);
    EXPECT_EQ(result.report.outcome, ScanOutcome::Finished);
    const auto shift = -std::int64_t(first.bytes.size());
    EXPECT_EQ(result.groups, (std::vector<std::int64_t>{0, shift}));
    ASSERT_EQ(result.messages.size(), 50u);
    std::multiset<Row> expected = Expected(first, 0);
    expected.merge(Expected(second, shift));
    EXPECT_EQ(Rows(result.messages), expected);
    // The first store's rows first, in the order found.
    for (std::size_t i = 0; i < result.messages.size(); ++i) {
        EXPECT_EQ(result.messages[i].displacement, i < 20 ? 0 : shift) << i;
        EXPECT_FALSE(result.messages[i].orphaned);
        EXPECT_FALSE(result.messages[i].incomplete);
    }
    // Each row read again gives its body, byte for byte: the second store's at its place.
    test::TempDir out;
    for (const RecoveredMessage& m : result.messages) {
        const Generated& g = m.displacement == 0 ? first : second;
        ExpectBody(ReadAgain(path, result, m, out), m, g);
    }
}

TEST_F(TwoStores, LiveRowsAreTheResultsRows) {
    Recorder recorder;
    const SearchResult result = Search(path, SearchMode::Deep, recorder, /*live=*/true);
    ASSERT_EQ(result.messages.size(), 50u);
    EXPECT_EQ(Rows(recorder.live), Rows(result.messages));
}

TEST(StoreSearch, ADisplacedStoreIsReadAtItsOwnPositionsByTheDeepSearchOnly) {
    test::TempDir dir;
    const Generated g = Generate(dir.File("store.dbx"), 25, 2, 9, "Inbox");
    const Bytes garbage = test::RandomByteVector(4096, 7);
    const std::string path = dir.File("displaced.dbx");
    WriteFile(path, {&garbage, &g.bytes});

    Recorder recorder;
    const SearchResult plain = Search(path, SearchMode::Plain, recorder);
    EXPECT_EQ(plain.report.outcome, ScanOutcome::Finished);
    EXPECT_TRUE(plain.messages.empty());
    // Nothing as it lies, but blocks that agree elsewhere: the deep search can do better.
    EXPECT_GE(plain.blocksAgreeing, 3u);

    const SearchResult deep = Search(path, SearchMode::Deep, recorder);
    EXPECT_EQ(deep.report.outcome, ScanOutcome::Finished);
    EXPECT_EQ(deep.groups, std::vector<std::int64_t>{-4096});
    EXPECT_EQ(deep.Displacement(), -4096);
    EXPECT_EQ(Rows(deep.messages), Expected(g, -4096));
    test::TempDir out;
    for (const RecoveredMessage& m : deep.messages) {
        ExpectBody(ReadAgain(path, deep, m, out), m, g);
    }
}

TEST_F(TwoStores, ARaisedStopFlagEndsTheSearchWithWhatWasFound) {
    std::atomic<int> stop{1};
    for (SearchMode mode : {SearchMode::Plain, SearchMode::Deep, SearchMode::Image}) {
        Recorder recorder;
        const SearchResult result = Search(path, mode, recorder, true, &stop);
        EXPECT_EQ(result.report.outcome, ScanOutcome::Stopped) << int(mode);
        EXPECT_TRUE(result.messages.empty()) << int(mode);
    }

    // Stopped as the second store's scan starts: the first store's rows stay, no orphans are
    // looked for.
    std::atomic<int> later{0};
    Recorder recorder;
    std::size_t scans = 0;
    recorder.onWindow = [&](std::uint64_t offset) {
        if (offset == 0 && ++scans == 2) later = 1;
    };
    const SearchResult result = Search(path, SearchMode::Deep, recorder, false, &later);
    EXPECT_EQ(result.report.outcome, ScanOutcome::Stopped);
    EXPECT_EQ(Rows(result.messages), Expected(first, 0));
    ASSERT_EQ(result.scans.size(), 2u);
    EXPECT_EQ(result.scans[1].report.outcome, ScanOutcome::Stopped);
}

TEST(StoreSearch, AnImagesStoresAreNamedAndTheSurveyAloneCanBeStopped) {
    constexpr std::uint64_t kMiB = 1 << 20;
    test::TempDir dir;
    const Generated inbox = Generate(dir.File("inbox.dbx"), 15, 0, 3, "Inbox");
    const Generated sent = Generate(dir.File("sent.dbx"), 12, 0, 4, "Sent Items");
    const std::string image = dir.File("disk.img");
    {
        gen::ImageBuilder disk(image, 12 * kMiB);
        disk.Random(0, 12 * kMiB, 5);
        disk.Put(63 * gen::ImageBuilder::kSector, inbox.bytes);
        disk.Put(8 * kMiB, sent.bytes);
    }
    Recorder recorder;
    const SearchResult whole = Search(image, SearchMode::Image, recorder);
    EXPECT_EQ(whole.report.outcome, ScanOutcome::Finished);
    std::vector<std::string> names = whole.storeNames;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Inbox", "Sent Items"}));
    EXPECT_EQ(whole.storePieces.size(), 2u);
    EXPECT_TRUE(recorder.surveyEnded);
    EXPECT_GT(recorder.surveyed, 0u);
    std::map<std::string, std::size_t> perStore;
    for (const RecoveredMessage& m : whole.messages) ++perStore[whole.storeNames.at(m.store)];
    EXPECT_EQ(perStore, (std::map<std::string, std::size_t>{{"Inbox", 15}, {"Sent Items", 12}}));
    // Each store's rows together.
    for (std::size_t i = 1; i < whole.messages.size(); ++i) {
        EXPECT_LE(whole.messages[i - 1].store, whole.messages[i].store);
    }
    test::TempDir out;
    for (const RecoveredMessage& m : whole.messages) {
        const Generated& g = whole.storeNames[m.store] == "Inbox" ? inbox : sent;
        ExpectBody(ReadAgain(image, whole, m, out), m, g);
    }

    // The survey's own flag, raised at 4 MiB: the first store is still read, the second was
    // never reached, and the search says it was stopped.
    std::atomic<int> survey{0};
    std::atomic<int> stop{0};
    Recorder stopping;
    stopping.onSurvey = [&](const SurveyProgress& p) {
        if (p.position >= 4 * kMiB) survey = 1;
    };
    SearchOptions options;
    options.mode = SearchMode::Image;
    options.formatDate = test::UtcDates();
    options.stopFlag = &stop;
    options.surveyStopFlag = &survey;
    const SearchResult part = SearchStore(image, options, stopping);
    EXPECT_TRUE(part.surveyStopped);
    EXPECT_EQ(part.report.outcome, ScanOutcome::Stopped);
    EXPECT_EQ(part.storeNames, std::vector<std::string>{"Inbox"});
    EXPECT_EQ(part.messages.size(), 15u);
}

TEST(StoreSearch, SaysWhyNothingWasFound) {
    ScanReport report;
    EXPECT_EQ(WhyNothingWasFound("'x'", report), "'x' is empty");
    report.fileLength = report.scannedLength = 1000;
    EXPECT_EQ(WhyNothingWasFound("'x'", report),
              "'x' is too short to hold messages (1000 bytes; a store needs at least 2000)");
    report.fileLength = report.scannedLength = 5000;
    EXPECT_EQ(WhyNothingWasFound("'x'", report),
              "'x' holds no message record that could be recognised");
}

}  // namespace
}  // namespace dbx
