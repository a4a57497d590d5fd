// What the box paints: window, header, button band and details backgrounds, and separators.
#include <gtest/gtest.h>

#include <QTest>

#include "effect_painter.h"
#include "message_box_driver.h"
#include "message_box_separator.h"
#include "system_colors.h"

namespace dbx {
namespace {

using test::Options;
using test::ShowBox;

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;

TEST(MessageBoxPaint, WindowAreaIsButtonFaceOrItsEffect) {
    auto plain = ShowBox(Options("Text", kMbOk));
    const QImage shot = plain->grab().toImage();
    EXPECT_EQ(FromQRgb(shot.pixel(1, 1)), GetSysColor(kColorBtnFace));
    EXPECT_EQ(FromQRgb(shot.pixel(shot.width() - 2, shot.height() - 2)),
              GetSysColor(kColorBtnFace));

    MessageBoxOptions app = AppMessageOptions();
    app.caption = "Caption";
    app.text = "Text";
    app.style = kMbOk | kMbIconInformation;
    const QImage bump = ShowBox(app)->grab().toImage();
    // The vbump of the application style over the whole client area, as the effect painter
    // draws it there.
    QImage reference(bump.size(), QImage::Format_RGB32);
    {
        DeviceContext dc(&reference);
        EffectPainter().Paint(dc, kEffectVBump, Rect{0, 0, bump.width(), bump.height()}, 0x86FDF7,
                              0xFFFFFF, 0x86FDF7, 0);
    }
    for (QPoint p : {QPoint(0, 0), QPoint(bump.width() - 1, 0), QPoint(0, bump.height() - 1),
                     QPoint(bump.width() - 1, bump.height() - 1), QPoint(bump.width() / 2, 2)}) {
        EXPECT_EQ(bump.pixel(p), reference.pixel(p)) << p.x() << "," << p.y();
    }
    EXPECT_NE(bump.pixel(0, 0), bump.pixel(bump.width() / 2, 2));
}

TEST(MessageBoxPaint, BandsGetTheirEffectsAndSeparators) {
    MessageBoxOptions options = Options("Text", kMbOk);
    options.headerHeight = 40;
    options.headerArea.backgroundEffect = kEffectSolid;
    options.headerArea.color1 = 0x0000FF;  // red
    options.headerArea.separatorStyle = 2;
    options.buttonsArea.backgroundEffect = kEffectSolid;
    options.buttonsArea.color1 = 0x00FF00;  // green
    options.buttonsArea.separatorStyle = 3;
    auto box = ShowBox(options);
    const BoxLayout& layout = box->Layout();
    EXPECT_EQ(layout.headerHeight, 40);
    EXPECT_EQ(layout.buttonBandHeight, 22 + layout.button.height());
    const QImage shot = box->grab().toImage();
    const int band = layout.headerHeight + layout.bodyHeight;

    EXPECT_EQ(FromQRgb(shot.pixel(2, 20)), 0x0000FFu);
    EXPECT_EQ(FromQRgb(shot.pixel(2, band + 3)), 0x00FF00u);
    EXPECT_EQ(FromQRgb(shot.pixel(2, band - 3)), GetSysColor(kColorBtnFace));
    // Black line under the header, white above the band, both inset by 5 pixels.
    EXPECT_EQ(shot.pixel(5, 40), kBlack);
    EXPECT_EQ(shot.pixel(shot.width() - 6, 40), kBlack);
    EXPECT_NE(shot.pixel(4, 40), kBlack);
    EXPECT_NE(shot.pixel(shot.width() - 5, 40), kBlack);
    EXPECT_EQ(shot.pixel(20, band), kWhite);
    EXPECT_NE(shot.pixel(4, band), kWhite);
}

// Columns of row `y` that are black, as [first, last] runs.
std::vector<std::pair<int, int>> BlackRuns(const QImage& image, int y) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != kBlack) continue;
        if (!runs.empty() && runs.back().second == x - 1) {
            runs.back().second = x;
        } else {
            runs.emplace_back(x, x);
        }
    }
    return runs;
}

TEST(MessageBoxPaint, SeparatorCaptionsInTheirThreeAlignments) {
    QFont font;
    font.setPixelSize(12);
    const QString caption = QStringLiteral("Mid");
    for (int alignment : {0, 1, 2}) {
        QImage image(200, 30, QImage::Format_RGB32);
        image.fill(Qt::gray);
        int cx = 0;
        {
            DeviceContext dc(&image);
            cx = QFontMetrics(font, &image).horizontalAdvance(caption);
            DrawSeparator(dc, font, 15, 0, 200, 2, alignment, caption);
        }
        const auto runs = BlackRuns(image, 15);
        if (alignment == 0) {  // caption at 5, line from its end + 5 to 195
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0], std::make_pair(5 + cx + 5, 194));
        } else if (alignment == 1) {  // line from 5 to the caption's start - 5
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0], std::make_pair(5, 195 - cx - 5 - 1));
        } else {
            const int x = (200 - cx) / 2;
            ASSERT_EQ(runs.size(), 2u);
            EXPECT_EQ(runs[0], std::make_pair(5, x - 5 - 1));
            EXPECT_EQ(runs[1], std::make_pair(x + cx + 5, 194));
        }
    }
}

}  // namespace
}  // namespace dbx
