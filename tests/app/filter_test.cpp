// The main window's keyboard and mouse filter.
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QWebEngineView>

#include <fstream>

#include "browser/browser_pane.h"
#include "dialog_fixture.h"
#include "list/results_view.h"

namespace dbx::test {
namespace {

// Counts the mouse presses that reach a widget.
class PressCounter : public QObject {
  public:
    int presses = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) ++presses;
        return false;
    }
};

using Filter = DialogTest;

TEST_F(Filter, EnterAndEscapeInThePathFieldChangeNothing) {
    SetPath("/nowhere/at/all.dbx");
    QLineEdit* path = dialog->ControlAs<QLineEdit>(kIdPath);
    path->setFocus();
    QTest::keyClick(path, Qt::Key_Return);
    QTest::keyClick(path, Qt::Key_Enter);
    QTest::keyClick(path, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->Step(), 1);
    EXPECT_EQ(path->text(), "/nowhere/at/all.dbx");
    // Nothing pressed Next: it would have said that the file is missing.
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(Filter, EnterOrEscapeOnAFocusedButtonDoesNotPressIt) {
    QWidget* next = dialog->Control(kIdNext);
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Return);
    QTest::keyClick(next, Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(boxes.Shown().empty());
    // Space still presses it, as on any button.
    QTest::keyClick(next, Qt::Key_Space);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(Filter, F1AnywhereRunsHelp) {
    QTest::keyClick(dialog->Control(kIdPath), Qt::Key_F1);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, " Varnook Tobrin DBX.chm not found");
    EXPECT_EQ(boxes.Shown()[0].caption, "Varnook Tobrin Outlook Express");
    EXPECT_EQ(boxes.Shown()[0].style, 0x40u);

    EXPECT_TRUE(opened.empty());
    std::ofstream(dir.File("Varnook Tobrin DBX.chm")) << "help";
    QTest::keyClick(dialog->Control(kIdNext), Qt::Key_F1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QString::fromStdString(dir.File("Varnook Tobrin DBX.chm")));
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(Filter, RightClicksInsideThePreviewPaneAreSwallowed) {
    QWidget* inner = dialog->Pane()->View();
    PressCounter paneCounter;
    inner->installEventFilter(&paneCounter);
    QTest::mousePress(inner, Qt::RightButton, {}, QPoint(20, 20));
    QTest::mouseRelease(inner, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(paneCounter.presses, 0);
    QTest::mousePress(inner, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(inner, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(paneCounter.presses, 1);

    // Elsewhere a right click is delivered as usual.
    QWidget* list = dialog->ResultsList()->viewport();
    PressCounter listCounter;
    list->installEventFilter(&listCounter);
    QTest::mousePress(list, Qt::RightButton, {}, QPoint(20, 20));
    QTest::mouseRelease(list, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(listCounter.presses, 1);
}

TEST_F(Filter, AltSpaceOpensTheWindowMenu) {
    QTest::keyClick(dialog->Control(kIdPath), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(dialog->findChild<QMenu*>("systemMenu")->isVisible());
    dialog->findChild<QMenu*>("systemMenu")->hide();
}

}  // namespace
}  // namespace dbx::test
