// The results list's tools through the main window: sorting by a header, the find bar with
// Select all and Save on the rows it shows, the code page menu and what a search found.
#include <QAction>
#include <QActionGroup>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <set>

#include "dialog_fixture.h"
#include "list/find_bar.h"
#include "list/results_filter.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

std::vector<StoreMessage> Mails() {
    // Found in this order; dates out of order on purpose.
    return {
        {"anna@example.org", "<bob@example.net>", "Budget 2002",
         "Subject: Budget 2002\r\n\r\nOne\r\n", false, 1262307600},
        {"carl@example.org", "<dora@example.net>", "Holiday", "Subject: Holiday\r\n\r\nTwo\r\n",
         true, 1162307600},
        {"eve@example.org", "<anna@example.net>", "Re: budget",
         "Subject: Re: budget\r\n\r\nThree\r\n", false, 1362307600},
    };
}

class ListTools : public DialogTest {
  protected:
    void SetUp() override {
        // Settings go to a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        DialogTest::SetUp();
        seams.saveFolder = [this](const std::string&) { return out.Path().string(); };
    }
    QString Cell(int shownRow, int column) const {
        const QAbstractItemModel* shown = dialog->ResultsList()->model();
        return shown->data(shown->index(shownRow, column)).toString();
    }
    void ClickHeader(int column) {
        QHeaderView* header = dialog->ResultsList()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 10, 5));
    }
    QAction* ToolsAction(const QString& objectName) {
        return dialog->findChild<QMenuBar*>()->findChild<QAction*>(objectName);
    }

    QTemporaryDir settings;
    TempDir out;
};

TEST_F(ListTools, AHeaderClickSortsAndASecondReversesRowsKeepTheirMessages) {
    Scan(Mails());
    // The deleted row joins once every record was read (it could have been a stale copy), so
    // it is the last one put on top.
    EXPECT_EQ(Cell(0, ResultsModel::kFrom), "carl@example.org");
    EXPECT_EQ(Cell(1, ResultsModel::kFrom), "eve@example.org");
    ClickHeader(ResultsModel::kDate);
    EXPECT_EQ(Cell(0, ResultsModel::kFrom), "carl@example.org");
    EXPECT_EQ(Cell(2, ResultsModel::kFrom), "eve@example.org");
    ClickHeader(ResultsModel::kDate);
    EXPECT_EQ(Cell(0, ResultsModel::kFrom), "eve@example.org");
    ClickHeader(ResultsModel::kSubject);
    EXPECT_EQ(Cell(0, ResultsModel::kSubject), "Budget 2002");
    EXPECT_EQ(Cell(1, ResultsModel::kSubject), "Holiday");

    // Saving a ticked row of the sorted list saves that row's message.
    dialog->ResultsList()->model()->setData(
        dialog->ResultsList()->model()->index(2, ResultsModel::kFrom), Qt::Checked,
        Qt::CheckStateRole);
    Click(kIdSave);
    WaitForJobs();
    const std::vector<std::string> saved = EmlFiles(out.Path().string());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(ReadAll(out.File(saved[0])), Mails()[2].body);
}

TEST_F(ListTools, SortingWaitsForTheEndOfTheSearchAndANewSearchListsInTheOrderFound) {
    Scan(Mails());
    ClickHeader(ResultsModel::kFrom);
    ASSERT_EQ(Cell(0, ResultsModel::kFrom), "anna@example.org");
    Click(kIdBack);
    ScanGate gate(0);
    seams.scanWindow = gate.Hook();
    Click(kIdNext);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    EXPECT_EQ(dialog->ResultsList()->SortColumn(), -1);
    ClickHeader(ResultsModel::kSubject);
    EXPECT_EQ(dialog->ResultsList()->SortColumn(), -1);
    gate.released = true;
    WaitForJobs();
    ASSERT_EQ(dialog->Results()->rowCount(), 3);  // no row lost
    EXPECT_EQ(Cell(0, ResultsModel::kFrom), "carl@example.org");
    EXPECT_EQ(Cell(1, ResultsModel::kFrom), "eve@example.org");
    ClickHeader(ResultsModel::kSubject);
    EXPECT_EQ(Cell(0, ResultsModel::kSubject), "Budget 2002");
}

TEST_F(ListTools, FindNarrowsTheListAndSelectAllAndSaveTakeOnlyWhatItShows) {
    Scan(Mails());
    QTest::keyClick(dialog.get(), Qt::Key_F, Qt::ControlModifier);
    FindBar* bar = dialog->findChild<FindBar*>("findBar");
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(dialog->focusWidget(), bar->Field());
    QTest::keyClicks(bar->Field(), "ANNA");  // a sender and a recipient
    ASSERT_EQ(dialog->ResultsList()->model()->rowCount(), 2);
    EXPECT_EQ(bar->Summary(), "2 of 3 messages shown; Select all and Save act on these");
    Click(kIdSelectAll);
    EXPECT_FALSE(dialog->Results()->Checked(0));  // carl's row, hidden
    Click(kIdSave);
    WaitForJobs();
    const std::vector<std::string> saved = EmlFiles(out.Path().string());
    ASSERT_EQ(saved.size(), 2u);
    const std::set<std::string> bodies{ReadAll(out.File(saved[0])), ReadAll(out.File(saved[1]))};
    EXPECT_EQ(bodies, (std::set<std::string>{Mails()[0].body, Mails()[2].body}));
    // Enter in the field previews the first row shown and gives the list the keyboard.
    QTest::keyClick(bar->Field(), Qt::Key_Return);
    EXPECT_EQ(dialog->ResultsList()->currentIndex().row(), 0);
    EXPECT_TRUE(dialog->Flow().Busy());  // the preview of that row
    WaitForJobs();
    EXPECT_EQ(dialog->focusWidget(), dialog->ResultsList());
    bar->Field()->setFocus();
    // Escape closes the bar and every row shows again.
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(dialog->ResultsList()->model()->rowCount(), 3);
}

TEST_F(ListTools, TheTitleTellsWhatTheSearchFound) {
    Scan(Mails());
    EXPECT_TRUE(dialog->windowTitle().endsWith(" - 3 messages found: 2 existing, 1 deleted"))
        << dialog->windowTitle().toStdString();
    Click(kIdBack);
    Scan({});
    EXPECT_TRUE(dialog->windowTitle().endsWith(" - No messages found"))
        << dialog->windowTitle().toStdString();
    EXPECT_EQ(dialog->windowTitle().count(" - "), 1);
}

TEST_F(ListTools, TheCodePageReadsTheListAgainAndIsRemembered) {
    Scan({{"\xCF\xE5\xF2\xF0@example.org", "<x@example.net>", "\xD2\xE5\xEC\xE0",
           "Subject: x\r\n\r\nbody\r\n"}});
    EXPECT_EQ(Cell(0, ResultsModel::kSubject),
              QString::fromUtf8("\xC3\x92\xC3\xA5\xC3\xAC\xC3\xA0"));
    auto* pages = dialog->findChild<QMenuBar*>()->findChild<QMenu*>("codePageMenu");
    ASSERT_NE(pages, nullptr);
    QAction* cyrillic = nullptr;
    for (QAction* action : pages->actions()) {
        if (action->data().toByteArray() == "windows-1251") cyrillic = action;
        if (action->data().toByteArray() == "windows-1252") {
            EXPECT_TRUE(action->isChecked());
        }
    }
    ASSERT_NE(cyrillic, nullptr);
    const std::string before = ReadAll(store);
    cyrillic->trigger();
    EXPECT_EQ(Cell(0, ResultsModel::kSubject),
              QString::fromUtf8("\xD0\xA2\xD0\xB5\xD0\xBC\xD0\xB0"));
    EXPECT_EQ(dialog->Results()->rowCount(), 1);  // no new search
    // The next run starts with it.
    dialog.reset();
    dialog = std::make_unique<RecoveryDialog>();
    EXPECT_EQ(dialog->Results()->CodePage(), "windows-1251");
    // Saved mails keep the store's bytes.
    EXPECT_EQ(ReadAll(store), before);
}

}  // namespace
}  // namespace dbx::test
