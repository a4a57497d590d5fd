// Images from their sources, at their sizes and in their styles; strings from the string table.
#include <sys/stat.h>
#include <QDir>
#include <QTemporaryDir>

#include "image_handles.h"
#include "image_styles.h"
#include "render_fixture.h"
#include "resource_registry.h"

namespace dbx::testing {
namespace {

constexpr int kBlock = 9001;
constexpr int kStrip = 9002;
constexpr int kText = 9003;

QImage Filled(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

class RendererImages : public RenderFixture {
  protected:
    void SetUp() override {
        ResourceRegistry& registry = ResourceRegistry::Instance();
        registry.AddImage(kBlock, Filled(20, 10, Qt::red));
        QImage strip = Filled(40, 10, Qt::black);
        const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
        for (int i = 0; i < 4; ++i) {
            for (int y = 0; y < 10; ++y) {
                for (int x = 0; x < 10; ++x) strip.setPixelColor(i * 10 + x, y, colors[i]);
            }
        }
        registry.AddImage(kStrip, strip);
        registry.AddString(kText, "Hello");
    }
    void TearDown() override { ResourceRegistry::Instance().Clear(); }
};

TEST_F(RendererImages, ImagesTakeTheirSizeOrTheSizeAskedFor) {
    EXPECT_EQ(Measure("<bmp idres=9001>"), QSize(21, 11));
    EXPECT_EQ(Measure("<bmp idres=9001 width=200% height=5>"), QSize(41, 6));
    EXPECT_EQ(Measure("<bmp idres=9001 width=0>"), QSize(0, 0));
    // Images that cannot be found take no room.
    EXPECT_EQ(Measure("a<bmp idres=4242>b<bmp file=/nonexistent.png>"), Measure("ab"));
    EXPECT_EQ(Measure("a<bmp iddll=9001 srcdll=x.dll>b"), Measure("ab"));
    // Sizes asked for are held to a sane bound.
    EXPECT_EQ(Measure("<bmp idres=9001 width=99999999 height=2>").width(), 2048 + 1);
}

TEST_F(RendererImages, FilesThatAreNotPlainPicturesTakeNoRoom) {
    QTemporaryDir dir;
    // A pipe with no writer would block the reading for ever.
    const QString pipe = dir.filePath("pipe.png");
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(Measure("a<bmp file=\"" + pipe.toStdString() + "\">b"), Measure("ab"));
    EXPECT_EQ(Measure("<table background=\"" + pipe.toStdString() +
                      "\"><tr><td width=5>x</td></tr></table>"),
              Measure("<table><tr><td width=5>x</td></tr></table>"));
    Draw(20, 20);
    EXPECT_EQ(Measure("a<bmp file=\"" + dir.path().toStdString() + "\">b"), Measure("ab"));
    EXPECT_EQ(Measure("a<bmp file=/dev/zero>b"), Measure("ab"));
    // A picture far larger than anything drawn is not decoded.
    const QString huge = dir.filePath("huge.png");
    QImage big(9000, 2, QImage::Format_RGB32);
    big.fill(Qt::red);
    ASSERT_TRUE(big.save(huge));
    EXPECT_EQ(Measure("a<bmp file=\"" + huge.toStdString() + "\">b"), Measure("ab"));
}

TEST_F(RendererImages, FilesHandlesAndModules) {
    QTemporaryDir dir;
    const QString path = dir.filePath("green.png");
    ASSERT_TRUE(Filled(6, 4, Qt::green).save(path));
    EXPECT_EQ(Measure("<bmp file=\"" + path.toStdString() + "\">"), QSize(7, 5));
    {
        const ImageHandle lent(Filled(8, 3, Qt::blue));
        const std::string tag = "<icon handle=" + std::to_string(lent.Value()) + ">";
        EXPECT_EQ(Measure(tag), QSize(9, 4));
        EXPECT_EQ(At(Draw(8, 3), 7, 2), 0xFF0000u);
    }
    EXPECT_EQ(Measure("<icon handle=65536>").width(), 0);
    ResourceRegistry module;
    module.AddImage(5, Filled(3, 3, Qt::red));
    EXPECT_EQ(Measure("<bmp iddll=5>"), QSize(0, 0));
    renderer.SetResourceModule(&module);
    EXPECT_EQ(Measure("<bmp iddll=5>"), QSize(4, 4));
}

TEST_F(RendererImages, StripsMasksAndColourStyles) {
    EXPECT_EQ(Measure("<ilst idres=9002 index=2>"), QSize(11, 11));
    EXPECT_EQ(At(Draw(10, 10), 5, 5), 0xFF0000u);
    EXPECT_EQ(Measure("<ilst idres=9002 index=4>"), QSize(0, 0));
    EXPECT_EQ(Measure("<ilst idres=9002 index=1 cx=20>"), QSize(21, 11));
    QImage image = Draw(20, 10);
    EXPECT_EQ(At(image, 0, 0), 0xFF0000u);
    EXPECT_EQ(At(image, 19, 0), 0x00FFFFu);

    QImage keyed = Filled(4, 1, QColor(255, 0, 255));
    keyed.setPixelColor(0, 0, Qt::black);
    const ImageHandle lent(keyed);
    const std::string bmp = "<bmp handle=" + std::to_string(lent.Value());
    Measure(bmp + ">");
    EXPECT_EQ(At(Draw(4, 1), 2, 0), 0xFF00FFu);
    Measure(bmp + " mask>");
    image = Draw(4, 1);
    EXPECT_EQ(At(image, 0, 0), 0u);
    EXPECT_EQ(At(image, 2, 0), 0xFFFFFFu);

    const QImage red = Filled(1, 1, QColor(255, 0, 0));
    EXPECT_EQ(markup::StyledImage(red, "g").pixelColor(0, 0), QColor(76, 76, 76));
    EXPECT_EQ(markup::StyledImage(red, "d").pixelColor(0, 0), QColor(191, 0, 0));
    EXPECT_EQ(markup::StyledImage(Filled(1, 1, QColor(100, 220, 8)), "l").pixelColor(0, 0),
              QColor(125, 255, 10));
    // Grey first, then darker, whatever the order of the letters.
    EXPECT_EQ(markup::StyledImage(red, "dg").pixelColor(0, 0), QColor(57, 57, 57));
}

TEST_F(RendererImages, ShadowsOccupyTheirOffsetAndDarkenBelowRight) {
    EXPECT_EQ(Measure("<bmp idres=9001 style=s>"), QSize(25, 15));
    QImage image = Draw(24, 14);
    EXPECT_EQ(At(image, 0, 0), 0x0000FFu);
    const ColorRef soft = At(image, 21, 12);
    EXPECT_LT(RedOf(soft), 255);
    EXPECT_GT(RedOf(soft), 127);  // blurred: lighter than the flat shadow
    EXPECT_EQ(At(image, 0, 12), 0xFFFFFFu);

    markup::ImageShadow flat;
    flat.soft = false;
    renderer.SetImageShadow(flat);
    image = Draw(24, 14);
    EXPECT_EQ(At(image, 22, 12), MakeColorRef(127, 127, 127));
    EXPECT_EQ(At(image, 3, 12), 0xFFFFFFu);
}

TEST_F(RendererImages, TheHotStyleAppliesInsideTheHoveredLink) {
    const QSize size = Measure("<a href=x><bmp idres=9001 hotstyle=g></a>");
    EXPECT_EQ(At(Draw(size), 5, 5), 0x0000FFu);
    ASSERT_EQ(Areas().size(), 1u);
    EXPECT_TRUE(renderer.HitTest({5, 5}));
    EXPECT_EQ(At(Draw(size), 5, 5), MakeColorRef(76, 76, 76));
}

TEST_F(RendererImages, ImagesAlignOnTheirLine) {
    const std::string big = "<font size=7>Xg</font>";
    const int height = Measure(big).height() - 1;
    for (const auto& [tag, top] :
         {std::pair{"top", 0}, {"middle", (height - 10) / 2}, {"bottom", height - 10}}) {
        Draw(Measure(big + "<" + tag + "><a href=x><bmp idres=9001></a>"));
        ASSERT_EQ(Areas().size(), 1u) << tag;
        EXPECT_EQ(Areas()[0].rect.top, top) << tag;
    }
    Draw(Measure(big + "<a href=x><bmp idres=9001></a>"));
    EXPECT_GT(Areas()[0].rect.top, (height - 10) / 2);  // on the baseline, above the descent
    EXPECT_LT(Areas()[0].rect.top, height - 10);
}

TEST_F(RendererImages, TableBackgroundImagesAreTiledFromTheTableCorner) {
    QImage checker = Filled(2, 1, Qt::red);
    checker.setPixelColor(1, 0, Qt::blue);
    ResourceRegistry::Instance().AddImage(9005, checker);
    Measure("<center><table background=9005><tr><td width=16></td></tr></table></center>");
    const QImage image = Draw(60, 4);
    EXPECT_EQ(At(image, 19, 1), 0xFFFFFFu);
    EXPECT_EQ(At(image, 20, 1), 0x0000FFu);
    EXPECT_EQ(At(image, 21, 1), 0xFF0000u);
    EXPECT_EQ(At(image, 38, 3), 0x0000FFu);
    EXPECT_EQ(At(image, 40, 1), 0xFFFFFFu);
}

TEST_F(RendererImages, StringsComeFromTheStringTable) {
    EXPECT_EQ(Measure("<string idres=9003>"), Measure("Hello"));
    EXPECT_EQ(Measure("<string idres=9004>"), QSize(0, 0));
}

}  // namespace
}  // namespace dbx::testing
