// The main window as it comes up: controls of step 1, results list, menus, start-up values.
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyle>

#include "browser/browser_pane.h"
#include "common/app_texts.h"
#include "dialog_fixture.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "output_path.h"
#include "resource_registry.h"
#include "scan/scan_controller.h"
#include "static_text.h"
#include "templates.h"
#include "wizard/wizard_flow.h"

namespace dbx::test {
namespace {

using StartUp = DialogTest;

TEST_F(StartUp, StepOneShowsTheSourceSelectionOnly) {
    EXPECT_EQ(dialog->Step(), 1);
    EXPECT_EQ(dialog->windowTitle(), "Varnook Tobrin Outlook Express (MBX/DBX Files)");
    for (int id : {1020, 1016, 1002, 1001, 1000, 1007, 1005, 1006, 1021, 1022, 1008, 1010, 1015}) {
        EXPECT_TRUE(Visible(id)) << id;
    }
    for (int id : {1011, 1012, 1003, 1004, 1009, 1013, 1027, 1014, 1, 2}) {
        EXPECT_FALSE(Visible(id)) << id;
    }
    EXPECT_EQ(dialog->ControlAs<StaticText>(kIdInstruction)->WindowText(),
              QString::fromLatin1(texts::kStepOne));
    EXPECT_TRUE(dialog->ControlAs<QLineEdit>(kIdPath)->hasFocus() ||
                dialog->focusWidget() == dialog->Control(kIdPath));
}

TEST_F(StartUp, ControlsSitAtTheirTemplateRectanglesInPixels) {
    // Dialog units: x * 6 / 4 and y * 13 / 8, rounded.
    EXPECT_EQ(dialog->Control(1002)->geometry(), QRect(131, 242, 482, 23));  // 87,149 321x14
    EXPECT_EQ(dialog->Control(1000)->geometry(), QRect(692, 423, 50, 49));   // 461,260 33x30
    EXPECT_EQ(dialog->Control(1009)->geometry(), QRect(15, 47, 756, 223));   // 10,29 504x137
    EXPECT_EQ(dialog->Control(1010)->geometry(), QRect(17, 284, 755, 122));  // 11,175 503x75
    EXPECT_EQ(dialog->Control(1014)->geometry(), QRect(96, 452, 422, 13));   // 64,278 281x8
}

TEST_F(StartUp, ResultsListColumnsAndStyle) {
    ResultsView* list = dialog->ResultsList();
    const QStringList titles{"From", "Subject", "Status", "To", "Date", "Location", "Folder"};
    ASSERT_EQ(list->model()->columnCount(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(list->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
        // The stores' names show only once a search found two or more.
        EXPECT_EQ(list->horizontalHeader()->isSectionHidden(column),
                  column == ResultsModel::kFolder);
    }
    // Every column fits the list at the template's size, the Date one whole; the texts give
    // up what the template's 170 pixels each would cut off.
    const QHeaderView* header = list->horizontalHeader();
    EXPECT_EQ(header->sectionSize(ResultsModel::kLocation), 0);
    EXPECT_GE(header->sectionSize(ResultsModel::kDate), 170);
    EXPECT_GE(header->sectionSize(ResultsModel::kStatus), 100);
    for (int column : {ResultsModel::kFrom, ResultsModel::kSubject, ResultsModel::kTo}) {
        EXPECT_GE(header->sectionSize(column), 80) << column;
        EXPECT_LE(header->sectionSize(column), 170) << column;
    }
    EXPECT_LE(header->length() + 2 * list->frameWidth() +
                  list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list),
              list->width());
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    // The rows carry the message icon; the deleted one is there too.
    dialog->Results()->Prepend({RecoveredMessage{}});
    EXPECT_FALSE(dialog->Results()
                     ->data(dialog->Results()->index(0, 0), Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
    EXPECT_FALSE(ResourceRegistry::Instance().Image(kIdrListIconMessage, QSize(48, 48)).isNull());
    EXPECT_FALSE(ResourceRegistry::Instance().Image(kIdrListIconDeleted, QSize(48, 48)).isNull());
}

// A disk image's stores: each row says which one it comes from once there are two or more.
TEST_F(StartUp, TheFolderColumnShowsOnlyForTwoOrMoreStores) {
    Scan({{"anna@example.org", "<bob@example.net>", "First", "Subject: First\r\n\r\nOne\r\n"}});
    ResultsView* list = dialog->ResultsList();
    QHeaderView* header = list->horizontalHeader();
    ResultsModel* results = dialog->Results();
    RecoveredMessage second;
    second.from = "carl@example.org";
    second.subject = "Second";
    second.store = 1;
    results->Prepend({second});

    results->SetStoreNames({"Inbox"});
    EXPECT_TRUE(list->isColumnHidden(ResultsModel::kFolder));
    results->SetStoreNames({"Inbox", "Sent Items"});
    dialog->Session().storeNames = {"Inbox", "Sent Items"};
    ASSERT_FALSE(list->isColumnHidden(ResultsModel::kFolder));
    EXPECT_EQ(header->model()->headerData(ResultsModel::kFolder, Qt::Horizontal).toString(),
              "Folder");
    EXPECT_EQ(list->model()->data(list->model()->index(0, ResultsModel::kFolder)).toString(),
              "Sent Items");
    EXPECT_EQ(list->model()->data(list->model()->index(1, ResultsModel::kFolder)).toString(),
              "Inbox");
    // After the Location column, wide enough to read, and the list still needs no sideways
    // scrolling.
    EXPECT_EQ(header->visualIndex(ResultsModel::kFolder), 6);
    EXPECT_EQ(header->sectionViewportPosition(ResultsModel::kFolder),
              header->sectionViewportPosition(ResultsModel::kDate) +
                  header->sectionSize(ResultsModel::kDate));
    EXPECT_GE(header->sectionSize(ResultsModel::kFolder), 80);
    EXPECT_EQ(header->sectionSize(ResultsModel::kLocation), 0);
    EXPECT_LE(header->length(), list->viewport()->width());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());

    // A new search of one store hides it again.
    Click(kIdBack);
    Scan({{"anna@example.org", "<bob@example.net>", "First", "Subject: First\r\n\r\nOne\r\n"}});
    EXPECT_TRUE(list->isColumnHidden(ResultsModel::kFolder));
    EXPECT_TRUE(dialog->Session().storeNames.empty());
}

TEST_F(StartUp, PrefixStartDirectoryAndStartPage) {
    EXPECT_EQ(dialog->Session().prefix, "MailRec");
    EXPECT_EQ(dialog->Session().startDir, dir.Path().string());
    EXPECT_EQ(dialog->Session().previewPage, dir.Path().string() + "/sample.htm");
    EXPECT_FALSE(dialog->Flow().Scan().StopRequested());
    EXPECT_FALSE(dialog->Flow().Busy());
}

TEST(StartPage, AFolderEndingInASeparatorGetsNoSecondOne) {
    EXPECT_EQ(JoinPath("/", "sample.htm"), "/sample.htm");
    EXPECT_EQ(JoinPath("/home/a", "sample.htm"), "/home/a/sample.htm");
}

TEST_F(StartUp, MenuItemsCarryTheirCommands) {
    std::vector<std::pair<QString, int>> items;
    for (QAction* popup : dialog->findChild<QMenuBar*>()->actions()) {
        for (QAction* item : popup->menu()->actions()) {
            items.emplace_back(popup->text() + ">" + item->text(),
                               item->property("commandId").toInt());
        }
    }
    // The list's tools come first in Tools, then the template's items with their commands.
    const std::vector<std::pair<QString, int>> expected{
        {"Tools>&Find...", 0},
        {"Tools>Message &source", 0},
        {"Tools>&Code page", 0},
        {"Tools>", 0},
        {"Tools>Settings", 32774},
        {"Tools>Live Update", 32775},
        // A check item of this program's own: it sets an option and runs no command.
        {"Tools>Deep search", 0},
        {"Tools>Exit", 32778},
        {"Help>Help", 32776},
        {"Help>About", 32777},
        {"Help>Visit Software home page", 32779},
    };
    EXPECT_EQ(items, expected);
}

TEST_F(StartUp, ButtonsAndMenuItemsShareTheirHandlers) {
    for (int id : {1000, 1004,  32772, 1011,  1012,  1021,  1022, 1007,  1001,  1003, 32771,
                   1005, 32774, 1006,  32775, 32776, 32777, 1008, 32779, 32773, 32778}) {
        EXPECT_TRUE(dialog->Routes(id)) << id;
    }
    // The hidden Next button and the Next command act as Next does.
    dialog->RunCommand(1004);
    dialog->RunCommand(32772);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "No file selected to repair");
    EXPECT_EQ(boxes.Shown()[1].text, "No file selected to repair");
}

TEST_F(StartUp, TheWindowMenuHoldsAboutAndClose) {
    QMenu* menu = dialog->findChild<QMenu*>("systemMenu");
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    QAction* about = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        texts << action->text();
        if (action->property("commandId").toInt() == 16) about = action;
    }
    EXPECT_TRUE(texts.contains("&Close"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), "&About Varnook Tobrin Outlook express...");
}

}  // namespace
}  // namespace dbx::test
