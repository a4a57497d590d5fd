// Next, Back, Stop, Select all and Unselect all, and the search that fills the results list.
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "browser/browser_pane.h"
#include "common/app_texts.h"
#include "common/locale_dates.h"
#include "dialog_fixture.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "preview/preview_controller.h"
#include "scan/scan_controller.h"
#include "static_text.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

std::vector<StoreMessage> ThreeMessages() {
    return {
        {"anna@example.org", "<bob@example.net>", "First", "Subject: First\r\n\r\nOne\r\n"},
        {"carl@example.org", "<dora@example.net>", "Second \xE9t\xE9",
         "Subject: Second\r\n\r\nTwo\r\n", true, 1300000000},
        {"eve@example.org", "<finn@example.net>", "Third", "Subject: Third\r\n\r\nThree\r\n"},
    };
}

// Many messages, so that a search spans many windows of the store.
std::vector<StoreMessage> ManyMessages(int count) {
    std::vector<StoreMessage> messages;
    for (int i = 0; i < count; ++i) {
        messages.push_back({"sender" + std::to_string(i) + "@example.org", "<to@example.net>",
                            "Message " + std::to_string(i), "Subject: x\r\n\r\nbody\r\n",
                            i % 5 == 4});
    }
    return messages;
}

using Wizard = DialogTest;

TEST_F(Wizard, NextWithAnEmptyPathSaysSoAndStaysInStepOne) {
    Click(kIdNext);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    const ShownMessageBox& box = boxes.Shown()[0];
    EXPECT_EQ(box.text, "No file selected to repair");
    EXPECT_EQ(box.caption, "Varnook Tobrin Outlook Express ");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.options.owner, nullptr);
    EXPECT_EQ(box.options.moreText.Text(),
              "   1. Please Locate the corrupted file from \"select file\" \r\n"
              "      option from toolbar or from selection button on the screen\r\n"
              "    2. Click Next Button.");
    EXPECT_EQ(box.options.windowArea.backgroundEffect, 12);
    EXPECT_EQ(box.options.windowArea.separatorCaptionAlignment, 2);
    EXPECT_EQ(box.options.windowArea.color1, 0x86FDF7u);
    EXPECT_EQ(box.options.windowArea.color2, 0xFFFFFFu);
    EXPECT_EQ(box.options.windowArea.color3, 0x86FDF7u);
    EXPECT_EQ(dialog->Step(), 1);
    EXPECT_TRUE(Visible(kIdNext));
    EXPECT_FALSE(Visible(kIdResults));
}

TEST_F(Wizard, NextWithAMissingPathSaysSo) {
    SetPath(stores.File("missing.dbx"));
    Click(kIdNext);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "No file selected to repair");
    EXPECT_EQ(dialog->Step(), 1);
    EXPECT_FALSE(dialog->Flow().Busy());
}

TEST_F(Wizard, AFullSearchFillsTheListNewestFirst) {
    const std::vector<StoreMessage> messages = ThreeMessages();
    Scan(messages);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(dialog->Step(), 2);
    EXPECT_EQ(dialog->Session().sourceFile, store);

    ResultsModel* results = dialog->Results();
    ASSERT_EQ(results->rowCount(), 3);
    const DateFormatter dates = LocaleDateFormatter();
    // Found last, shown first; the deleted one joins once every record was read (it could
    // have been a stale copy of a live one), so it comes last of all.
    const std::size_t shown[3] = {1, 2, 0};
    for (int row = 0; row < 3; ++row) {
        const StoreMessage& m = messages[shown[row]];
        EXPECT_EQ(results->Text(row, ResultsModel::kFrom), QString::fromStdString(m.from));
        EXPECT_EQ(results->Text(row, ResultsModel::kTo), QString::fromStdString(m.to));
        EXPECT_EQ(results->Text(row, ResultsModel::kStatus), m.deleted ? "Deleted" : "Existing");
        EXPECT_EQ(results->Text(row, ResultsModel::kDate), QString::fromStdString(dates(m.when)));
        EXPECT_GT(ParseLocation(results->Text(row, ResultsModel::kLocation)), 0u);
    }
    // Subjects are Windows-1252.
    EXPECT_EQ(results->Text(0, ResultsModel::kSubject), QString::fromUtf8("Second \u00e9t\u00e9"));

    // The deleted message is red in every column; the Location never readable.
    const QColor red(255, 0, 0), white(255, 255, 255);
    for (int column = 0; column < ResultsModel::kLocation; ++column) {
        const QModelIndex deleted = results->index(0, column);
        const QModelIndex existing = results->index(1, column);
        EXPECT_EQ(results->data(deleted, Qt::ForegroundRole).value<QColor>(), red) << column;
        EXPECT_FALSE(results->data(existing, Qt::ForegroundRole).isValid()) << column;
    }
    for (int row = 0; row < 3; ++row) {
        const QModelIndex location = results->index(row, ResultsModel::kLocation);
        EXPECT_EQ(results->data(location, Qt::ForegroundRole).value<QColor>(), white);
        EXPECT_EQ(results->data(location, Qt::BackgroundRole).value<QColor>(), white);
    }

    // The results look: Back instead of Stop, the step-2 text, the start page in the pane.
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
    EXPECT_FALSE(Visible(kIdNext));
    EXPECT_TRUE(Visible(kIdResults));
    EXPECT_FALSE(Visible(kIdStatusLine));
    EXPECT_FALSE(Visible(kIdProgress));
    EXPECT_TRUE(Visible(kIdInstruction));
    EXPECT_FALSE(Visible(kIdPicture));
    EXPECT_EQ(dialog->ControlAs<StaticText>(kIdInstruction)->WindowText(),
              QString::fromLatin1(texts::kStepTwo));
    EXPECT_TRUE(PumpUntil([&] {
        return dialog->Pane()->Url() ==
               QUrl::fromLocalFile(QString::fromStdString(dir.File("sample.htm")));
    }));
    EXPECT_FALSE(dialog->Flow().Busy());
    EXPECT_FALSE(dialog->Flow().SearchRunning());
}

TEST_F(Wizard, TheLocationColumnStaysBlankEvenWidenedAndSelected) {
    Scan(ThreeMessages());
    ResultsView* list = dialog->ResultsList();
    list->horizontalHeader()->resizeSection(ResultsModel::kLocation, 120);
    // The columns filled the list: the widened one lies beyond it until the list can scroll.
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->horizontalScrollBar()->maximum() > 0; }));
    list->selectRow(1);
    list->scrollTo(list->model()->index(1, ResultsModel::kLocation));
    const QRect cell =
        list->visualRect(list->model()->index(1, ResultsModel::kLocation)).adjusted(1, 1, -2, -2);
    ASSERT_FALSE(cell.isEmpty());
    const QImage shot = list->viewport()->grab().toImage();
    const qreal scale = shot.devicePixelRatio();
    int other = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            if (shot.pixelColor(int(x * scale), int(y * scale)) != QColor(Qt::white)) ++other;
        }
    }
    EXPECT_EQ(other, 0);
}

TEST_F(Wizard, TheStatusLineShowsTheLastWindowOfTheSearch) {
    WriteStore(store, ThreeMessages(), 100000);
    const std::uint64_t length = std::filesystem::file_size(store);
    SetPath(store);
    Click(kIdNext);
    WaitForJobs();
    const std::uint64_t lastWindow = (length - 1) / 2560 * 2560;
    EXPECT_EQ(dialog->ControlAs<StaticText>(kIdStatusLine)->WindowText().toStdString(),
              "Parsing file :" + std::to_string(lastWindow) + "\\" + std::to_string(length) +
                  ".  You can stop the process by pressing \"Stop\" button .");
    EXPECT_EQ(dialog->ControlAs<QProgressBar>(kIdProgress)->value(),
              int(lastWindow / 12800 * 12800 * 100 / length));
}

TEST_F(Wizard, AFileTooShortToHoldMessagesEndsInAnEmptyResultsLook) {
    std::ofstream(store) << std::string(1999, 'x');
    SetPath(store);
    Click(kIdNext);
    WaitForJobs();
    EXPECT_EQ(dialog->Results()->rowCount(), 0);
    EXPECT_EQ(dialog->Step(), 2);
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
}

TEST_F(Wizard, StopAnsweredNoGoesOnAndYesStopsKeepingTheRowsFound) {
    const std::vector<StoreMessage> messages = ManyMessages(60);
    WriteStore(store, messages);
    ScanGate gate(20 * 2560);
    seams.scanWindow = gate.Hook();
    SetPath(store);
    Click(kIdNext);
    ASSERT_TRUE(PumpUntil([&] { return gate.reached.load(); }));
    EXPECT_TRUE(Visible(kIdStop));
    EXPECT_FALSE(Visible(kIdBack));
    EXPECT_TRUE(Visible(kIdStatusLine));
    EXPECT_TRUE(Visible(kIdProgress));
    EXPECT_FALSE(Visible(kIdInstruction));
    EXPECT_EQ(dialog->ControlAs<StaticText>(kIdInstruction)->WindowText(),
              QString::fromLatin1(texts::kSearching));

    boxes.Answer(7);
    Click(kIdStop);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to stop search process ?");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(boxes.Shown()[0].style, 0x24u);
    EXPECT_EQ(boxes.Shown()[0].options.windowArea.backgroundEffect, 12);
    EXPECT_FALSE(dialog->Flow().Scan().StopRequested());
    EXPECT_TRUE(Visible(kIdStop));
    EXPECT_FALSE(Visible(kIdBack));

    boxes.Answer(6);
    Click(kIdStop);
    EXPECT_TRUE(dialog->Flow().Scan().StopRequested());
    EXPECT_TRUE(dialog->Flow().Preview().StopRequested());
    // At once, while the search is still held.
    EXPECT_TRUE(Visible(kIdBack));
    EXPECT_FALSE(Visible(kIdStop));
    EXPECT_TRUE(dialog->Flow().SearchRunning());

    gate.released = true;
    WaitForJobs();
    // Records lie 1 KiB apart from the first segment on: those before the held window stay.
    const int before = int((20 * 2560 - 0x2AD4 + 0x3FF) / 0x400);
    EXPECT_EQ(dialog->Results()->rowCount(), before);
    EXPECT_LT(before, int(messages.size()));
    EXPECT_EQ(dialog->Results()->Text(0, ResultsModel::kFrom),
              QString::fromStdString(messages[std::size_t(before - 1)].from));
    EXPECT_TRUE(PumpUntil([&] {
        return dialog->Pane()->Url() ==
               QUrl::fromLocalFile(QString::fromStdString(dir.File("sample.htm")));
    }));
}

TEST_F(Wizard, BackThenNextSearchesAgainFromAnEmptyList) {
    Scan(ThreeMessages());
    ASSERT_EQ(dialog->Results()->rowCount(), 3);
    Click(kIdBack);
    EXPECT_EQ(dialog->Step(), 1);
    for (int id :
         {kIdBrowse, kIdPath, kIdNext, kIdSelectFrame, kIdSelectAll, kIdUnselectAll, kIdPicture}) {
        EXPECT_TRUE(Visible(id)) << id;
    }
    for (int id : {kIdResults, kIdStop, kIdBack, kIdStatusLine}) EXPECT_FALSE(Visible(id)) << id;
    EXPECT_EQ(dialog->ControlAs<StaticText>(kIdInstruction)->WindowText(),
              QString::fromLatin1(texts::kStepOne));
    EXPECT_EQ(dialog->Results()->rowCount(), 3);  // kept, hidden, until the next search
    EXPECT_EQ(dialog->focusWidget(), dialog->Control(kIdPath));

    Click(kIdNext);
    // Emptied before the new search put anything in.
    EXPECT_EQ(dialog->Results()->rowCount(), 0);
    WaitForJobs();
    EXPECT_EQ(dialog->Results()->rowCount(), 3);
    EXPECT_EQ(dialog->Results()->Text(1, ResultsModel::kFrom), "eve@example.org");
}

TEST_F(Wizard, NextDoesNothingInStepTwo) {
    Scan(ThreeMessages());
    dialog->RunCommand(kCmdNext);
    EXPECT_EQ(dialog->Step(), 2);
    EXPECT_EQ(dialog->Results()->rowCount(), 3);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(Wizard, SelectAllAndUnselectAllAreRefusedWhileAJobRuns) {
    WriteStore(store, ManyMessages(60));
    ScanGate gate(20 * 2560);
    seams.scanWindow = gate.Hook();
    SetPath(store);
    Click(kIdNext);
    ASSERT_TRUE(
        PumpUntil([&] { return gate.reached.load() && dialog->Results()->rowCount() > 2; }));
    ResultsModel* results = dialog->Results();
    results->SetChecked(0, true);
    Click(kIdSelectAll);
    EXPECT_FALSE(results->Checked(1));
    Click(kIdUnselectAll);
    EXPECT_TRUE(results->Checked(0));

    gate.released = true;
    WaitForJobs();
    Click(kIdSelectAll);
    for (int row = 0; row < results->rowCount(); ++row) EXPECT_TRUE(results->Checked(row)) << row;
    Click(kIdUnselectAll);
    for (int row = 0; row < results->rowCount(); ++row) EXPECT_FALSE(results->Checked(row)) << row;
}

}  // namespace
}  // namespace dbx::test
