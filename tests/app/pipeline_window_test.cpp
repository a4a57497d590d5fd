// The window runs the command line's search: a deep search of two stores written one after the
// other lists exactly the rows SearchStore gives, and the preview and Save read a message of
// the second store where it lies, the bytes `dbxrecover extract --deep` writes.
#include <QAction>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <tuple>

#include "dialog_fixture.h"
#include "extract_command.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "output_path.h"
#include "preview/preview_controller.h"
#include "store_generator.h"
#include "store_search.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

// Offset, status, displacement and store of a row.
using Row = std::tuple<std::uint32_t, std::string, std::int64_t, std::uint32_t>;

std::multiset<Row> WindowRows(const ResultsModel& results) {
    std::multiset<Row> rows;
    for (int row = 0; row < results.rowCount(); ++row) {
        rows.emplace(results.Offset(row), results.Text(row, ResultsModel::kStatus).toStdString(),
                     results.Displacement(row), results.Store(row));
    }
    return rows;
}

std::multiset<Row> SearchRows(const SearchResult& result) {
    std::multiset<Row> rows;
    for (const RecoveredMessage& m : result.messages) {
        rows.emplace(m.offset, StatusText(m), m.displacement, m.store);
    }
    return rows;
}

class PipelineWindow : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        seams.saveFolder = [this](const std::string&) { return out.Path().string(); };
        dialog->Flow().Preview().SetMode(PreviewMode::Raw);
        // Two stores one after the other, each with deleted messages.
        std::ofstream two(path, std::ios::binary);
        for (const auto& [count, deleted, seed] : {std::tuple{20u, 3u, 5u}, {30u, 4u, 6u}}) {
            const std::string part = stores.File("part.dbx");
            gen::GeneratorOptions options;
            options.messageCount = count;
            options.deletedCount = deleted;
            options.seed = seed;
            options.overwrite = true;
            gen::GenerateStore(part, options);
            const std::string bytes = ReadAll(part);
            two.write(bytes.data(), std::streamsize(bytes.size()));
            if (firstSize == 0) firstSize = bytes.size();
        }
    }
    void TearDown() override {
        // The choice outlives the window.
        if (QAction* deep = DeepItem()) deep->setChecked(false);
        DialogTest::TearDown();
    }
    QAction* DeepItem() const { return dialog->findChild<QAction*>(QStringLiteral("deepSearch")); }
    // The window's row of the message at `offset` read at `displacement`; -1 when none.
    int RowOf(std::uint32_t offset, std::int64_t displacement) const {
        const ResultsModel& results = *dialog->Results();
        for (int row = 0; row < results.rowCount(); ++row) {
            if (results.Offset(row) == offset && results.Displacement(row) == displacement) {
                return row;
            }
        }
        return -1;
    }

    std::string path = stores.File("two.dbx");
    std::size_t firstSize = 0;
    TempDir out;
    TempDir cliOut;
};

TEST_F(PipelineWindow, ADeepSearchListsSearchStoresRowsAndReadsTheSecondStoreWhereItLies) {
    ASSERT_NE(DeepItem(), nullptr);
    DeepItem()->setChecked(true);
    SetPath(path);
    Click(kIdNext);
    WaitForJobs();

    // Exactly the rows of the search the command line runs.
    SearchObserver none;
    SearchOptions options;
    options.mode = SearchMode::Deep;
    const SearchResult search = SearchStore(path, options, none);
    ASSERT_EQ(search.groups, (std::vector<std::int64_t>{0, -std::int64_t(firstSize)}));
    ASSERT_EQ(search.messages.size(), 50u);
    EXPECT_EQ(WindowRows(*dialog->Results()), SearchRows(search));

    // A whole message of the second store, at an offset no row of the first names: what
    // `dbxrecover extract --deep` writes of it.
    std::set<std::uint32_t> firstOffsets;
    for (const RecoveredMessage& m : search.messages) {
        if (m.displacement == 0) firstOffsets.insert(m.offset);
    }
    const RecoveredMessage* chosen = nullptr;
    for (const RecoveredMessage& m : search.messages) {
        if (m.displacement != 0 && !m.deleted && !firstOffsets.count(m.offset)) chosen = &m;
    }
    ASSERT_NE(chosen, nullptr);
    cli::ExtractArgs args;
    args.store = path;
    args.deep = true;
    args.out = cliOut.File("mails");
    args.offsets = {chosen->offset};
    ASSERT_EQ(cli::RunExtract(args), 0);
    const std::vector<std::string> written = EmlFiles(args.out);
    ASSERT_EQ(written.size(), 1u);
    const std::string expected = ReadAll(JoinPath(args.out, written[0]));
    ASSERT_FALSE(expected.empty());
    // Read where the first store lies, the same offset gives other bytes.
    {
        ExtractExtras first = ReadingOf(*chosen, nullptr);
        first.displacement = 0;
        first.name = "first";
        MailCounter counter;
        const ExtractOutcome outcome = ExtractMessage(
            {chosen->offset, path, cliOut.Path().string(), 0, "Mail"}, counter, first);
        EXPECT_NE(ReadAll(outcome.path), expected);
    }

    const int row = RowOf(chosen->offset, chosen->displacement);
    ASSERT_GE(row, 0);
    // The preview extracts the message into its folder: the bytes it shows from.
    std::mutex mutex;
    std::string previewed;
    seams.previewStart = [&] {
        for (const std::string& name : EmlFiles(TempFolder())) {
            std::lock_guard lock(mutex);
            previewed = ReadAll(JoinPath(TempFolder(), name));
        }
    };
    ClickCell(dialog->Shown()->ShownRow(row), ResultsModel::kSubject);
    WaitForJobs();
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(previewed == expected)
            << previewed.size() << " bytes previewed, " << expected.size() << " extracted";
    }
    seams.previewStart = nullptr;

    dialog->Results()->SetChecked(row, true);
    Click(kIdSave);
    WaitForJobs();
    const std::vector<std::string> saved = EmlFiles(out.Path().string());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(ReadAll(out.File(saved[0])) == expected);
}

}  // namespace
}  // namespace dbx::test
