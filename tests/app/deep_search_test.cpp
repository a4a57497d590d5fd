// Tools > Deep search in the window: the listing with it off and on, the orphans' rows, a
// displaced store, and what Save and the preview say about mail that is cut short or gone.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "browser/browser_pane.h"
#include "dialog_fixture.h"
#include "list/results_model.h"
#include "output_path.h"
#include "preview/missing_mail_note.h"
#include "preview/preview_controller.h"
#include "store_builder.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;
using build::kBlockSize;
using build::kFirstSegment;

constexpr std::uint32_t kBodies = 0x6000;
constexpr std::int64_t kWhen = 1262307600;

std::string Mail(const std::string& subject, std::size_t size) {
    std::string mail =
        "From: =?utf-8?Q?Zo=C3=AB?= <zoe@example.org>\r\nTo: ivo@example.net\r\n"
        "Subject: " +
        subject + "\r\nDate: Fri, 1 Jan 2010 02:00:00 +0100\r\n\r\n";
    mail.resize(size, 'm');
    return mail;
}

build::MessageFields Fields(std::uint32_t body, const std::string& subject, std::size_t size) {
    build::MessageFields f;
    f.from = "ana@example.pt";
    f.to = "<rui@example.pt>";
    f.subject = subject;
    f.filetime = build::FileTimeFromUnix(kWhen);
    f.bodyOffset = body;
    f.bodySize = std::uint32_t(size);
    return f;
}

// Which statuses the list shows, top row first.
std::vector<std::string> Statuses(const ResultsModel& results) {
    std::vector<std::string> statuses;
    for (int row = 0; row < results.rowCount(); ++row) {
        statuses.push_back(results.Text(row, ResultsModel::kStatus).toStdString());
    }
    return statuses;
}

int RowWithSubject(const ResultsModel& results, const QString& subject) {
    for (int row = 0; row < results.rowCount(); ++row) {
        if (results.Text(row, ResultsModel::kSubject) == subject) return row;
    }
    return -1;
}

class DeepSearch : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        seams.saveFolder = [this](const std::string&) { return out.Path().string(); };
        // The previews here are checked by the raw view's files; the decoded view has tests of
        // its own.
        dialog->Flow().Preview().SetMode(PreviewMode::Raw);
    }
    void TearDown() override {
        // The choice outlives the window; the next test's window starts without it.
        if (QAction* item = Item()) item->setChecked(false);
        DialogTest::TearDown();
    }
    QAction* Item() const {
        for (QAction* popup : dialog->findChild<QMenuBar*>()->actions()) {
            if (!popup->menu() || popup->text() != QLatin1String("Tools")) continue;
            for (QAction* item : popup->menu()->actions()) {
                if (item->text() == QLatin1String("Deep search")) return item;
            }
        }
        return nullptr;
    }
    void SetDeep(bool on) {
        QAction* item = Item();
        ASSERT_NE(item, nullptr);
        item->setChecked(on);
    }
    // Two live messages; a body whose record was zeroed; a deleted body with a stale freed
    // copy of its record; and a deleted body whose record is live again, found after its
    // freed record.
    void WriteDamagedStore(const std::string& path) {
        build::StoreBuilder s{0x10000};
        s.Header();
        const std::uint32_t deleted = kBodies + 8 * kBlockSize;
        const std::uint32_t revived = kBodies + 10 * kBlockSize;
        const std::pair<const char*, std::uint32_t> freedRecords[] = {
            {"old", deleted}, {"new", deleted}, {"gone", revived}};
        std::uint32_t at = kFirstSegment;
        for (const auto& [subject, body] : freedRecords) {
            s.PutFreedRecord(at, build::TypicalProperties(Fields(body, subject, 0)), 0);
            at += 0x800;
        }
        s.PutRecord(at, build::TypicalProperties(Fields(kBodies, "kept", 0)));
        s.PutRecord(at + 0x800, build::TypicalProperties(Fields(revived, "live", 0)));
        s.PutBody(kBodies, kept);
        s.PutBody(kBodies + 4 * kBlockSize, lost);
        s.PutBody(deleted, Mail("new", 300), /*freed=*/true);
        s.PutBody(revived, Mail("live", 300), /*freed=*/true);
        s.Save(path);
    }
    // The saved files' contents, sorted.
    std::vector<std::string> SavedBodies() const {
        std::vector<std::string> bodies;
        for (const std::string& name : EmlFiles(out.Path().string())) {
            bodies.push_back(ReadAll(out.File(name)));
        }
        std::sort(bodies.begin(), bodies.end());
        return bodies;
    }
    void Search(const std::string& path) {
        SetPath(path);
        Click(kIdNext);
        WaitForJobs();
    }
    bool PaneShows(const std::string& path) {
        return PumpUntil([&] {
            return dialog->Pane()->Url() == QUrl::fromLocalFile(QString::fromStdString(path));
        });
    }
    void SaveAll() {
        Click(kIdSelectAll);
        Click(kIdSave);
        WaitForJobs();
    }

    const std::string kept = Mail("kept", 900);
    const std::string lost = Mail("=?utf-8?B?R3LDvMOfZQ==?= lost", 1300);
    TempDir out;
};

TEST_F(DeepSearch, TheToolsItemIsOffAtFirstSitsAboveExitAndIsKeptForTheNextWindow) {
    QAction* item = Item();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    const QList<QAction*> tools = qobject_cast<QMenu*>(item->parent())->actions();
    const int at = int(tools.indexOf(item));
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, int(tools.size()));
    EXPECT_EQ(tools[at + 1]->text(), QStringLiteral("Exit"));

    item->trigger();
    EXPECT_TRUE(dialog->Session().deepSearch);
    dialog = std::make_unique<RecoveryDialog>();
    ASSERT_NE(Item(), nullptr);
    EXPECT_TRUE(Item()->isChecked());
}

TEST_F(DeepSearch, OffTheListingIsThePlainOne) {
    WriteDamagedStore(store);
    Search(store);
    // One row per body, as the command line lists them: the stale copy and the freed record
    // of a body that is live again are not listed, nor is the body without a record.
    EXPECT_EQ(Statuses(*dialog->Results()),
              (std::vector<std::string>{"Deleted", "Existing", "Existing"}));
    EXPECT_EQ(RowWithSubject(*dialog->Results(), QStringLiteral("new")), -1);
    EXPECT_EQ(RowWithSubject(*dialog->Results(), QStringLiteral("gone")), -1);
    EXPECT_EQ(RowWithSubject(*dialog->Results(), QString::fromUtf8("Grüße lost")), -1);
}

TEST_F(DeepSearch, OnEachBodyIsListedOnceAndOrphansAreListedAndSavedByteExact) {
    WriteDamagedStore(store);
    SetDeep(true);
    Search(store);
    const ResultsModel& results = *dialog->Results();
    // The stale copy gives way to the first record of its body, the freed record to the live
    // one found after it; the orphan comes last.
    EXPECT_EQ(Statuses(results),
              (std::vector<std::string>{"Orphaned", "Deleted", "Existing", "Existing"}));
    EXPECT_EQ(RowWithSubject(results, QStringLiteral("new")), -1);
    EXPECT_EQ(RowWithSubject(results, QStringLiteral("gone")), -1);
    EXPECT_GE(RowWithSubject(results, QStringLiteral("live")), 0);
    const int orphan = RowWithSubject(results, QString::fromUtf8("Grüße lost"));
    ASSERT_GE(orphan, 0);
    // Addresses only, as the records' rows show them.
    EXPECT_EQ(results.Text(orphan, ResultsModel::kFrom), QStringLiteral("zoe@example.org"));
    EXPECT_EQ(results.Text(orphan, ResultsModel::kTo), QStringLiteral("ivo@example.net"));
    EXPECT_EQ(results.DateSeconds(orphan), kWhen);
    EXPECT_EQ(ParseLocation(results.Text(orphan, ResultsModel::kLocation)),
              kBodies + 4 * kBlockSize);
    // Readable, and not taken for a deleted row.
    EXPECT_NE(RowColouring(QStringLiteral("Orphaned"), ResultsModel::kFrom).text,
              RowColouring(QStringLiteral("Deleted"), ResultsModel::kFrom).text);

    SaveAll();
    // Each body once; the live ones and the orphan byte-exact.
    const std::vector<std::string> bodies = SavedBodies();
    ASSERT_EQ(bodies.size(), 4u);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), kept), 1);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), lost), 1);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text.find("incomplete"), std::string::npos);
    EXPECT_EQ(boxes.Shown()[0].text.find("could not"), std::string::npos);
}

TEST_F(DeepSearch, ADisplacedStoreIsReadAtItsOwnPositionsForTheListPreviewAndSave) {
    WriteDamagedStore(store);
    const std::string bytes = ReadAll(store);
    const std::string shifted = stores.File("shifted.dbx");
    {
        build::StoreBuilder s(bytes.size() + 4096);
        s.Garbage(0, 4096, 11).Put(4096, build::Bytes(bytes.begin(), bytes.end()));
        s.Save(shifted);
    }
    Search(shifted);
    // As it lies, no record names itself: the list says why and offers the deep search.
    EXPECT_EQ(dialog->Results()->rowCount(), 0);
    auto* offer = dialog->findChild<QPushButton*>("runDeepSearch");
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(offer->isVisible());

    Click(kIdBack);
    SetDeep(true);
    Search(shifted);
    const ResultsModel& results = *dialog->Results();
    ASSERT_EQ(Statuses(results),
              (std::vector<std::string>{"Orphaned", "Deleted", "Existing", "Existing"}));
    // Each row is read at the store's own positions.
    for (int row = 0; row < results.rowCount(); ++row) EXPECT_EQ(results.Displacement(row), -4096);

    const int keptRow = RowWithSubject(results, QStringLiteral("kept"));
    ASSERT_GE(keptRow, 0);
    ClickCell(keptRow, ResultsModel::kSubject);
    WaitForJobs();
    EXPECT_TRUE(PaneShows(JoinPath(TempFolder(), "MailHtml.txt")));

    SaveAll();
    const std::vector<std::string> bodies = SavedBodies();
    ASSERT_EQ(bodies.size(), 4u);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), kept), 1);
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), lost), 1);
}

TEST_F(DeepSearch, StopEndsItBeforeTheOrphansAndKeepsTheRowsFound) {
    WriteDamagedStore(store);
    SetDeep(true);
    // Every record lies before this window; the bodies after it are not reached.
    ScanGate gate(10 * 2560);
    seams.scanWindow = gate.Hook();
    SetPath(store);
    Click(kIdNext);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    boxes.Answer(kIdYes);
    Click(kIdStop);
    gate.released = true;
    WaitForJobs();
    // The deleted row held back for the end of the record scan is still listed.
    EXPECT_EQ(Statuses(*dialog->Results()),
              (std::vector<std::string>{"Deleted", "Existing", "Existing"}));
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
}

// Three records: a whole message, one whose second block was wiped, one whose first was.
class CutShort : public DeepSearch {
  protected:
    void SetUp() override {
        DeepSearch::SetUp();
        build::StoreBuilder s{0x10000};
        s.Header();
        const std::uint32_t bodies[3] = {kBodies, kBodies + 4 * kBlockSize,
                                         kBodies + 8 * kBlockSize};
        const char* subjects[3] = {"whole", "broken", "gone"};
        for (int i = 0; i < 3; ++i) {
            const std::string mail = Mail(subjects[i], 1200);
            s.PutRecord(kFirstSegment + std::uint32_t(i) * 0x400,
                        build::TypicalProperties(Fields(bodies[i], subjects[i], mail.size())));
            s.PutBody(bodies[i], mail);
        }
        s.Zero(bodies[1] + kBlockSize, kBlockSize);
        s.Zero(bodies[2], kBlockSize);
        s.Save(store);
    }
};

TEST_F(CutShort, SaveCountsAndNamesIncompleteFilesAndSaysWhyAMessageFailed) {
    Search(store);
    ASSERT_EQ(dialog->Results()->rowCount(), 3);
    const int first = dialog->Session().mailCounter.Value();
    SaveAll();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::string text = DisplayedText(boxes.Shown()[0].text);
    EXPECT_NE(text.find("2 mails saved in\n"), std::string::npos) << text;
    // Rows are listed newest first: "gone" is tried first and gets no file, "broken" next.
    const std::string broken = "MailRec" + std::to_string(first) + ".eml";
    EXPECT_NE(text.find("\n\n1 of them is incomplete (its mail is cut short): " + broken),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n\n1 mail could not be saved: nothing of it is left: its first block "
                        "is gone"),
              std::string::npos)
        << text;
    const std::vector<std::string> files = EmlFiles(out.Path().string());
    EXPECT_EQ(files.size(), 2u);
    EXPECT_EQ(ReadAll(out.File(broken)), Mail("broken", 1200).substr(0, 512));
}

TEST_F(CutShort, WithDeepSearchTheTailsOfBrokenChainsAreSavedAndCountedIncomplete) {
    SetDeep(true);
    Search(store);
    // The tails of "broken" and of "gone" come back as orphans that lack their start.
    ASSERT_EQ(
        Statuses(*dialog->Results()),
        (std::vector<std::string>{"Orphaned", "Orphaned", "Existing", "Existing", "Existing"}));
    SaveAll();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::string text = DisplayedText(boxes.Shown()[0].text);
    EXPECT_NE(text.find("4 mails saved in\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\n3 of them are incomplete (their mail is cut short): "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n\n1 mail could not be saved: "), std::string::npos) << text;
    const std::string broken = Mail("broken", 1200);
    std::vector<std::string> bodies = SavedBodies();
    EXPECT_EQ(std::count(bodies.begin(), bodies.end(), broken.substr(1024)), 1);
}

TEST_F(CutShort, ThePreviewOfAMessageWhoseFirstBlockIsGoneSaysSo) {
    Search(store);
    const int gone = RowWithSubject(*dialog->Results(), QStringLiteral("gone"));
    ASSERT_GE(gone, 0);
    ClickCell(gone, ResultsModel::kSubject);
    WaitForJobs();
    const std::string note = JoinPath(TempFolder(), "MailGone.txt");
    EXPECT_TRUE(PaneShows(note));
    EXPECT_EQ(ReadAll(note), kMissingMailNote);
    EXPECT_TRUE(boxes.Shown().empty());

    // The next message shows as ever.
    ClickCell(RowWithSubject(*dialog->Results(), QStringLiteral("whole")), ResultsModel::kSubject);
    WaitForJobs();
    EXPECT_TRUE(PaneShows(JoinPath(TempFolder(), "MailHtml.txt")));
}

}  // namespace
}  // namespace dbx::test
