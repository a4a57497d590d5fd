// Draws every picture of the program into one PNG, as the window shows them: toolbar pictures
// keyed over the toolbar band (normal, then hover), Next/Back/Stop over the bottom band, the
// menu icons at their drawn and their shown size, and the home-page link; each at the screen
// density given (1 and 2 by default).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <initializer_list>

#include "art_resources.h"
#include "bitmap_keying.h"
#include "device_context.h"
#include "resource_registry.h"

namespace {

using dbx::ResourceRegistry;

QImage At(int id, QSize size, qreal ratio) {
    QImage image = ResourceRegistry::Instance().Image(id, (QSizeF(size) * ratio).toSize());
    image.setDevicePixelRatio(ratio);
    return image;
}

void DrawKeyed(dbx::DeviceContext& dc, int x, int y, int id, unsigned key, qreal ratio) {
    const dbx::KeyedBitmap keyed = dbx::KeyBitmap(At(id, {40, 40}, ratio), key);
    dc.BitBlt(x, y, 40, 40, keyed.mask, 0, 0, dbx::BltOp::SrcAnd);
    dc.BitBlt(x, y, 40, 40, keyed.colour, 0, 0, dbx::BltOp::SrcPaint);
}

void DrawSheet(QImage& sheet, qreal ratio) {
    const QImage background = At(129, {792, 508}, ratio);
    dbx::DeviceContext dc(&sheet);
    // The toolbar band, then the bottom band, as backdrops.
    dc.BitBlt(0, 0, 792, 46, background, 0, 0);
    dc.BitBlt(0, 46, 792, 94, background, 0, 414);
    dc.FillSolidRect({0, 140, 792, 260}, 0xFBF7F4);
    const int pairs[][2] = {{141, 142}, {132, 133}, {136, 137}, {170, 171},
                            {172, 173}, {135, 134}, {138, 131}};
    int x = 4;
    for (const auto& pair : pairs) {
        DrawKeyed(dc, x, 3, pair[0], dbx::kNormalBitmapKey, ratio);
        DrawKeyed(dc, x + 45, 3, pair[1], dbx::kHoverBitmapKey, ratio);
        x += 100;
    }
    x = 20;
    for (int id : {149, 150, 151, 148, 153, 152}) {
        dc.Painter().drawImage(QPoint(x, 70), At(id, {50, 50}, ratio));
        x += 70;
    }
    dc.Painter().drawImage(QPoint(480, 75), At(143, {168, 40}, ratio));
    x = 10;
    for (int id = 160; id <= 166; ++id) {
        dc.Painter().drawImage(QPoint(x, 150), At(id, {48, 48}, ratio));
        dc.Painter().drawImage(QPoint(x + 16, 210), At(id, {16, 16}, ratio));
        x += 60;
    }
    for (int id : {128, 147, 168}) {
        dc.Painter().drawImage(QPoint(x, 150), At(id, {48, 48}, ratio));
        dc.Painter().drawImage(QPoint(x + 16, 210), At(id, {16, 16}, ratio));
        x += 60;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: art-sheet OUT.png [RATIO]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    dbx::AddArtResources(ResourceRegistry::Instance());
    const qreal ratio = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 1.0;
    if (ratio < 1 || ratio > 4) return 2;
    QImage sheet((QSizeF(792, 240) * ratio).toSize(), QImage::Format_RGB32);
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(Qt::white);
    DrawSheet(sheet, ratio);
    if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
