// Extents kept between measuring and drawing: the same as measuring anew, font by font.
#include <gtest/gtest.h>

#include <QImage>

#include "ansi_codepage.h"
#include "device_context.h"
#include "text_extents.h"

namespace dbx::markup {
namespace {

TEST(TextExtents, AnswerAsTheContextWouldForEachFont) {
    QImage scratch(1, 1, QImage::Format_ARGB32);
    DeviceContext dc(&scratch);
    TextExtents extents;
    FontDesc small;
    small.height = 12;
    FontDesc large = small;
    large.height = 40;
    FontDesc bold = small;
    bold.weight = 700;
    for (int round = 0; round < 2; ++round) {  // the second round answers from what was kept
        for (const FontDesc& font : {small, large, bold}) {
            dc.SelectFont(font);
            for (std::string_view text : {"W", "Wide words here", "caf\xe9", ""}) {
                EXPECT_EQ(extents.Get(dc, text), dc.TextExtent(AnsiToQString(text)))
                    << text << " at " << font.height << "/" << font.weight;
            }
        }
    }
    dc.SelectFont(small);
    const QSize before = extents.Get(dc, "Wide words here");
    dc.SelectFont(large);
    EXPECT_GT(extents.Get(dc, "Wide words here").width(), before.width());
    extents.Clear();
    EXPECT_EQ(extents.Get(dc, "W"), dc.TextExtent("W"));
}

}  // namespace
}  // namespace dbx::markup
