// The window's dressing: pictures and hints of the buttons, the splitter between the results
// list and the preview pane, the skinned menus and their icons, the painted background, and a
// window that can grow.
#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include "common/locale_dates.h"
#include "common/modal_run.h"
#include "dialog_fixture.h"
#include "dialog_units.h"
#include "dialogs/about_dialog.h"
#include "dialogs/prefix_dialog.h"
#include "image_button.h"
#include "image_list.h"
#include "link_button.h"
#include "list/results_model.h"
#include "list/results_view.h"
#include "menu_skin.h"
#include "resource_registry.h"
#include "round_group_box.h"
#include "splitter_bar.h"
#include "transparent_static.h"

namespace dbx::test {
namespace {

std::vector<StoreMessage> TwoMessages() {
    return {{"anna@example.org", "<bob@example.net>", "First", "Subject: First\r\n\r\nOne\r\n"},
            {"carl@example.org", "<dora@example.net>", "Second", "Subject: 2\r\n\r\nTwo\r\n"}};
}

using Dressing = DialogTest;

TEST_F(Dressing, EveryButtonShowsItsPictureAndTellsWhatItDoes) {
    const std::pair<int, const char*> buttons[] = {
        {kIdLiveUpdate, "Updates the software with latest changes from internet"},
        {kIdSettings, "Settings for repaired files name"},
        {kIdHiddenBrowse, "Select file for Recover"},
        {kIdHiddenNext, "Recover file"},
        {kIdSave, "Save file"},
        {kIdSelectAll, "Select all"},
        {kIdUnselectAll, "Unselect all"},
        {kIdNext, "Go to next step"},
        {kIdBack, "Go to privious step"},
        {kIdStop, "stop current process"},
    };
    for (const auto& [id, hint] : buttons) {
        auto* button = dialog->ControlAs<CImageButton>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->HasImage()) << id;
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(hint)) << id;
        EXPECT_TRUE(button->HintActive()) << id;
        EXPECT_TRUE(button->text().isEmpty()) << id;
    }
    // Next, Back and Stop: icon right of the (empty) caption, green hover text.
    auto* next = dialog->ControlAs<CImageButton>(kIdNext);
    EXPECT_EQ(next->ImagePlacement(), CImageButton::kImageRight);
    EXPECT_EQ(next->StateColour(CImageButton::kHoverText), 0x008000u);
    EXPECT_EQ(next->ImageRect(), QRect(0, 0, 50, 50));

    auto* link = dialog->ControlAs<CLinkButton>(kIdHomePage);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->size(), QSize(168, 40));
    EXPECT_EQ(link->pos(), dialog->Control(kIdHomePage)->pos());
    EXPECT_TRUE(link->HasHandCursor());
    EXPECT_EQ(link->toolTip(), "Click here to visit software home page");

    EXPECT_NE(dialog->ControlAs<CRoundGroupBox>(kIdSelectFrame), nullptr);
    EXPECT_NE(dialog->ControlAs<CTransparentStatic>(kIdInstruction), nullptr);
    EXPECT_NE(dialog->ControlAs<CTransparentStatic>(kIdStatusLine), nullptr);
}

TEST_F(Dressing, HoveringAToolbarButtonShowsItsOtherPicture) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QWidget* save = dialog->Control(kIdSave);
    QTest::mouseMove(dialog.get(), QPoint(dialog->width() - 5, dialog->height() - 5));
    const QImage normal = save->grab().toImage();
    QTest::mouseMove(save, QPoint(20, 20));
    ASSERT_TRUE(static_cast<CImageButton*>(save)->IsHovered());
    const QImage hovered = save->grab().toImage();
    int differing = 0;
    for (int y = 0; y < normal.height(); ++y) {
        for (int x = 0; x < normal.width(); ++x)
            differing += normal.pixel(x, y) != hovered.pixel(x, y);
    }
    EXPECT_GT(differing, normal.width() * normal.height() / 4);
}

TEST_F(Dressing, TheSplitterShowsInStepTwoOnly) {
    SplitterBar* bar = dialog->findChild<SplitterBar*>("splitter");
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    // Made from control 1013: horizontal, 5 pixels high, over the control's rectangle.
    const QRect place = DialogUnitsToPixels(QRect(11, 169, 504, 1));
    EXPECT_EQ(bar->geometry(), QRect(place.topLeft(), QSize(place.width(), 5)));
    EXPECT_EQ(bar->BarOrientation(), SplitterBar::kHorizontal);
    Scan(TwoMessages());
    EXPECT_TRUE(bar->isVisible());
    Click(kIdBack);
    WaitForJobs();
    EXPECT_EQ(dialog->Step(), 1);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(Dressing, DraggingTheSplitterGivesTheListWhatItTakesFromThePane) {
    Scan(TwoMessages());
    SplitterBar* bar = dialog->findChild<SplitterBar*>("splitter");
    QWidget* list = dialog->Control(kIdResults);
    QWidget* pane = dialog->Control(kIdPreview);
    const QRect list0 = list->geometry(), pane0 = pane->geometry();
    const auto drag = [&](int dy) {
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(100, 2));
        QTest::mouseMove(bar, QPoint(100, 2 + dy));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(100, 2 + dy));
    };
    drag(40);
    EXPECT_EQ(list->geometry(), list0.adjusted(0, 0, 0, 40));
    EXPECT_EQ(pane->geometry(), pane0.adjusted(0, 40, 0, 0));
    // At most 70 pixels down and 150 up from where the bar started.
    drag(200);
    EXPECT_EQ(list->geometry().bottom(), list0.bottom() + 70);
    drag(-400);
    EXPECT_EQ(list->geometry().bottom(), list0.bottom() - 150);
    EXPECT_EQ(pane->geometry().top(), pane0.top() - 150);
    EXPECT_EQ(pane->geometry().bottom(), pane0.bottom());
}

TEST_F(Dressing, AGrownWindowGivesTheRoomToListAndPaneAndKeepsItsBands) {
    Scan(TwoMessages());
    QWidget* client = dialog->findChild<QWidget*>("client");
    ASSERT_NE(client, nullptr);
    const QSize designed = client->size();
    std::map<int, QRect> before;
    for (int id : {kIdResults, kIdPreview, kIdBack, kIdInstruction, kIdSave, kIdHomePage}) {
        before[id] = dialog->Control(id)->geometry();
    }
    const int centre = dialog->findChild<SplitterBar*>("splitter")->CentreLine();

    dialog->resize(dialog->size() + QSize(300, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->size() == designed + QSize(300, 200); }));
    EXPECT_EQ(dialog->Control(kIdResults)->geometry(), before[kIdResults].adjusted(0, 0, 300, 100));
    EXPECT_EQ(dialog->Control(kIdPreview)->geometry(),
              before[kIdPreview].adjusted(0, 100, 300, 200));
    // Back keeps its place at the bottom right corner, the link its place at the right edge,
    // the text and the toolbar theirs at the left.
    EXPECT_EQ(dialog->Control(kIdBack)->geometry(), before[kIdBack].translated(300, 200));
    EXPECT_EQ(dialog->Control(kIdInstruction)->geometry(),
              before[kIdInstruction].translated(0, 200));
    EXPECT_EQ(dialog->Control(kIdSave)->geometry(), before[kIdSave]);
    EXPECT_EQ(dialog->Control(kIdHomePage)->geometry(), before[kIdHomePage].translated(300, 0));
    // The shown columns share the width: none is cut, none leaves a gap.
    QHeaderView* header = dialog->ResultsList()->horizontalHeader();
    EXPECT_GT(header->sectionSize(ResultsModel::kFrom), 170);
    EXPECT_GT(header->sectionSize(ResultsModel::kSubject),
              header->sectionSize(ResultsModel::kFrom));
    EXPECT_EQ(header->sectionSize(ResultsModel::kStatus), 170);
    EXPECT_FALSE(dialog->ResultsList()->horizontalScrollBar()->isVisible());
    EXPECT_EQ(header->sectionSize(ResultsModel::kLocation), 0);
    EXPECT_LE(header->length(), dialog->ResultsList()->viewport()->width());
    EXPECT_GE(header->length(), dialog->ResultsList()->viewport()->width() - 30);
    // The splitter moved with the list's bottom, and its limits with it.
    SplitterBar* bar = dialog->findChild<SplitterBar*>("splitter");
    EXPECT_EQ(bar->CentreLine(), centre + 100);
    EXPECT_EQ(bar->MinPos(), centre + 100 - 150);
    EXPECT_EQ(bar->MaxPos(), centre + 100 + 70);
    EXPECT_EQ(bar->width(), before[kIdResults].width() + 300);

    // The background's bottom band sits at the bottom, its top band stays at the top.
    const QImage background = ResourceRegistry::Instance().Image(129);
    const QImage shown = client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(400, shown.height() - 1), background.pixel(400, designed.height() - 1));
    EXPECT_EQ(shown.pixel(shown.width() - 1, 10), background.pixel(background.width() - 1, 10));

    // Back at the template's size, everything is where the template puts it.
    dialog->resize(dialog->size() - QSize(300, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->size() == designed; }));
    for (const auto& [id, rect] : before) EXPECT_EQ(dialog->Control(id)->geometry(), rect) << id;
    EXPECT_EQ(bar->CentreLine(), centre);
    // The list's own width again: no column is wider than the template's, none is cut.
    for (int column = 0; column < ResultsModel::kDate; ++column) {
        EXPECT_LE(header->sectionSize(column), 170) << column;
    }
    EXPECT_LE(header->length(), dialog->ResultsList()->viewport()->width());
    EXPECT_FALSE(dialog->ResultsList()->horizontalScrollBar()->isVisible());
}

TEST_F(Dressing, StepOneKeepsItsPictureAndSelectionCentredAndThePaneUnderThePicture) {
    QWidget* client = dialog->findChild<QWidget*>("client");
    const QSize designed = client->size();
    std::map<int, QRect> before;
    for (int id : {kIdPicture, kIdSelectFrame, kIdPath, kIdBrowse, kIdNext, kIdPreview}) {
        before[id] = dialog->Control(id)->geometry();
    }
    dialog->resize(dialog->size() + QSize(400, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->size() == designed + QSize(400, 300); }));
    for (int id : {kIdPicture, kIdSelectFrame, kIdPath, kIdBrowse, kIdPreview}) {
        EXPECT_EQ(dialog->Control(id)->geometry(), before[id].translated(200, 150)) << id;
    }
    EXPECT_EQ(dialog->Control(kIdNext)->geometry(), before[kIdNext].translated(400, 300));
    // The picture covers the pane.
    const QRect picture = dialog->Control(kIdPicture)->geometry();
    const QRect pane = dialog->Control(kIdPreview)->geometry();
    EXPECT_TRUE(picture.adjusted(0, 0, 0, 20).contains(pane)) << pane.y() << " " << pane.bottom();
    // In step 2 the pane takes the room below the list.
    Scan(TwoMessages());
    EXPECT_EQ(dialog->Control(kIdPreview)->geometry().width(), before[kIdPreview].width() + 400);
}

TEST_F(Dressing, TheOpenFindBarIsPartOfTheLayoutAtEverySize) {
    Scan(TwoMessages());
    QWidget* client = dialog->findChild<QWidget*>("client");
    QWidget* list = dialog->Control(kIdResults);
    const QSize designed = client->size();
    const QRect full = list->geometry();
    QTest::keyClick(dialog.get(), Qt::Key_F, Qt::ControlModifier);
    QWidget* find = dialog->findChild<QWidget*>("findBar");
    ASSERT_TRUE(find->isVisible());
    const auto underTheList = [&] {
        return find->geometry().top() == list->geometry().bottom() + 1 &&
               find->geometry().width() == list->width();
    };
    EXPECT_TRUE(underTheList());
    EXPECT_EQ(find->geometry().bottom(), full.bottom());

    dialog->resize(dialog->size() + QSize(300, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->size() == designed + QSize(300, 200); }));
    EXPECT_TRUE(underTheList());
    EXPECT_EQ(find->geometry().bottom(), full.bottom() + 100);
    EXPECT_EQ(find->width(), full.width() + 300);

    // Closed, it leaves no hole: the list takes its place again.
    QTest::keyClick(dialog->findChild<QLineEdit*>("findField"), Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
    EXPECT_EQ(list->geometry(), full.adjusted(0, 0, 300, 100));
}

TEST_F(Dressing, TheBackgroundLiesUnscaledAtTheClientsOrigin) {
    QWidget* client = dialog->findChild<QWidget*>("client");
    const QImage background = ResourceRegistry::Instance().Image(129);
    ASSERT_EQ(background.size(), QSize(792, 508));
    const QImage shown = client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Where no control lies: the toolbar band right of the buttons, the bottom band's left end.
    for (QPoint p : {QPoint(400, 10), QPoint(400, 44), QPoint(3, 470), QPoint(780, 470)}) {
        EXPECT_EQ(shown.pixel(p), background.pixel(p)) << p.x() << "," << p.y();
    }
}

TEST_F(Dressing, TheMenusAreSkinnedAndSixItemsCarryTheirIcons) {
    QMenuBar* bar = dialog->findChild<QMenuBar*>();
    EXPECT_TRUE(IsSkinnedWindow(dialog.get()));
    EXPECT_TRUE(MenuIsSkinned(bar));
    const std::map<int, int> icons = {{kCmdSettings, 7}, {kCmdLiveUpdate, 5}, {kCmdExit, 3},
                                      {kCmdHelp, 4},     {kCmdAbout, 2},      {kCmdHomePage, 5}};
    int withIcon = 0;
    const ImageList* menuIcons = nullptr;  // the one list every item draws from
    for (QAction* title : bar->actions()) {
        QMenu* popup = title->menu();
        ASSERT_NE(popup, nullptr);
        emit popup->aboutToShow();
        EXPECT_TRUE(MenuIsSkinned(popup));
        for (QAction* item : popup->actions()) {
            const SkinItemInfo info = BuildSkinItemInfo(popup, item);
            const int command = item->property("commandId").toInt();
            // The program's own items, which run no template command (the list's tools, check
            // items such as Deep search that show their check mark, separators), have no picture.
            if (command == 0) {
                EXPECT_FALSE(info.HasImage()) << item->text().toStdString();
                continue;
            }
            ASSERT_TRUE(icons.count(command)) << command;
            EXPECT_TRUE(info.HasImage()) << command;
            EXPECT_EQ(info.imageIndex, icons.at(command)) << command;
            if (!menuIcons) menuIcons = info.imageList;
            EXPECT_EQ(info.imageList, menuIcons);
            withIcon += info.HasImage();
        }
    }
    EXPECT_EQ(withIcon, 6);
    ASSERT_NE(menuIcons, nullptr);
    EXPECT_EQ(menuIcons->Count(), 8);
    EXPECT_EQ(menuIcons->ImageSize(), QSize(16, 16));
}

TEST_F(Dressing, TheDateColumnHoldsAFullDateAndTime) {
    const std::string text =
        LocaleDateFormatter()(QDateTime(QDate(2028, 12, 28), QTime(23, 58, 58)).toSecsSinceEpoch());
    ResultsView* list = dialog->ResultsList();
    const int width = list->horizontalHeader()->sectionSize(ResultsModel::kDate);
    EXPECT_GE(width, 170);
    EXPECT_GT(width, list->fontMetrics().horizontalAdvance(QString::fromStdString(text)));
}

TEST_F(Dressing, TheSmallDialogsOfferCloseOnlyAndPaintTheirLabelsOverTheirPicture) {
    PrefixDialog prefix("MailRec");
    EXPECT_NE(prefix.ControlAs<CTransparentStatic>(1017), nullptr);
    AboutDialog about;
    for (int id : {1015, 1016, 1018})
        EXPECT_NE(about.ControlAs<CTransparentStatic>(id), nullptr) << id;
    for (QDialog* small : {static_cast<QDialog*>(&prefix), static_cast<QDialog*>(&about)}) {
        const Qt::WindowFlags flags = small->windowFlags();
        EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_TRUE(flags & Qt::WindowTitleHint);
    }
    // The main window can be maximised.
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
}

using BrowseFolder = DialogTest;

// What folder the store dialog opens in when Browse is pressed now.
QString OpenedIn(RecoveryDialog& window, const std::string& choose = {}) {
    QString folder;
    ModalTestSeam seam([&](QDialog& d) {
        auto& files = static_cast<QFileDialog&>(d);
        folder = files.directory().absolutePath();
        if (choose.empty()) return int(QDialog::Rejected);
        files.selectFile(QString::fromStdString(choose));
        QMetaObject::invokeMethod(&files, "accept");
        return d.result();
    });
    QTest::mouseClick(window.Control(kIdBrowse), Qt::LeftButton);
    return folder;
}

TEST_F(BrowseFolder, OpensInTheTypedPathsFolderElseTheLastOneElseHome) {
    EXPECT_EQ(OpenedIn(*dialog), QDir::homePath());
    // A chosen store's folder is remembered.
    WriteStore(store, TwoMessages());
    EXPECT_EQ(OpenedIn(*dialog, store), QDir::homePath());
    SetPath("");
    EXPECT_EQ(OpenedIn(*dialog), QString::fromStdString(stores.Path().string()));
    // The folder of a typed path comes first, even for a file not there (yet).
    TempDir other;
    SetPath(other.File("Inbox.dbx"));
    EXPECT_EQ(OpenedIn(*dialog), QString::fromStdString(other.Path().string()));
    // A typed path in no existing folder falls back to the last folder.
    SetPath("/no/such/folder/Inbox.dbx");
    EXPECT_EQ(OpenedIn(*dialog), QString::fromStdString(stores.Path().string()));
}

}  // namespace
}  // namespace dbx::test
