// A click on a row previews its message in the pane.
#include <QAction>
#include <QTest>
#include <QWebEngineView>

#include <filesystem>
#include <fstream>

#include "browser/browser_pane.h"
#include "dialog_fixture.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "output_path.h"
#include "preview/preview_controller.h"
#include "preview/preview_folder.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ExtractedMails(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".eml") names.push_back(entry.path().filename());
    }
    return names;
}

const char kHtmlBody[] =
    "Subject: html\r\nContent-Type: text/html\r\n\r\n<HTML><body><p>Hello <b>there</b></p>"
    "</body></HTML>\r\n";
const char kTextBody[] =
    "Subject: text\r\n\r\nPlain words <b>stay</b> as they are.\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\nAAAA\r\n";

class Preview : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        // Found in this order, so row 0 is the text message and row 1 the HTML one.
        Scan({{"h@example.org", "<x@example.net>", "html", kHtmlBody},
              {"t@example.org", "<x@example.net>", "text", kTextBody}});
        ASSERT_EQ(dialog->Results()->rowCount(), 2);
        folder = TempFolder();
        ASSERT_FALSE(folder.empty());
        // These cases are about the raw view, which messages that cannot be decoded fall back
        // to; the decoded view, shown by default, has tests of its own.
        dialog->Flow().Preview().SetMode(PreviewMode::Raw);
    }
    bool PaneShows(const std::string& path) {
        return PumpUntil([&] {
            return dialog->Pane()->Url() == QUrl::fromLocalFile(QString::fromStdString(path));
        });
    }
    std::string folder;
};

TEST_F(Preview, ClickingAnHtmlMessageShowsItsHtmlPart) {
    Gate held;
    seams.previewStart = [&held] { held.Pass(0, 0); };
    ClickCell(1, ResultsModel::kSubject);
    ASSERT_TRUE(PumpUntil([&] { return held.reached.load(); }));
    // While the job runs the list is off and Stop stands where Back was.
    EXPECT_FALSE(dialog->ResultsList()->isEnabled());
    EXPECT_TRUE(Visible(kIdStop));
    EXPECT_FALSE(Visible(kIdBack));
    EXPECT_TRUE(dialog->Flow().Preview().Running());
    EXPECT_TRUE(dialog->Flow().Busy());
    held.released = true;
    WaitForJobs();
    const std::string html = JoinPath(folder, "MailHtml.html");
    EXPECT_TRUE(PaneShows(html));
    // The HTML part as stored, rebuilt by the mail sanitizer under the page's policy.
    const std::string page = ReadWholeFile(html);
    EXPECT_NE(page.find("<body><p>Hello <b>there</b></p></body>"), std::string::npos) << page;
    EXPECT_NE(page.find("Content-Security-Policy"), std::string::npos);
    EXPECT_TRUE(dialog->ResultsList()->isEnabled());
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
    EXPECT_FALSE(dialog->Flow().Busy());
    EXPECT_FALSE(dialog->Flow().Preview().Running());
    EXPECT_TRUE(ExtractedMails(folder).empty());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(Preview, ClickingATextMessageShowsItsTextUpToTheBase64Part) {
    ClickCell(0, ResultsModel::kFrom);
    WaitForJobs();
    const std::string text = JoinPath(folder, "MailHtml.txt");
    EXPECT_TRUE(PaneShows(text));
    EXPECT_EQ(ReadWholeFile(text),
              "Subject: text\r\n\r\nPlain words <b>stay</b> as they are.\r\n"
              "Content-Transfer-Encoding");
    EXPECT_FALSE(fs::exists(JoinPath(folder, "MailHtml.html")));
    EXPECT_TRUE(ExtractedMails(folder).empty());
}

TEST_F(Preview, DoubleClickPreviewsToo) {
    QTest::mouseDClick(dialog->ResultsList()->viewport(), Qt::LeftButton, {},
                       CellCentre(1, ResultsModel::kStatus));
    WaitForJobs();
    EXPECT_TRUE(PaneShows(JoinPath(folder, "MailHtml.html")));
    EXPECT_TRUE(ExtractedMails(folder).empty());
}

TEST_F(Preview, AClickOnACheckBoxTicksItWithoutPreviewing) {
    ResultsView* list = dialog->ResultsList();
    const QModelIndex cell = list->model()->index(1, 0);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualRect(cell);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect box =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    const std::int32_t counter = dialog->Session().mailCounter.Value();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    // The list took it as a tick, and nothing was extracted or started.
    EXPECT_TRUE(dialog->Results()->Checked(1));
    EXPECT_EQ(dialog->Session().mailCounter.Value(), counter);
    EXPECT_FALSE(dialog->Flow().Busy());
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
}

TEST_F(Preview, AClickBelowTheRowsDoesNothing) {
    const std::int32_t counter = dialog->Session().mailCounter.Value();
    QTest::mouseClick(dialog->ResultsList()->viewport(), Qt::LeftButton, {},
                      QPoint(100, dialog->ResultsList()->viewport()->height() - 5));
    EXPECT_EQ(dialog->Session().mailCounter.Value(), counter);
    EXPECT_TRUE(Visible(kIdBack));
}

TEST_F(Preview, AClickDuringASearchIsRefused) {
    // A new search of the same two messages, held after it has listed them.
    Click(kIdBack);
    WaitForJobs();
    WriteStore(store,
               {{"h@example.org", "<x@example.net>", "html", kHtmlBody},
                {"t@example.org", "<x@example.net>", "text", kTextBody}},
               20 * 2560);
    ScanGate gate(10 * 2560);
    seams.scanWindow = gate.Hook();
    Click(kIdNext);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached && dialog->Results()->rowCount() == 2; }));
    ClickCell(1, ResultsModel::kSubject);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Please stop the search process for preview");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express ");
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);
    // Nothing but the search runs.
    EXPECT_FALSE(dialog->Flow().Preview().Running());
    EXPECT_TRUE(dialog->ResultsList()->isEnabled());
    gate.released = true;
    WaitForJobs();
}

TEST_F(Preview, AMessageThatCannotBeExtractedLeavesThePaneAndOtherFilesAlone) {
    ClickCell(1, ResultsModel::kSubject);
    WaitForJobs();
    ASSERT_TRUE(PaneShows(JoinPath(folder, "MailHtml.html")));
    // A file now under the name the last preview used is not the preview's to delete.
    const std::string lastName = JoinPath(
        folder, "MailRec" + std::to_string(dialog->Session().mailCounter.Value() - 1) + ".eml");
    std::ofstream(lastName) << "someone else's";
    fs::remove(store);
    // Kept, not shown again: the pane is asked to load nothing more.
    int loads = 0;
    QObject::connect(dialog->Pane(), &BrowserPane::Navigating, dialog.get(), [&loads] { ++loads; });
    ClickCell(0, ResultsModel::kSubject);
    WaitForJobs();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(dialog->Pane()->Url(),
              QUrl::fromLocalFile(QString::fromStdString(JoinPath(folder, "MailHtml.html"))));
    EXPECT_EQ(ReadWholeFile(lastName), "someone else's");
    EXPECT_TRUE(dialog->ResultsList()->isEnabled());
    EXPECT_TRUE(Visible(kIdBack));
    fs::remove(lastName);
}

TEST_F(Preview, TheListTakesClicksAgainOnlyOnceThePreviewIsMarkedOver) {
    // What the flags say at the moment the list is enabled again: a click then must start a
    // new preview, not find this one still running and leave Stop showing with no job.
    struct EnableWatch : QObject {
        explicit EnableWatch(const WizardFlow& f) : flow(f) {}
        const WizardFlow& flow;
        int running = -1;
        int busy = -1;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::EnabledChange &&
                static_cast<QWidget*>(watched)->isEnabled()) {
                running = flow.Preview().Running();
                busy = flow.Busy();
            }
            return false;
        }
    } watch(dialog->Flow());
    dialog->ResultsList()->installEventFilter(&watch);
    ClickCell(1, ResultsModel::kSubject);
    WaitForJobs();
    dialog->ResultsList()->removeEventFilter(&watch);
    EXPECT_EQ(watch.running, 0);
    EXPECT_EQ(watch.busy, 0);

    // A click right after the end previews the other message at once.
    ClickCell(0, ResultsModel::kSubject);
    WaitForJobs();
    EXPECT_TRUE(PaneShows(JoinPath(folder, "MailHtml.txt")));
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
}

TEST_F(Preview, StopDuringAPreviewEndsItAndBackWaitsForItsEnd) {
    Gate held;
    seams.previewStart = [&held] { held.Pass(0, 0); };
    ClickCell(1, ResultsModel::kSubject);
    ASSERT_TRUE(PumpUntil([&] { return held.reached.load(); }));
    boxes.Answer(kIdYes);
    Click(kIdStop);
    EXPECT_TRUE(dialog->Flow().Preview().StopRequested());
    ASSERT_TRUE(Visible(kIdBack));
    Click(kIdBack);
    EXPECT_EQ(dialog->Step(), 2);
    held.released = true;
    WaitForJobs();
    EXPECT_EQ(dialog->Step(), 1);
    EXPECT_FALSE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
    EXPECT_TRUE(dialog->ResultsList()->isEnabled());
    EXPECT_FALSE(dialog->Flow().Preview().Running());
    // Stopped before its first step: nothing was cut out, and the message went.
    EXPECT_TRUE(ExtractedMails(folder).empty());
}

TEST(PreviewFolder, EachRunHasAPrivateFolderOfItsOwn) {
    const std::string ours = RunPreviewFolder();
    ASSERT_FALSE(ours.empty());
    EXPECT_EQ(RunPreviewFolder(), ours);
    // What a second copy of the program, running at the same time, makes for itself.
    const std::string theirs = MakePrivateFolder();
    ASSERT_FALSE(theirs.empty());
    EXPECT_NE(theirs, ours);
    for (const std::string& folder : {ours, theirs}) {
        const fs::file_status status = fs::symlink_status(folder);
        EXPECT_EQ(status.type(), fs::file_type::directory) << folder;
        EXPECT_EQ(status.permissions() & fs::perms::all, fs::perms::owner_all) << folder;
    }
    fs::remove_all(theirs);
}

TEST(PreviewFolder, IsNotUsedOnceALinkStandsInItsPlace) {
    const std::string ours = RunPreviewFolder();
    ASSERT_FALSE(ours.empty());
    TempDir elsewhere;
    fs::rename(ours, ours + ".away");
    fs::create_directory_symlink(elsewhere.Path(), ours);
    EXPECT_EQ(RunPreviewFolder(), "");
    fs::remove(ours);
    fs::rename(ours + ".away", ours);
    EXPECT_EQ(RunPreviewFolder(), ours);
}

}  // namespace
}  // namespace dbx::test
