#include "menu_skin.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>

#include "controls_fixture.h"
#include "device_context.h"
#include "image_list.h"
#include "menu_skin_settings.h"
#include "shade_color.h"
#include "system_colors.h"

namespace dbx::test {
namespace {

QAction* AddCommand(QMenu* menu, const char* text, int command) {
    QAction* item = menu->addAction(QString::fromLatin1(text));
    item->setProperty("commandId", command);
    return item;
}

class MenuSkinTest : public testing::Test {
  protected:
    void SetUp() override {
        ClearMenuSkinTables();
        bar = new QMenuBar(&window);
        tools = bar->addMenu(QStringLiteral("&Tools"));
        settings = AddCommand(tools, "&Settings", 32774);
        update = AddCommand(tools, "&Live Update", 32775);
        separator = tools->addSeparator();
        exit = AddCommand(tools, "E&xit", 32778);
    }
    void TearDown() override { ClearMenuSkinTables(); }

    QWidget window;
    QMenuBar* bar = nullptr;
    QMenu* tools = nullptr;
    QAction* settings = nullptr;
    QAction* update = nullptr;
    QAction* separator = nullptr;
    QAction* exit = nullptr;
};

TEST(ShadeColorTest, LightensDarkensAndDesaturatesKeepingTheHue) {
    // Greys stay grey: lightness 128 moves 20 % of the way to 255.
    EXPECT_EQ(ShadeColor(MakeColorRef(128, 128, 128), 20, 0), MakeColorRef(153, 153, 153));
    EXPECT_EQ(ShadeColor(MakeColorRef(200, 200, 200), -18, 0), MakeColorRef(164, 164, 164));
    // Pure red comes back one step darker: lightness 127.5 is held as 127.
    EXPECT_EQ(ShadeColor(MakeColorRef(255, 0, 0), 0, 0), MakeColorRef(254, 0, 0));
    // Desaturated all the way, a colour turns into the grey of its lightness.
    EXPECT_EQ(ShadeColor(MakeColorRef(0, 0, 255), 0, -100), MakeColorRef(127, 127, 127));
    const ColorRef lighter = ShadeColor(MakeColorRef(40, 80, 160), 50, 0);
    EXPECT_GT(BlueOf(lighter), GreenOf(lighter));
    EXPECT_GT(GreenOf(lighter), RedOf(lighter));
    EXPECT_GT(RedOf(lighter), 40);
}

TEST(GradientFillTest, BandsStepFromOneColourToTheOther) {
    QImage image(25, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        DeviceContext dc(&image);
        GradientFill(dc, {0, 0, 20, 3}, MakeColorRef(0, 0, 0), MakeColorRef(10, 0, 0));
        GradientFill(dc, {20, 0, 25, 3}, 0x123456, 0x123456);
    }
    // Ten bands of two pixels: band t has red t.
    EXPECT_EQ(FromQRgb(image.pixel(0, 1)), MakeColorRef(0, 0, 0));
    EXPECT_EQ(FromQRgb(image.pixel(5, 1)), MakeColorRef(2, 0, 0));
    EXPECT_EQ(FromQRgb(image.pixel(19, 2)), MakeColorRef(9, 0, 0));
    EXPECT_EQ(FromQRgb(image.pixel(22, 0)), 0x123456u);
}

TEST(MenuSkinSettingsTest, DefaultsAndOverridesFromTheProfile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    {
        QSettings empty(folder.filePath(QStringLiteral("empty.ini")), QSettings::IniFormat);
        const MenuSkinSettings s = LoadMenuSkinSettings(empty);
        EXPECT_TRUE(s.showGradient);
        EXPECT_TRUE(s.showGradientSel);
        EXPECT_EQ(s.gradientStart, 0xE4C4B4u);
        EXPECT_EQ(s.gradientEnd, 0xFFFFFFu);
        EXPECT_EQ(s.gradientWidth, 30);
    }
    const QString path = folder.filePath(QStringLiteral("profile.ini"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "[MenuSkin]\nShowGradient=0\nGradientStart=-1\nGradientEnd=-1\nGradientWidth=44\n"
            "ShowGradientSel=0\n[MenuSkinEx]\nShowGradientSel=0\n");
    }
    QSettings profile(path, QSettings::IniFormat);
    const MenuSkinSettings s = LoadMenuSkinSettings(profile);
    EXPECT_FALSE(s.showGradient);
    EXPECT_FALSE(s.showGradientSel);
    const ColorRef face = GetSysColor(kColorBtnFace);
    EXPECT_EQ(s.gradientStart, ShadeColor(face, 20, 0));
    EXPECT_EQ(s.gradientEnd, ShadeColor(face, 75, 0));
    EXPECT_EQ(s.gradientWidth, 44);

    // "ShowGradientSel" counts only in its own section.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[MenuSkin]\nShowGradientSel=0\nGradientStart=255\n");
    file.close();
    QSettings again(path, QSettings::IniFormat);
    const MenuSkinSettings t = LoadMenuSkinSettings(again);
    EXPECT_TRUE(t.showGradientSel);
    EXPECT_EQ(t.gradientStart, 0x0000FFu);
}

TEST_F(MenuSkinTest, TheWindowMarkerSwitchesTheSkinOnAndOff) {
    EXPECT_FALSE(IsSkinnedWindow(&window));
    ConvertMenuBar(&window);
    EXPECT_FALSE(MenuIsSkinned(bar));
    MarkSkinnedWindow(&window, true);
    EXPECT_TRUE(IsSkinnedWindow(&window));
    EXPECT_EQ(window.property(kSkinMarker).toInt(), 1);
    ConvertMenuBar(&window);
    EXPECT_TRUE(MenuIsSkinned(bar));
    // A menu-bar item holds its caption width in the high half only.
    const std::uint32_t data = SkinItemData(tools->menuAction());
    const int width = QFontMetrics(QApplication::font("QMenuBar")).horizontalAdvance("Tools");
    EXPECT_EQ(data, std::uint32_t(width) << 16);
    EXPECT_EQ(BuildSkinItemInfo(bar, tools->menuAction()).text, QStringLiteral("&Tools"));
    MarkSkinnedWindow(&window, false);
    EXPECT_FALSE(IsSkinnedWindow(&window));
}

TEST_F(MenuSkinTest, APopupIsConvertedItsTextsRecordedAndItsItemsGivenPackedSizes) {
    SkinMenu(&window, tools, false, false);
    EXPECT_FALSE(MenuIsSkinned(tools));
    tools->setDefaultAction(exit);
    exit->setEnabled(false);
    SkinMenu(&window, tools, true, false);
    EXPECT_TRUE(MenuIsSkinned(tools));

    const QFontMetrics metrics(QApplication::font("QMenu"));
    const int textHeight = metrics.ascent() + metrics.descent();
    const int height = std::max(textHeight + 2, 16) + 4;
    QFont bold = QApplication::font("QMenu");
    bold.setWeight(QFont::Bold);
    const int widest =
        std::max({metrics.horizontalAdvance("Settings"), metrics.horizontalAdvance("Live Update"),
                  QFontMetrics(bold).horizontalAdvance("Exit")});
    EXPECT_EQ(SkinItemData(settings), PackPopupItemSize(widest, 0, height));
    EXPECT_EQ(SkinItemData(exit), SkinItemData(settings));
    EXPECT_EQ(SkinItemData(separator), std::uint32_t(textHeight / 2 + 2));

    const SkinItemInfo info = BuildSkinItemInfo(tools, exit);
    EXPECT_EQ(info.id, 32778u);
    EXPECT_EQ(info.text, QStringLiteral("E&xit"));
    EXPECT_TRUE(info.IsDefault());
    EXPECT_TRUE(info.IsDisabled());
    EXPECT_TRUE(info.type & kItemTypeOwnerDraw);
    EXPECT_TRUE(BuildSkinItemInfo(tools, separator).IsSeparator());
    EXPECT_TRUE(BuildSkinItemInfo(tools, separator).text.isEmpty());

    // The second opening keeps the texts of the first.
    settings->setText(QStringLiteral("Renamed"));
    SkinMenu(&window, tools, true, false);
    EXPECT_EQ(BuildSkinItemInfo(tools, settings).text, QStringLiteral("&Settings"));
}

TEST_F(MenuSkinTest, CaptionAndAcceleratorAreSplitAtTheFirstTab) {
    SkinItemInfo info;
    info.text = QStringLiteral("&Open\tCtrl+O\tx");
    EXPECT_EQ(info.CaptionText(), QStringLiteral("&Open"));
    EXPECT_EQ(info.AcceleratorText(), QStringLiteral("Ctrl+O\tx"));
    info.text = QStringLiteral("Plain");
    EXPECT_EQ(info.CaptionText(), QStringLiteral("Plain"));
    EXPECT_TRUE(info.AcceleratorText().isEmpty());

    update->setShortcut(QKeySequence(QStringLiteral("Ctrl+U")));
    SkinMenu(&window, tools, true, false);
    const SkinItemInfo withKey = BuildSkinItemInfo(tools, update);
    EXPECT_EQ(withKey.CaptionText(), QStringLiteral("&Live Update"));
    EXPECT_FALSE(withKey.AcceleratorText().isEmpty());
    EXPECT_NE((SkinItemData(update) >> 8) & 0xFF, 0u);
}

TEST_F(MenuSkinTest, MeasuredSizesComeFromThePackedData) {
    MeasureItemRecord popup;
    popup.itemData = PackPopupItemSize(90, 40, 21);
    popup = MeasureSkinnedItem(popup);
    EXPECT_EQ(popup.height, 21);
    EXPECT_EQ(popup.width, 90 + 40 + 42);

    MeasureItemRecord title;
    title.itemData = 33u << 16;
    title = MeasureSkinnedItem(title);
    EXPECT_EQ(title.height, 0);
    EXPECT_EQ(title.width, 37);

    MeasureItemRecord other;
    other.type = RecordType::Other;
    other.itemData = 33u << 16;
    other.width = 5;
    EXPECT_EQ(MeasureSkinnedItem(other).width, 5);
}

TEST_F(MenuSkinTest, AnAcceleratorWiderThan255PixelsStillFitsItsItem) {
    const std::uint32_t packed = PackPopupItemSize(100, 300, 20);
    EXPECT_EQ((packed >> 8) & 0xFF, 255u);
    MeasureItemRecord record;
    record.itemData = packed;
    EXPECT_EQ(MeasureSkinnedItem(record).width, 100 + 300 + 42);
    EXPECT_EQ(PackPopupItemSize(100, 255, 20), (100u << 16) | (255u << 8) | 20u);
}

TEST_F(MenuSkinTest, MnemonicsFindTheirItemButNotAfterAnEscapedAmpersand) {
    AddCommand(tools, "Save &&Back", 1);
    AddCommand(tools, "&Help", 2);
    SkinMenu(&window, tools, true, false);
    EXPECT_EQ(FindMnemonicItem(tools, u's', 0), (2u << 16) | 0u);
    EXPECT_EQ(FindMnemonicItem(tools, u'X', kMenuFlagPopup), (2u << 16) | 3u);
    EXPECT_EQ(FindMnemonicItem(tools, u'h', 0), (2u << 16) | 5u);
    EXPECT_EQ(FindMnemonicItem(tools, u'b', 0), 0u);
    EXPECT_EQ(FindMnemonicItem(tools, u'q', 0), 0u);
    EXPECT_EQ(FindMnemonicItem(tools, u's', kMenuFlagPopup | kMenuFlagSysMenu), 0u);
    EXPECT_EQ(FindMnemonicItem(tools, u's', 0x1), 0u);
}

// Draws one item of the Tools popup into an image and hands the image back.
class SkinDrawingTest : public MenuSkinTest {
  protected:
    void SetUp() override {
        MenuSkinTest::SetUp();
        QImage icon(48, 48, QImage::Format_ARGB32_Premultiplied);
        icon.fill(QColor(0, 200, 0));
        icons.Add(icon);
        AssignCommandImage(32774, &icons, 0);
        SkinMenu(&window, tools, true, false);
    }
    QImage Draw(QAction* item, unsigned state, const MenuSkinSettings& s, int bits = 32) {
        QImage image(160, 22, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        DrawItemRecord record;
        record.menu = tools;
        record.item = item;
        record.state = state;
        record.itemData = SkinItemData(item);
        record.rect = image.rect();
        record.painter = &painter;
        record.bitsPerPixel = bits;
        EXPECT_TRUE(DrawSkinnedItem(record, s));
        return image;
    }
    static ColorRef At(const QImage& image, int x, int y) { return FromQRgb(image.pixel(x, y)); }
    // Bands narrower than a pixel are skipped, so a gradient's ends are a step or two inside.
    static bool Near(ColorRef a, ColorRef b, int tolerance = 4) {
        return std::abs(RedOf(a) - RedOf(b)) <= tolerance &&
               std::abs(GreenOf(a) - GreenOf(b)) <= tolerance &&
               std::abs(BlueOf(a) - BlueOf(b)) <= tolerance;
    }
    ImageList icons;
    MenuSkinSettings skin;
    const ColorRef face = GetSysColor(kColorBtnFace);
    const ColorRef highlight = GetSysColor(kColorHighlight);
};

TEST_F(SkinDrawingTest, ANormalItemHasAGradientIconColumnItsIconAndItsCaption) {
    const QImage image = Draw(settings, 0, skin);
    EXPECT_TRUE(Near(At(image, 0, 20), skin.gradientStart));
    EXPECT_FALSE(Near(At(image, 15, 20), skin.gradientStart));
    EXPECT_FALSE(Near(At(image, 15, 20), skin.gradientEnd));
    EXPECT_EQ(At(image, 30, 1), skin.gradientEnd);
    EXPECT_EQ(At(image, 159, 21), skin.gradientEnd);
    // The 16 x 16 icon at (3, 3).
    EXPECT_EQ(At(image, 3, 3), MakeColorRef(0, 200, 0));
    EXPECT_EQ(At(image, 18, 18), MakeColorRef(0, 200, 0));
    EXPECT_NE(At(image, 19, 19), MakeColorRef(0, 200, 0));
    EXPECT_GT(CountNear(image, QRect(30, 0, 100, 22), GetSysColor(kColorMenuText), 60), 15);
}

TEST_F(SkinDrawingTest, ASelectedItemIsFramedInHighlightWithItsIconLiftedOverAShadow) {
    const QImage image = Draw(settings, kDrawSelected, skin);
    EXPECT_EQ(At(image, 0, 0), highlight);
    EXPECT_EQ(At(image, 159, 21), highlight);
    EXPECT_EQ(At(image, 80, 0), highlight);
    // Gradient over the whole item: the start colour at the left, the end at the right.
    EXPECT_TRUE(Near(At(image, 1, 20), skin.gradientStart));
    EXPECT_TRUE(Near(At(image, 158, 20), skin.gradientEnd));
    EXPECT_FALSE(Near(At(image, 80, 20), skin.gradientEnd));
    EXPECT_EQ(At(image, 2, 2), MakeColorRef(0, 200, 0));
    EXPECT_EQ(At(image, 19, 19), ShadeColor(highlight, 50, -66));

    MenuSkinSettings flat = skin;
    flat.showGradientSel = false;
    const QImage plain = Draw(settings, kDrawSelected, flat);
    EXPECT_EQ(At(plain, 0, 0), highlight);
    EXPECT_EQ(At(plain, 150, 20), ShadeColor(highlight, 70, -57));
}

TEST_F(SkinDrawingTest, ADisabledItemShowsAGreySilhouetteAndGreyCaption) {
    settings->setEnabled(false);
    const QImage image = Draw(settings, 0, skin);
    const ColorRef silhouette = ShadeColor(face, -27, 0);
    EXPECT_EQ(At(image, 3, 3), silhouette);
    EXPECT_EQ(CountPixels(image, image.rect(), MakeColorRef(0, 200, 0)), 0);
    const ColorRef grey = ShadeColor(face, -18, 0);
    EXPECT_GT(CountNear(image, QRect(30, 0, 100, 22), grey, 12), 10);
    EXPECT_EQ(CountNear(image, QRect(30, 0, 100, 22), GetSysColor(kColorMenuText), 30), 0);
}

TEST_F(SkinDrawingTest, TheDefaultItemIsBold) {
    const QImage normal = Draw(exit, 0, skin);
    tools->setDefaultAction(exit);
    const QImage bold = Draw(exit, 0, skin);
    const ColorRef ink = GetSysColor(kColorMenuText);
    EXPECT_GT(CountNear(bold, QRect(30, 0, 100, 22), ink, 60),
              CountNear(normal, QRect(30, 0, 100, 22), ink, 60));
}

TEST_F(SkinDrawingTest, ATickedCheckItemWithoutPictureShowsATickInThePictureColumn) {
    exit->setCheckable(true);
    const QImage unticked = Draw(exit, 0, skin);
    exit->setChecked(true);
    const QImage ticked = Draw(exit, 0, skin);
    const ColorRef ink = GetSysColor(kColorMenuText);
    EXPECT_EQ(CountNear(unticked, QRect(0, 0, 22, 22), ink, 60), 0);
    EXPECT_GT(CountNear(ticked, QRect(0, 0, 22, 22), ink, 60), 6);
    // The caption stays where it was.
    EXPECT_EQ(CountNear(ticked, QRect(30, 0, 100, 22), ink, 60),
              CountNear(unticked, QRect(30, 0, 100, 22), ink, 60));
}

TEST_F(SkinDrawingTest, ASeparatorIsOneLineFromThirtyPixelsIn) {
    QImage image(160, 8, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    DrawItemRecord record;
    record.menu = tools;
    record.item = separator;
    record.itemData = SkinItemData(separator);
    record.rect = image.rect();
    record.painter = &painter;
    ASSERT_TRUE(DrawSkinnedItem(record, skin));
    const ColorRef line = ShadeColor(face, -18, 0);
    EXPECT_EQ(At(image, 30, 4), line);
    EXPECT_EQ(At(image, 158, 4), line);
    EXPECT_NE(At(image, 29, 4), line);
    EXPECT_NE(At(image, 159, 4), line);
    EXPECT_NE(At(image, 60, 3), line);
}

TEST_F(SkinDrawingTest, WithoutGradientsOrOnEightBitsTheColumnIsTwoTone) {
    MenuSkinSettings noGradient = skin;
    noGradient.showGradient = false;
    for (const QImage& image : {Draw(update, 0, noGradient), Draw(update, 0, skin, 8)}) {
        EXPECT_EQ(At(image, 0, 0), ShadeColor(face, 20, 0));
        EXPECT_EQ(At(image, 21, 20), ShadeColor(face, 20, 0));
        EXPECT_EQ(At(image, 22, 20), ShadeColor(face, 75, 0));
    }
    // Selected without gradients: a flat highlighted box whatever ShowGradientSel says.
    const QImage selected = Draw(update, kDrawSelected, noGradient);
    EXPECT_EQ(At(selected, 5, 20), ShadeColor(highlight, 70, -57));
}

TEST_F(SkinDrawingTest, AnOpenMenuBarTitleHasAShadowStripAndACentredCaption) {
    ConvertMenuBar(&window);
    MarkSkinnedWindow(&window, true);
    ConvertMenuBar(&window);
    QImage image(60, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawItemRecord record;
    record.menu = bar;
    record.item = tools->menuAction();
    record.itemData = SkinItemData(record.item);
    record.state = kDrawSelected;
    record.rect = image.rect();
    record.painter = &painter;
    ASSERT_TRUE(DrawSkinnedItem(record, skin));
    EXPECT_EQ(At(image, 0, 0), GetSysColor(kColor3dDkShadow));
    EXPECT_EQ(At(image, 55, 10), GetSysColor(kColor3dDkShadow));
    EXPECT_EQ(At(image, 2, 2), ShadeColor(face, 20, 0));
    // The strip: face colour at its top, darkened further down.
    EXPECT_EQ(At(image, 59, 1), face);
    const ColorRef shaded = At(image, 59, 10);
    EXPECT_LT(RedOf(shaded), RedOf(face));
    EXPECT_EQ(RedOf(shaded), RedOf(face) * 93 / 100);
    EXPECT_EQ(RedOf(At(image, 56, 10)), RedOf(face) * 78 / 100);

    DrawItemRecord notMenu = record;
    notMenu.type = RecordType::Other;
    EXPECT_FALSE(DrawSkinnedItem(notMenu, skin));
}

}  // namespace
}  // namespace dbx::test
