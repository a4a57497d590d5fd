// What the window counts, lists and saves of a store, held against the command line's plain
// scan of the same store; and what it says when it finds nothing.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "dialog_fixture.h"
#include "extract_command.h"
#include "list/results_model.h"
#include "store_builder.h"
#include "store_generator.h"
#include "store_scan.h"
#include "terminal.h"

namespace dbx::test {
namespace {

// The list's rows by status, and the body offsets they name.
struct Listing {
    std::map<std::string, int> statuses;
    std::multiset<std::uint32_t> offsets;
};

Listing WindowListing(const ResultsModel& results) {
    Listing listing;
    for (int row = 0; row < results.rowCount(); ++row) {
        ++listing.statuses[results.Text(row, ResultsModel::kStatus).toStdString()];
        listing.offsets.insert(results.Offset(row));
    }
    return listing;
}

Listing CommandLineListing(const std::string& store) {
    std::FILE* quiet = std::tmpfile();  // not a terminal: no progress line
    cli::ProgressLine progress(quiet);
    const SearchResult scan = cli::ScanForListing(store, progress, /*deep=*/false);
    std::fclose(quiet);
    Listing listing;
    for (const RecoveredMessage& m : scan.messages) {
        ++listing.statuses[StatusText(m)];
        listing.offsets.insert(m.offset);
    }
    return listing;
}

class Counts : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        seams.saveFolder = [this](const std::string&) { return out.Path().string(); };
        gen::GeneratorOptions options;
        options.messageCount = 60;
        options.deletedCount = 12;
        options.seed = 20;
        options.overwrite = true;
        options.onMessage = [this](const gen::ManifestEntry&, std::string_view body) {
            bodies.emplace_back(body);
        };
        generated = gen::GenerateStore(store, options);
        std::sort(bodies.begin(), bodies.end());
    }
    void Search() {
        SetPath(store);
        Click(kIdNext);
        WaitForJobs();
    }
    void SaveAll() {
        Click(kIdSelectAll);
        Click(kIdSave);
        WaitForJobs();
    }
    static std::vector<std::string> Bodies(const std::string& folder) {
        std::vector<std::string> saved;
        for (const std::string& name : EmlFiles(folder)) {
            saved.push_back(ReadAll(folder + "/" + name));
        }
        std::sort(saved.begin(), saved.end());
        return saved;
    }
    std::vector<std::string> SavedBodies() const { return Bodies(out.Path().string()); }
    // What `dbxrecover extract` writes of the store, sorted.
    std::vector<std::string> CommandLineBodies() const {
        cli::ExtractArgs args;
        args.store = store;
        args.out = cliOut.File("mails");
        EXPECT_EQ(cli::RunExtract(args), 0);
        return Bodies(args.out);
    }

    gen::GeneratedStore generated;
    std::vector<std::string> bodies;  // of the listed messages, sorted
    TempDir out;
    TempDir cliOut;
};

TEST_F(Counts, TheWindowListsWhatThePlainCommandLineScanListsAndTheTitleCountsIt) {
    // Stale freed copies of live records are what made the two disagree.
    ASSERT_GT(generated.staleRecords, 0u);
    Search();
    const Listing window = WindowListing(*dialog->Results());
    const Listing cli = CommandLineListing(store);
    EXPECT_EQ(window.offsets, cli.offsets);
    EXPECT_EQ(window.statuses, cli.statuses);
    EXPECT_EQ(window.offsets.size(), generated.messages.size());
    EXPECT_EQ(window.statuses.at("Deleted"), 12);
    EXPECT_TRUE(dialog->windowTitle().endsWith(" - 60 messages found: 48 existing, 12 deleted"))
        << dialog->windowTitle().toStdString();
}

TEST_F(Counts, SaveWritesEachBodyOnceAsStoredAndSkipsWhatTheFolderHoldsAlready) {
    Search();
    SaveAll();
    // Deleted ones too without the zeros that fill their last block.
    const std::vector<std::string> saved = SavedBodies();
    EXPECT_EQ(saved, CommandLineBodies());
    ASSERT_EQ(saved.size(), bodies.size());
    for (const std::string& body : saved) {
        EXPECT_NE(body.back(), '\0');
    }
    // The live ones exactly as the generator wrote them.
    std::size_t asWritten = 0;
    for (const std::string& body : bodies) {
        asWritten += std::binary_search(saved.begin(), saved.end(), body);
    }
    EXPECT_GE(asWritten, 48u);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_NE(DisplayedText(boxes.Shown()[0].text).find("60 mails saved in\n"), std::string::npos);

    // Again into the same folder: nothing new, the numbers stay free, and the box says why.
    const int next = dialog->Session().mailCounter.Value();
    Click(kIdUnselectAll);
    dialog->Results()->SetChecked(0, true);
    dialog->Results()->SetChecked(1, true);
    Click(kIdSave);
    WaitForJobs();
    EXPECT_EQ(SavedBodies(), saved);
    EXPECT_EQ(dialog->Session().mailCounter.Value(), next);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    const std::string text = DisplayedText(boxes.Shown()[1].text);
    EXPECT_NE(text.find("0 mails saved in\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\n2 mails were in the folder already, with the same bytes, and not "
                        "saved again."),
              std::string::npos)
        << text;
}

// A search that finds nothing says why, and offers the deep search where it can help.
class NothingFound : public DialogTest {
  protected:
    void Search(const std::string& path) {
        SetPath(path);
        Click(kIdNext);
        WaitForJobs();
    }
    QWidget* Note() const { return dialog->findChild<QWidget*>(QStringLiteral("nothingFound")); }
    QString Reason() const {
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("nothingFoundReason"));
        return label ? label->text() : QString();
    }
    QPushButton* DeepButton() const {
        return dialog->findChild<QPushButton*>(QStringLiteral("runDeepSearch"));
    }
    void TearDown() override {
        // The choice outlives the window.
        if (auto* deep = dialog->findChild<QAction*>(QStringLiteral("deepSearch"))) {
            deep->setChecked(false);
        }
        DialogTest::TearDown();
    }
};

TEST_F(NothingFound, EachReasonIsSaidAsTheCommandLineSaysIt) {
    const std::string empty = stores.File("empty.dbx");
    build::StoreBuilder{0}.Save(empty);
    Search(empty);
    ASSERT_NE(Note(), nullptr);
    EXPECT_TRUE(Note()->isVisible());
    EXPECT_EQ(Reason().toStdString(), "No messages found: '" + empty + "' is empty.");
    EXPECT_FALSE(DeepButton()->isVisible());
    EXPECT_TRUE(dialog->windowTitle().endsWith(" - No messages found"));

    Click(kIdBack);
    EXPECT_FALSE(Note()->isVisible());
    Search(stores.Path().string());
    EXPECT_EQ(Reason().toStdString(), "No messages found: cannot read '" + stores.Path().string() +
                                          "': it is a folder, not a mail store.");
    EXPECT_FALSE(DeepButton()->isVisible());

    Click(kIdBack);
    const std::string blank = stores.File("blank.dbx");
    build::StoreBuilder blankStore{0x8000};
    blankStore.Header();
    blankStore.Save(blank);
    Search(blank);
    EXPECT_EQ(Reason().toStdString(), "No messages found: '" + blank +
                                          "' holds no message record that could be recognised.");
    EXPECT_FALSE(DeepButton()->isVisible());

    // Rows found: no note.
    Click(kIdBack);
    WriteStore(store, {{"a@example.org", "b@example.org", "hello", "Subject: hello\r\n\r\nhi"}});
    Search(store);
    EXPECT_EQ(dialog->Results()->rowCount(), 1);
    EXPECT_FALSE(Note()->isVisible());
}

TEST_F(NothingFound, BlocksWithoutRecordsOfferTheDeepSearchWhichFindsThem) {
    constexpr std::uint32_t kBodies = 0x6000;
    build::StoreBuilder s{0x10000};
    s.Header();
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::string mail = "From: ana@example.pt\r\nTo: rui@example.pt\r\nSubject: lost " +
                           std::to_string(i) + "\r\n\r\n";
        mail.resize(1200, 'x');
        s.PutBody(kBodies + i * 4 * build::kBlockSize, mail);
    }
    s.Save(store);
    Search(store);
    EXPECT_EQ(dialog->Results()->rowCount(), 0);
    EXPECT_NE(Reason().indexOf(QStringLiteral("Deep search")), -1) << Reason().toStdString();
    ASSERT_TRUE(DeepButton()->isVisible());

    QTest::mouseClick(DeepButton(), Qt::LeftButton);
    WaitForJobs();
    EXPECT_TRUE(dialog->findChild<QAction*>(QStringLiteral("deepSearch"))->isChecked());
    EXPECT_EQ(dialog->Results()->rowCount(), 3);
    EXPECT_FALSE(Note()->isVisible());
    EXPECT_TRUE(
        dialog->windowTitle().endsWith(" - 3 messages found: 0 existing, 0 deleted, 3 "
                                       "orphaned"))
        << dialog->windowTitle().toStdString();
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
}

}  // namespace
}  // namespace dbx::test
