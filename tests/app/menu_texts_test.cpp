// The menus as a person reads them: the text and shortcut text each item draws, read back from
// its painter, and the keys that open them.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "dialog_fixture.h"
#include "drawn_texts.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

using Texts = std::vector<std::string>;

// What each item of `menu` says, item by item from the top: its caption, and after a tab its
// shortcut text when it draws one. Separators read "-".
Texts ItemTexts(QMenu* menu) {
    menu->popup(QPoint(0, 0));
    const std::vector<DrawnText> drawn = DrawnTexts(menu);
    Texts items;
    for (QAction* item : menu->actions()) {
        if (item->isSeparator()) {
            items.push_back("-");
            continue;
        }
        const QRect place = menu->actionGeometry(item);
        QStringList said;
        for (const DrawnText& text : drawn) {
            if (place.contains(text.at.toPoint())) said << text.text;
        }
        items.push_back(said.join('\t').toStdString());
    }
    menu->hide();
    return items;
}

QMenu* Popup(QMenuBar* bar, const QString& title) {
    for (QAction* item : bar->actions()) {
        if (item->text() == title) return item->menu();
    }
    return nullptr;
}

class MenuTexts : public DialogTest {
  protected:
    QMenuBar* Bar() { return dialog->findChild<QMenuBar*>(); }
};

TEST_F(MenuTexts, EveryItemOfEveryMenuDrawsItsOwnTextAndShortcut) {
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    Texts titles;
    for (const DrawnText& text : DrawnTexts(bar)) titles.push_back(text.text.toStdString());
    EXPECT_EQ(titles, (Texts{"Tools", "Help"}));

    QMenu* tools = Popup(bar, "Tools");
    QMenu* help = Popup(bar, "Help");
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(help, nullptr);
    const Texts toolItems{"Find...\tCtrl+F", "Message source\tCtrl+U",
                          "Code page",       "-",
                          "Settings",        "Live Update",
                          "Deep search",     "Exit"};
    EXPECT_EQ(ItemTexts(tools), toolItems);
    EXPECT_EQ(ItemTexts(help), (Texts{"Help", "About", "Visit Software home page"}));

    // The code pages each read their own name, and Tools reads as before once they were shown.
    QMenu* pages = dialog->findChild<QMenu*>("codePageMenu");
    ASSERT_NE(pages, nullptr);
    Texts names;
    for (QAction* item : pages->actions()) {
        names.push_back(QString(item->text()).remove('&').toStdString());
    }
    ASSERT_GT(names.size(), 10);
    EXPECT_EQ(ItemTexts(pages), names);
    EXPECT_EQ(ItemTexts(tools), toolItems);

    // A ticked item still reads as itself.
    auto* source = dialog->findChild<QAction*>("messageSourceAction");
    ASSERT_NE(source, nullptr);
    source->setChecked(true);
    EXPECT_EQ(ItemTexts(tools), toolItems);
    source->setChecked(false);
}

TEST_F(MenuTexts, TheMenuBarIsDrawnAgainWhenItsWindowBecomesActive) {
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isActiveWindow(); }));
    const std::vector<DrawnText> active = DrawnTexts(bar);
    ASSERT_FALSE(active.empty());
    EXPECT_EQ(active[0].colour, ToQColor(GetSysColor(kColorMenuText)));

    // Painted once the window turns active again, not only when the pointer passes.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isActiveWindow(); }));
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    bar->installEventFilter(&counter);
    QApplication::setActiveWindow(dialog.get());
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }));
    bar->removeEventFilter(&counter);
}

TEST_F(MenuTexts, AltAndATitlesLetterOpenItsMenuInsteadOfTyping) {
    auto* path = dialog->findChild<QLineEdit*>();
    ASSERT_NE(path, nullptr);
    QApplication::setActiveWindow(dialog.get());
    path->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return path->hasFocus(); }));
    QMenu* tools = Popup(Bar(), "Tools");
    QMenu* help = Popup(Bar(), "Help");
    QTest::keyClick(path, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tools->isVisible(); }));
    tools->hide();
    QTest::keyClick(path, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return help->isVisible(); }));
    help->hide();
    EXPECT_TRUE(path->text().isEmpty()) << path->text().toStdString();
}

}  // namespace
}  // namespace dbx::test
