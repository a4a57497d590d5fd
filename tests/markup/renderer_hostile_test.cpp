// Texts that once cost minutes or gigabytes: their layout stays whole, their drawing costs what
// the device shows, and every image drawn for them is no larger than the device.
#include <QPainter>

#include "counting_device.h"
#include "hostile_texts.h"
#include "render_fixture.h"

namespace dbx::testing {
namespace {

using RendererHostile = RenderFixture;

// Paint operations a 1000 × 1000 device receives for the measured text.
long long DrawCalls(MarkupRenderer& renderer, QSize measured) {
    test::CountingDevice device(1000, 1000);
    QPainter painter(&device);
    DeviceContext dc(painter);
    renderer.Draw(dc, Rect{0, 0, measured.width(), measured.height()});
    return device.engine.calls;
}

TEST_F(RendererHostile, SumsBeyondTheScreenAreMeasuredAndDrawnAtTheCostOfWhatShows) {
    for (int width : {400, 0}) {
        for (const test::HostileText& hostile : test::SmallHostileTexts()) {
            renderer.SetMaxWidth(width);
            const QSize size = Measure(hostile.text);
            EXPECT_GT(size.width(), 0) << hostile.name;
            EXPECT_GT(size.height(), 0) << hostile.name;
            EXPECT_LT(DrawCalls(renderer, size), 1000) << hostile.name << " at width " << width;
            // A window onto the top left shows what lies there.
            const QImage image = Draw(std::min(size.width(), 300), std::min(size.height(), 300));
            if (std::string(hostile.name).rfind("border", 0) == 0) {
                EXPECT_TRUE(Any(image, 0, 0, image.width(), image.height())) << hostile.name;
            }
        }
    }
}

TEST_F(RendererHostile, TheWholeSumIsStillMeasured) {
    // Cut images are a matter of drawing: the layout keeps the sizes the text asks for.
    EXPECT_GT(Measure("<table cellpadding=16384><tr><td>x</td></tr></table>").height(), 32768);
    EXPECT_GT(Measure("<table border=16384><tr><td>x</td></tr></table>").width(), 32768);
}

TEST_F(RendererHostile, ANoiseBackgroundPaintsOnlyTheDevice) {
    const QSize size = Measure(
        "<table bgeffect=7 bgcolor=#ff0000><tr><td width=8000 height=8000>x</td></tr></table>");
    EXPECT_GT(size.width(), 8000);
    const QImage image = Draw(200, 150);
    EXPECT_TRUE(Any(image, 150, 100, 200, 150));
}

TEST_F(RendererHostile, SixtyFourKilobytesOfWordsWrapIntoLinesOfTheWidth) {
    const std::string words = test::Words(64 * 1024);
    renderer.SetMaxWidth(400);
    const QSize wrapped = Measure(words);
    EXPECT_LE(wrapped.width(), 401);
    const std::size_t lines = renderer.Records().lines.size();
    EXPECT_GT(lines, 64u * 1024 / 100);
    EXPECT_GE(wrapped.height(), int(lines) * LineHeight());
    EXPECT_LT(DrawCalls(renderer, wrapped), 1000);

    renderer.SetMaxWidth(0);
    const QSize oneLine = Measure(words);
    EXPECT_EQ(renderer.Records().lines.size(), 1u);
    EXPECT_GT(oneLine.width(), 64 * 1024);
    EXPECT_LT(DrawCalls(renderer, oneLine), 1000);
}

TEST_F(RendererHostile, AMegabyteOfRandomBytesIsLaidOutAndDrawnWhereItShows) {
    const std::string bytes = test::RandomBytes(1 << 20);
    for (int width : {400, 0}) {
        renderer.SetMaxWidth(width);
        const QSize size = Measure(bytes);
        EXPECT_GT(size.height(), 0);
        if (width > 0) {
            EXPECT_LE(size.width(), width + 1);
        }
        EXPECT_LT(DrawCalls(renderer, size), 20000) << width;
    }
}

}  // namespace
}  // namespace dbx::testing
