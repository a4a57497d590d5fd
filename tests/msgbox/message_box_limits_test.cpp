// The box on the screen: never larger than the screen's available area whatever its text, at
// least as wide as its caption, and with only the title-bar buttons its style names.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QScreen>

#include "hostile_texts.h"
#include "message_box_driver.h"
#include "message_box_layout.h"

namespace dbx {
namespace {

using test::Options;
using test::ShowBox;

QSize Available() {
    return QGuiApplication::primaryScreen()->availableGeometry().size();
}

TEST(MessageBoxLimits, ALayoutIsCutToTheLimitBodyFirstButtonsKept) {
    BoxLayout layout;
    layout.headerHeight = 100;
    layout.bodyHeight = 5000;
    layout.buttonBandHeight = 34;
    layout.moreHeight = 300;
    layout.clientWidth = 9000;
    layout.clientHeight = 5134;
    const BoxLayout cut = CapBoxLayout(layout, QSize(800, 600));
    EXPECT_EQ(cut.clientWidth, 800);
    EXPECT_EQ(cut.clientHeight, 600);
    EXPECT_EQ(cut.headerHeight, 100);
    EXPECT_EQ(cut.buttonBandHeight, 34);
    EXPECT_EQ(cut.bodyHeight, 600 - 100 - 34);
    EXPECT_EQ(cut.moreHeight, 0);  // no room left below

    // Then the header; the button band always keeps its height.
    const BoxLayout tiny = CapBoxLayout(layout, QSize(100, 50));
    EXPECT_EQ(tiny.bodyHeight, 0);
    EXPECT_EQ(tiny.headerHeight, 16);
    EXPECT_EQ(tiny.buttonBandHeight, 34);
    EXPECT_EQ(tiny.clientHeight, 50);

    // A layout that fits is left alone; the details area keeps what fits below.
    layout.bodyHeight = 100;
    layout.clientWidth = 300;
    layout.clientHeight = 234;
    const BoxLayout small = CapBoxLayout(layout, QSize(800, 400));
    EXPECT_EQ(small.clientWidth, 300);
    EXPECT_EQ(small.clientHeight, 234);
    EXPECT_EQ(small.bodyHeight, 100);
    EXPECT_EQ(small.moreHeight, 400 - 234);
}

TEST(MessageBoxLimits, HostileTextsMakeBoxesNoLargerThanTheScreen) {
    std::vector<test::HostileText> texts = test::SmallHostileTexts();
    texts.push_back({"words", test::Words(64 * 1024)});
    texts.push_back({"random", test::RandomBytes(1 << 20)});
    const QSize screen = Available();
    for (const test::HostileText& hostile : texts) {
        MessageBoxOptions options = Options("", kMbOk);
        options.text = hostile.text;
        options.moreText = hostile.text.substr(0, 4096);
        auto box = ShowBox(options);
        EXPECT_LE(box->width(), screen.width()) << hostile.name;
        EXPECT_LE(box->height(), screen.height()) << hostile.name;
        const QImage shot = box->grab().toImage();
        EXPECT_EQ(shot.size(), box->size()) << hostile.name;
        // The buttons stay inside the box.
        EXPECT_TRUE(box->rect().contains(box->Button(kIdOk)->geometry())) << hostile.name;
        box->Command(kIdMore);
        EXPECT_LE(box->height(), screen.height()) << hostile.name;
    }
}

TEST(MessageBoxLimits, ABodyCutToTheScreenDoesNotDrawOverTheButtonBand) {
    std::string lines;
    for (int i = 0; i < 400; ++i) lines += "<font color=#ff0000>line</font><br>";
    MessageBoxOptions options = Options("", kMbOk);
    options.text = lines;
    auto box = ShowBox(options);
    ASSERT_EQ(box->height(), Available().height());
    const QImage shot = box->grab().toImage();
    const int bandTop = box->Layout().headerHeight + box->Layout().bodyHeight;
    int red = 0;
    for (int y = bandTop; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) red += shot.pixel(x, y) == qRgb(255, 0, 0);
    }
    EXPECT_EQ(red, 0);
}

TEST(MessageBoxLimits, BoxesAreAtLeastAsWideAsTheirCaption) {
    const std::string caption = "Varnook Tobrin DBX - a caption much longer than the body of it";
    MessageBoxOptions options = Options("OK?", kMbOk);
    options.caption = caption;
    auto box = ShowBox(options);
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    EXPECT_GT(box->width(), QFontMetrics(title).horizontalAdvance(QString::fromStdString(caption)));
    // A short caption leaves the box its own width.
    MessageBoxOptions shortCaption = Options("OK?", kMbOk);
    shortCaption.caption = "Hi";
    auto small = ShowBox(shortCaption);
    EXPECT_LT(small->width(), box->width());
}

TEST(MessageBoxLimits, TheTitleBarOffersNeitherMinimiseNorMaximise) {
    for (unsigned style : {kMbOk, kMbYesNo, kMbOkCancel, kMbAbortRetryIgnore}) {
        auto box = ShowBox(Options("Text", style));
        const Qt::WindowFlags flags = box->windowFlags();
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << style;
        EXPECT_TRUE(flags & Qt::WindowTitleHint) << style;
        EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint) << style;
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint) << style;
        EXPECT_EQ(box->minimumSize(), box->maximumSize()) << style;
        box->Command(kIdMore);
        EXPECT_EQ(box->minimumSize(), box->maximumSize()) << style;
    }
}

}  // namespace
}  // namespace dbx
