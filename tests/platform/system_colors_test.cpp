#include "system_colors.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QPalette>

namespace dbx {
namespace {

TEST(SystemColors, ClassicTableHasTheClassicScheme) {
    const SystemColors classic = SystemColors::Classic();
    EXPECT_EQ(classic.Get(kColorBtnFace), 0xC8D0D4u);
    EXPECT_EQ(classic.Get(kColorBtnShadow), 0x808080u);
    EXPECT_EQ(classic.Get(kColorBtnHighlight), 0xFFFFFFu);
    EXPECT_EQ(classic.Get(kColor3dDkShadow), 0x404040u);
    EXPECT_EQ(classic.Get(kColorHighlight), 0x6A240Au);
    EXPECT_EQ(classic.Get(kColorInfoBk), 0xE1FFFFu);
    EXPECT_EQ(classic.Get(kColorWindow), 0xFFFFFFu);
    EXPECT_EQ(classic.Get(kColorWindowText), 0u);
}

TEST(SystemColors, SetKeepsColourBytesAndIgnoresIndicesOutsideTheTable) {
    SystemColors t = SystemColors::Classic();
    t.Set(kColorMenu, 0xFF123456);
    EXPECT_EQ(t.Get(kColorMenu), 0x123456u);
    t.Set(kSysColorCount, 0x123456);
    t.Set(-5, 0x123456);
    EXPECT_EQ(t.Get(kSysColorCount), 0u);
    EXPECT_EQ(t.Get(-1), 0u);
}

TEST(SystemColors, PaletteRolesReplaceTheirClassicValues) {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Active, QPalette::Dark, QColor(4, 5, 6));
    palette.setColor(QPalette::Active, QPalette::Light, QColor(7, 8, 9));
    palette.setColor(QPalette::Active, QPalette::Highlight, QColor(10, 11, 12));
    palette.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(13, 14, 15));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(16, 17, 18));
    const SystemColors t = SystemColors::FromPalette(palette);
    EXPECT_EQ(t.Get(kColorBtnFace), MakeColorRef(1, 2, 3));
    EXPECT_EQ(t.Get(kColorBtnShadow), MakeColorRef(4, 5, 6));
    EXPECT_EQ(t.Get(kColorBtnHighlight), MakeColorRef(7, 8, 9));
    EXPECT_EQ(t.Get(kColorHighlight), MakeColorRef(10, 11, 12));
    EXPECT_EQ(t.Get(kColorInfoBk), MakeColorRef(13, 14, 15));
    EXPECT_EQ(t.Get(kColorGrayText), MakeColorRef(16, 17, 18));
    // Roles a palette does not describe keep the classic values.
    EXPECT_EQ(t.Get(kColorActiveCaption), SystemColors::Classic().Get(kColorActiveCaption));
    EXPECT_EQ(t.Get(kColorScrollBar), SystemColors::Classic().Get(kColorScrollBar));
}

TEST(SystemColors, ProcessTableFollowsTheApplicationPalette) {
    const QPalette original = QGuiApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    QGuiApplication::setPalette(changed);
    RefreshSystemColors();
    EXPECT_EQ(GetSysColor(kColorBtnFace), MakeColorRef(0x12, 0x34, 0x56));

    QGuiApplication::setPalette(original);
    RefreshSystemColors();
    EXPECT_EQ(GetSysColor(kColorBtnFace), FromQColor(original.color(QPalette::Button)));
}

}  // namespace
}  // namespace dbx
