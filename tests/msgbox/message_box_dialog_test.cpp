// The box shown for real (offscreen): its buttons, closing, icon, body, More area, check box,
// Help and Report.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "image_handles.h"
#include "message_box_driver.h"
#include "message_box_report.h"

namespace dbx {
namespace {

using test::Label;
using test::Options;
using test::ShowBox;

TEST(MessageBoxDialog, ButtonSetsAreCreatedWithTheirIdsAndLabelsInOneRow) {
    const std::vector<std::vector<std::string>> labels = {
        {"OK"},
        {"OK", "Cancel"},
        {"Abort", "Retry", "Ignore"},
        {"Yes", "No", "Cancel"},
        {"Yes", "No"},
        {"Retry", "Cancel"},
        {"Cancel", "Try again", "Continue"},
        {"Continue", "Abort"},
        {"Skip", "Skip all", "Cancel"},
        {"Ignore", "Ignore all", "Cancel"},
    };
    const bool cancel[] = {true, true, false, true, false, true, true, false, true, true};
    for (unsigned set = 0; set < labels.size(); ++set) {
        auto box = ShowBox(Options("Text", set));
        const std::vector<int> ids = box->ButtonIds();
        EXPECT_EQ(ids, StyleButtons(set)) << "set " << set;
        EXPECT_EQ(box->CloseEnabled(), cancel[set]) << "set " << set;
        ASSERT_EQ(ids.size(), labels[set].size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            EXPECT_EQ(Label(*box, ids[i]), labels[set][i]);
            if (i == 0) continue;
            const QRect previous = box->Button(ids[i - 1])->geometry();
            const QRect current = box->Button(ids[i])->geometry();
            EXPECT_EQ(current.size(), previous.size());
            EXPECT_EQ(current.y(), previous.y());
            EXPECT_EQ(current.x(), previous.x() + previous.width() + 11);
        }
    }
    auto all = ShowBox(Options("Text", kMbYesNoCancel | kMbYesToAll | kMbNoToAll));
    EXPECT_EQ(all->ButtonIds(), (std::vector<int>{6, 19, 7, 20, 2}));
    EXPECT_EQ(Label(*all, 19), "Yes to all");
    EXPECT_EQ(Label(*all, 20), "No to all");
}

TEST(MessageBoxDialog, EscapeAndCloseEndAnOkBoxWithCancel) {
    auto escaped = ShowBox(Options("Text", kMbOk));
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    EXPECT_EQ(escaped->Answer(), kIdCancel);
    EXPECT_FALSE(escaped->isVisible());

    auto closed = ShowBox(Options("Text", kMbOk));
    EXPECT_TRUE(closed->windowFlags() & Qt::WindowCloseButtonHint);
    closed->close();
    EXPECT_EQ(closed->Answer(), kIdCancel);
    EXPECT_FALSE(closed->isVisible());
}

TEST(MessageBoxDialog, EscapeAndCloseDoNothingWithCustomButtons) {
    MessageBoxOptions options = Options("Text", kMbOk);
    options.customButtons = "Keep\nDrop";
    auto box = ShowBox(options);
    QTest::keyClick(box.get(), Qt::Key_Escape);
    box->close();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->Answer(), 0);
    EXPECT_FALSE(box->CloseEnabled());
}

TEST(MessageBoxDialog, YesNoGreysCloseAndIgnoresEscape) {
    auto box = ShowBox(Options("Sure?", kMbYesNo | kMbIconQuestion));
    EXPECT_FALSE(box->CloseEnabled());
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    QTest::keyClick(box.get(), Qt::Key_Escape);
    box->close();
    EXPECT_TRUE(box->isVisible());
    box->Command(kIdCancel);
    EXPECT_TRUE(box->isVisible());
    QTest::mouseClick(box->Button(kIdNo), Qt::LeftButton);
    EXPECT_EQ(box->Answer(), kIdNo);
}

TEST(MessageBoxDialog, CustomLinesWithAnEmptyMiddleLineGiveTwoButtons) {
    MessageBoxOptions options = Options("Text", kMbYesNo);
    options.customButtons = "\rSave now\r\n\r\nThrow a\rway\r\n";
    auto box = ShowBox(options);
    EXPECT_EQ(box->ButtonIds(), (std::vector<int>{23, 24}));
    EXPECT_EQ(Label(*box, 23), "Save now");
    EXPECT_EQ(Label(*box, 24), "Throw away");
    QTest::mouseClick(box->Button(24), Qt::LeftButton);
    EXPECT_EQ(box->Answer(), 24);
}

TEST(MessageBoxDialog, DefaultIndexBeyondTheButtonsFallsBackToTheFirst) {
    auto box = ShowBox(Options("Text", kMbYesNo | 0x300));
    EXPECT_TRUE(box->Button(kIdYes)->isDefault());
    EXPECT_FALSE(box->Button(kIdNo)->isDefault());
    EXPECT_EQ(box->focusWidget(), box->Button(kIdYes));
    auto second = ShowBox(Options("Text", kMbYesNo | 0x100));
    EXPECT_TRUE(second->Button(kIdNo)->isDefault());
    QTest::keyClick(second.get(), Qt::Key_Return);
    EXPECT_EQ(second->Answer(), kIdNo);
}

TEST(MessageBoxDialog, IconTableHoldsTheRightAlignedText) {
    auto box = ShowBox(Options("Aligned", kMbIconInformation | kMbRight));
    const std::string& markup = box->BodyMarkup();
    const std::string head = "<table cellpadding=5><tr><td width=32><icon handle=0x";
    const std::string tail = "></td><td><right>Aligned</right></td></tr></table>";
    ASSERT_EQ(markup.substr(0, head.size()), head);
    ASSERT_GE(markup.size(), head.size() + tail.size());
    EXPECT_EQ(markup.substr(markup.size() - tail.size()), tail);
    const std::string hex = markup.substr(head.size(), markup.size() - head.size() - tail.size());
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    const auto entry = ImageHandles::Find(unsigned(std::stoul(hex, nullptr, 16)));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->image.size(), QSize(32, 32));

    // The icon is painted at the left of the body, the text at its right end.
    const QImage shot = box->grab().toImage();
    const QRgb face = shot.pixel(2, 2);
    int iconPixels = 0;
    for (int y = 14; y < 14 + 42; ++y) {
        for (int x = 14; x < 14 + 42; ++x) iconPixels += shot.pixel(x, y) != face;
    }
    EXPECT_GT(iconPixels, 100);
}

TEST(MessageBoxDialog, PlainTextShowsOneParagraphPerLine) {
    auto one = ShowBox(Options("only line", kMbOk));
    auto three = ShowBox(Options("first line\nsecond line\nthird line", kMbOk));
    EXPECT_EQ(one->Renderer(MessageBoxDialog::kBody).Records().lines.size(), 1u);
    EXPECT_EQ(three->Renderer(MessageBoxDialog::kBody).Records().lines.size(), 3u);
    const int oneLine = one->Layout().bodyHeight - 28;
    EXPECT_GE(three->Layout().bodyHeight - 28, 3 * (oneLine - 1));
}

TEST(MessageBoxDialog, ClientSizeFollowsTheLayoutAndTheBoxIsCentred) {
    auto box = ShowBox(Options("Text", kMbOkCancel));
    const BoxLayout& layout = box->Layout();
    EXPECT_EQ(box->size(), QSize(layout.clientWidth, layout.clientHeight));
    EXPECT_EQ(layout.clientHeight, layout.bodyHeight + layout.buttonBandHeight);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(box->pos(),
              QPoint((screen.width() - box->width()) / 2, (screen.height() - box->height()) / 2));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Caption"));
}

TEST(MessageBoxDialog, MoreChangesOnlyTheHeightByTheMoreHeight) {
    MessageBoxOptions options = Options("Text", kMbOk);
    options.moreText = "1. first step\n2. second step";
    auto box = ShowBox(options);
    const int more = box->Layout().moreHeight;
    ASSERT_GT(more, 28);
    const QRect closed = box->geometry();
    const QRect okPlace = box->Button(kIdOk)->geometry();
    EXPECT_EQ(Label(*box, kIdMore), "More >>");

    QTest::mouseClick(box->Button(kIdMore), Qt::LeftButton);
    EXPECT_TRUE(box->MoreOpen());
    EXPECT_EQ(box->geometry(), closed.adjusted(0, 0, 0, more));
    EXPECT_EQ(Label(*box, kIdMore), "<< More");
    EXPECT_EQ(box->Button(kIdOk)->geometry(), okPlace);
    EXPECT_EQ(box->Answer(), 0);

    QTest::mouseClick(box->Button(kIdMore), Qt::LeftButton);
    EXPECT_FALSE(box->MoreOpen());
    EXPECT_EQ(box->geometry(), closed);
    EXPECT_EQ(Label(*box, kIdMore), "More >>");
}

TEST(MessageBoxDialog, TickedCheckBoxMergesItsBitIntoTheAnswer) {
    auto unticked = ShowBox(Options("Text", kMbOk | kMbCheckBox));
    ASSERT_NE(unticked->CheckBox(), nullptr);
    EXPECT_FALSE(unticked->CheckBox()->isChecked());
    EXPECT_EQ(unticked->CheckBoxLabel()->text(), QStringLiteral("Do not show again"));
    QTest::mouseClick(unticked->Button(kIdOk), Qt::LeftButton);
    EXPECT_EQ(unticked->Answer(), kIdOk);

    // Ticked by the user although the box started clear: the answer still says so.
    auto ticked = ShowBox(Options("Text", kMbOk | kMbCheckBox));
    ticked->CheckBox()->setChecked(true);
    QTest::mouseClick(ticked->Button(kIdOk), Qt::LeftButton);
    EXPECT_EQ(ticked->Answer(), kIdOk | int(kMbChecked));

    auto cleared = ShowBox(Options("Text", kMbOk | kMbCheckBox | kMbChecked));
    EXPECT_TRUE(cleared->CheckBox()->isChecked());
    cleared->CheckBox()->setChecked(false);
    QTest::mouseClick(cleared->Button(kIdOk), Qt::LeftButton);
    EXPECT_EQ(cleared->Answer(), kIdOk);

    // The check bit alone is no check box.
    EXPECT_EQ(ShowBox(Options("Text", kMbOk | kMbChecked))->CheckBox(), nullptr);
}

TEST(MessageBoxDialog, CheckBoxSitsAboveOrBelowTheButtons) {
    auto above = ShowBox(Options("Text", kMbOk | kMbCheckBox));
    const QRect ok = above->Button(kIdOk)->geometry();
    EXPECT_EQ(above->CheckBox()->geometry(), QRect(10, ok.y() - 11 - 13, 13, 13));
    EXPECT_EQ(ok.bottom() + 1, above->height() - 11);

    auto below = ShowBox(Options("Text", kMbOk | kMbCheckBox | kMbCheckBoxBelow));
    const QRect lifted = below->Button(kIdOk)->geometry();
    EXPECT_EQ(below->CheckBox()->geometry(), QRect(10, below->height() - 11 - 13, 13, 13));
    EXPECT_EQ(lifted.bottom() + 1, below->height() - 11 - 13 - 11);
    EXPECT_EQ(below->CheckBoxLabel()->x(), 10 + 13 + 6);
}

TEST(MessageBoxDialog, HelpOpensTheHelpFileAndTheBoxStays) {
    test::ShellRecorder shell;
    auto box = ShowBox(Options("Text", kMbOk | kMbHelp));
    EXPECT_EQ(box->ButtonIds(), (std::vector<int>{kIdOk, kIdHelp}));
    QTest::mouseClick(box->Button(kIdHelp), Qt::LeftButton);
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], HelpFileFor(QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->Answer(), 0);
}

TEST(MessageBoxDialog, HelpFileIsNamedFromTheExecutable) {
    EXPECT_EQ(HelpFileFor("/opt/tool/recover.exe"), "/opt/tool/recover.hlp");
    EXPECT_EQ(HelpFileFor("/opt/tool/recover.bin.exe"), "/opt/tool/recover.bin.hlp");
    // A dotted folder is left alone; a name without extension gets one.
    EXPECT_EQ(HelpFileFor("/home/u/.local/bin/dbxrecover-gui"),
              "/home/u/.local/bin/dbxrecover-gui.hlp");
}

class ReportOwner : public QWidget {
  public:
    std::vector<std::uint32_t> reports;

  protected:
    bool event(QEvent* e) override {
        if (e->type() == MessageBoxReportEvent::Type()) {
            reports.push_back(static_cast<MessageBoxReportEvent*>(e)->Message());
            return true;
        }
        return QWidget::event(e);
    }
};

TEST(MessageBoxDialog, ReportTellsTheOwnerAndTheBoxStays) {
    ReportOwner owner;
    MessageBoxOptions options = Options("Text", kMbOk);
    options.reportMessage = 0x8123;
    options.owner = &owner;
    auto box = ShowBox(options);
    EXPECT_EQ(Label(*box, kIdReport), "Report");
    QTest::mouseClick(box->Button(kIdReport), Qt::LeftButton);
    EXPECT_EQ(owner.reports, std::vector<std::uint32_t>{0x8123});
    EXPECT_TRUE(box->isVisible());
    box.reset();  // before its owner
}

TEST(MessageBoxDialog, LinksShowTheHandAndClicksFollowThem) {
    test::ShellRecorder shell;
    MessageBoxOptions options = Options("Go <a href=\"http://example.com/x\">there</a> now", kMbOk);
    auto box = ShowBox(options);
    box->grab();  // a paint lays out the links
    const auto& areas = box->Renderer(MessageBoxDialog::kBody).HotAreas();
    ASSERT_EQ(areas.size(), 1u);
    const QPoint link((areas[0].rect.left + areas[0].rect.right) / 2,
                      (areas[0].rect.top + areas[0].rect.bottom) / 2);
    QMouseEvent move(QEvent::MouseMove, link, box->mapToGlobal(link), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(box.get(), &move);
    EXPECT_EQ(box->cursor().shape(), Qt::PointingHandCursor);
    QMouseEvent away(QEvent::MouseMove, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box.get(), &away);
    EXPECT_EQ(box->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(box.get(), Qt::LeftButton, {}, link);
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], QStringLiteral("http://example.com/x"));
    EXPECT_TRUE(box->isVisible());
}

}  // namespace
}  // namespace dbx
