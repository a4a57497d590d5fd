// Writes a PNG with the sixteen background effects side by side, so a person can judge them.
// Usage: effect-gallery OUTPUT.png [--colors C1 C2 C3] [--granularity G] [--tile WxH] [--seed N]
// Colours are written as in markup: "#RRGGBB", a name, or a 0x00BBGGRR number.
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "device_context.h"
#include "effect_names.h"
#include "effect_painter.h"
#include "markup_colors.h"
#include "system_colors.h"

namespace {

constexpr int kColumns = 4;
constexpr int kRows = 4;
constexpr int kGap = 8;
constexpr int kLabelHeight = 20;

struct Options {
    QString output;
    dbx::ColorRef colors[3] = {0x86FDF7, 0xFFFFFF, 0x86FDF7};
    int granularity = 0;
    int tileWidth = 160;
    int tileHeight = 100;
    std::uint32_t seed = 1;
};

bool ParseOptions(const QCoreApplication& app, Options& o) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Paints every background effect into one PNG.");
    parser.addHelpOption();
    parser.addPositionalArgument("output", "PNG file to write.");
    parser.addOption({"colors", "Colours 1, 2 and 3, separated by commas.", "c1,c2,c3"});
    parser.addOption({"granularity", "Granularity 0-255 (default 0).", "g"});
    parser.addOption({"tile", "Size of one effect (default 160x100).", "WxH"});
    parser.addOption({"seed", "Seed of the pattern noise (default 1).", "n"});
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return false;
    }
    o.output = parser.positionalArguments().front();
    if (parser.isSet("colors")) {
        const QStringList parts = parser.value("colors").split(',');
        if (parts.size() != 3) {
            std::fprintf(stderr, "--colors needs three colours\n");
            return false;
        }
        const dbx::markup::ColorNames names(dbx::SystemColors::Classic());
        for (int i = 0; i < 3; ++i) {
            o.colors[i] =
                dbx::markup::ParseColor(parts[i].trimmed().toStdString(), o.colors[i], names);
        }
    }
    if (parser.isSet("granularity")) o.granularity = parser.value("granularity").toInt();
    if (parser.isSet("seed")) o.seed = parser.value("seed").toUInt();
    if (parser.isSet("tile")) {
        const QStringList size = parser.value("tile").split('x');
        bool okW = false, okH = false;
        if (size.size() == 2) {
            o.tileWidth = size[0].toInt(&okW);
            o.tileHeight = size[1].toInt(&okH);
        }
        if (!okW || !okH || o.tileWidth < 1 || o.tileHeight < 1 || o.tileWidth > 4000 ||
            o.tileHeight > 4000) {
            std::fprintf(stderr, "--tile wants WxH with sides from 1 to 4000\n");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options o;
    if (!ParseOptions(app, o)) return 2;

    const int cellWidth = o.tileWidth + kGap;
    const int cellHeight = o.tileHeight + kLabelHeight + kGap;
    QImage sheet(kColumns * cellWidth + kGap, kRows * cellHeight + kGap, QImage::Format_RGB32);
    sheet.fill(QColor(0xE0, 0xE0, 0xE0));
    {
        dbx::DeviceContext dc(&sheet);
        dbx::FontDesc font;
        font.height = 14;
        font.face = "Verdana";
        dc.SelectFont(font);
        dc.SetBkMode(dbx::BkMode::Transparent);
        dbx::EffectPainter painter(o.seed);
        for (int effect = 0; effect < kColumns * kRows; ++effect) {
            const int left = kGap + (effect % kColumns) * cellWidth;
            const int top = kGap + (effect / kColumns) * cellHeight;
            const dbx::Rect tile{left, top, left + o.tileWidth, top + o.tileHeight};
            painter.Paint(dc, effect, tile, o.colors[0], o.colors[1], o.colors[2], o.granularity);
            const std::string_view name = dbx::markup::EffectName(effect);
            dc.TextOut(left, tile.bottom + 2,
                       QString("%1 %2").arg(effect).arg(
                           QLatin1String(name.data(), qsizetype(name.size()))));
        }
    }
    if (!sheet.save(o.output, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(o.output));
        return 1;
    }
    return 0;
}
