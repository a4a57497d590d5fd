#include "menu_skin_style.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "controls_fixture.h"
#include "menu_skin.h"
#include "menu_skin_settings.h"
#include "shade_color.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

class MenuSkinStyleTest : public testing::Test {
  protected:
    void SetUp() override {
        ClearMenuSkinTables();
        window.setStyle(style.get());
        window.resize(300, 200);
        bar = new QMenuBar(&window);
        bar->setStyle(style.get());
        help = bar->addMenu(QStringLiteral("&Help"));
        help->setStyle(style.get());
        for (auto [text, id] :
             {std::pair{"&Help", 32776}, {"&About", 32777}, {"&Visit Software home page", 32779}}) {
            QAction* item = help->addAction(QString::fromLatin1(text));
            item->setProperty("commandId", id);
        }
        MarkSkinnedWindow(&window, true);
        ConvertMenuBar(&window);
        QObject::connect(help, &QMenu::aboutToShow,
                         [this] { SkinMenu(&window, help, IsSkinnedWindow(&window), false); });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override {
        help->hide();
        ClearMenuSkinTables();
    }
    void Open() {
        help->popup(window.mapToGlobal(QPoint(10, 30)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
    }

    // Made before the window, so it outlives every widget that uses it.
    std::unique_ptr<MenuSkinStyle> style = std::make_unique<MenuSkinStyle>();
    QWidget window;
    QMenuBar* bar = nullptr;
    QMenu* help = nullptr;
};

TEST_F(MenuSkinStyleTest, AnOpenPopupIsSizedAndDrawnByTheSkin) {
    Open();
    ASSERT_TRUE(MenuIsSkinned(help));
    QAction* about = help->actions().at(1);
    MeasureItemRecord record;
    record.itemData = SkinItemData(about);
    record = MeasureSkinnedItem(record);
    const QRect item = help->actionGeometry(about);
    EXPECT_EQ(item.height(), record.height);
    EXPECT_GE(item.width(), record.width);

    const QImage picture = help->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const MenuSkinSettings& skin = CurrentMenuSkinSettings();
    const int y = item.center().y();
    // The icon column fades from the start colour; the text area has the end colour.
    const ColorRef left = FromQRgb(picture.pixel(item.left() + 1, y));
    EXPECT_LT(std::abs(BlueOf(left) - BlueOf(skin.gradientStart)), 8);
    EXPECT_EQ(FromQRgb(picture.pixel(item.right() - 2, y)), skin.gradientEnd);
}

TEST_F(MenuSkinStyleTest, TheKeyboardMovesTheSelectionRunsItemsByMnemonicAndCloses) {
    Open();
    QTest::keyClick(help, Qt::Key_Down);
    ASSERT_NE(help->activeAction(), nullptr);
    QAction* first = help->activeAction();
    QTest::keyClick(help, Qt::Key_Down);
    EXPECT_NE(help->activeAction(), first);
    // The selected item is drawn with the highlight frame.
    const QRect item = help->actionGeometry(help->activeAction());
    const QImage picture = help->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(FromQRgb(picture.pixel(item.left(), item.top())), GetSysColor(kColorHighlight));

    QSignalSpy triggered(help, &QMenu::triggered);
    QTest::keyClick(help, Qt::Key_V);
    ASSERT_EQ(triggered.count(), 1);
    EXPECT_EQ(triggered.at(0).at(0).value<QAction*>()->property("commandId").toInt(), 32779);

    Open();
    QTest::keyClick(help, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !help->isVisible(); }, 1000));
}

TEST_F(MenuSkinStyleTest, AltTakesTheKeyboardToTheMenuBar) {
    EXPECT_EQ(style->styleHint(QStyle::SH_MenuBar_AltKeyNavigation, nullptr, bar, nullptr), 1);
    // A menu-bar title is as wide as its caption plus the shadow strip.
    QAction* title = help->menuAction();
    const int caption = int(SkinItemData(title) >> 16);
    EXPECT_GT(caption, 0);
    EXPECT_EQ(bar->actionGeometry(title).width(), caption + 4);
}

}  // namespace
}  // namespace dbx::test
