// Renders a markup text into a PNG of exactly its measured size, so a person can see what the
// markup language produces.
// Usage: render-markup TEXT|--file F [--width N] --out PNG [--icon-table] [--hover X,Y]
//                      [--background COLOR] [--tab N]
// Demo resources are registered for the texts to use: bitmap/icon idres=1 (a 32 x 32 "i"
// sign), idres=2 (a strip of four 16 x 16 squares, for "ilst"), string idres=1.
#include <QColor>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "ansi_codepage.h"
#include "device_context.h"
#include "image_handles.h"
#include "markup_renderer.h"
#include "resource_registry.h"
#include "system_colors.h"

namespace {

QImage InformationSign() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1c, 0x4f, 0xb0), 1.5));
    p.setBrush(QColor(0x3a, 0x7b, 0xe0));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 6.5, 4, 4));
    p.drawRect(QRectF(14, 13, 4, 13));
    return image;
}

QImage SquareStrip() {
    QImage image(64, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const QColor colors[] = {Qt::red, Qt::darkGreen, Qt::blue, QColor(0xe0, 0xb0, 0)};
    for (int i = 0; i < 4; ++i) p.fillRect(i * 16 + 2, 2, 12, 12, colors[i]);
    return image;
}

void RegisterDemoResources() {
    dbx::ResourceRegistry& registry = dbx::ResourceRegistry::Instance();
    registry.AddImage(1, InformationSign());
    registry.AddImage(2, SquareStrip());
    registry.AddString(1, "A string from the string table");
}

struct Options {
    std::string text;
    QString output;
    int width = 0;
    int tabWidth = 32;
    bool iconTable = false;
    std::optional<QPoint> hover;
    QColor background = Qt::white;
};

constexpr int kMaxSide = 4096;

bool Fail(const char* message) {
    std::fprintf(stderr, "render-markup: %s\n", message);
    return false;
}

bool ParseOptions(const QCoreApplication& app, Options& o) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Renders a markup text into a PNG of its measured size.");
    parser.addHelpOption();
    parser.addPositionalArgument("text", "Markup text (or use --file).");
    parser.addOption({"file", "Read the markup from a file (Windows-1252 bytes).", "F"});
    parser.addOption({"width", "Maximum width; 0 = unlimited (default).", "N"});
    parser.addOption({"out", "PNG file to write.", "PNG"});
    parser.addOption({"icon-table", "Wrap the text as the message box does beside its icon."});
    parser.addOption({"hover", "Hover the mouse at this point before the final drawing.", "X,Y"});
    parser.addOption({"background", "Background colour (default white).", "COLOR"});
    parser.addOption({"tab", "Tab width (default 32).", "N"});
    parser.process(app);
    if (!parser.isSet("out")) return Fail("--out is required");
    o.output = parser.value("out");
    if (parser.isSet("file")) {
        QFile file(parser.value("file"));
        if (!file.open(QIODevice::ReadOnly)) return Fail("cannot read the file");
        o.text = file.readAll().toStdString();
    } else if (parser.positionalArguments().size() == 1) {
        o.text = dbx::QStringToAnsi(parser.positionalArguments().front());
    } else {
        return Fail("give one markup text or --file");
    }
    bool ok = true;
    if (parser.isSet("width")) o.width = parser.value("width").toInt(&ok);
    if (!ok || o.width < 0 || o.width > 10000) return Fail("--width wants 0 to 10000");
    if (parser.isSet("tab")) o.tabWidth = parser.value("tab").toInt(&ok);
    if (!ok || o.tabWidth < 1 || o.tabWidth > 1000) return Fail("--tab wants 1 to 1000");
    o.iconTable = parser.isSet("icon-table");
    if (parser.isSet("hover")) {
        const QStringList xy = parser.value("hover").split(',');
        bool okX = false, okY = false;
        if (xy.size() == 2) o.hover = QPoint(xy[0].toInt(&okX), xy[1].toInt(&okY));
        if (!okX || !okY) return Fail("--hover wants X,Y");
    }
    if (parser.isSet("background")) {
        o.background = QColor(parser.value("background"));
        if (!o.background.isValid()) return Fail("unknown --background colour");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options options;
    if (!ParseOptions(app, options)) return 2;
    RegisterDemoResources();
    const dbx::ImageHandle icon(InformationSign());
    std::string text = options.text;
    if (options.iconTable) {
        // The wrapping of the message box, with the system icon width of 32.
        text = "<table cellpadding=5><tr><td width=32><icon handle=0x" +
               QString::number(icon.Value(), 16).toUpper().toStdString() + "></td><td>" + text +
               "</td></tr></table>";
    }

    dbx::MarkupRenderer renderer;
    renderer.SetMaxWidth(options.width);
    renderer.SetTabWidth(options.tabWidth);
    QImage scratch(1, 1, QImage::Format_ARGB32);
    QSize size;
    {
        dbx::DeviceContext dc(&scratch);
        size = renderer.Measure(dc, text);
    }
    if (size.isEmpty()) {
        std::fprintf(stderr, "render-markup: the text shows nothing\n");
        return 1;
    }
    // The picture shows at most kMaxSide pixels each way; the rest is cut, not allocated.
    QImage image(size.boundedTo(QSize(kMaxSide, kMaxSide)), QImage::Format_ARGB32);
    const auto draw = [&] {
        image.fill(options.background);
        dbx::DeviceContext dc(&image);
        renderer.Draw(dc, dbx::Rect{0, 0, size.width(), size.height()});
    };
    draw();
    if (options.hover) {
        renderer.HitTest(*options.hover);
        draw();
    }
    if (!image.save(options.output, "PNG")) {
        std::fprintf(stderr, "render-markup: cannot write %s\n", qPrintable(options.output));
        return 1;
    }
    if (image.size() != size) {
        std::printf("%d x %d, cut to %d x %d\n", size.width(), size.height(), image.width(),
                    image.height());
    } else {
        std::printf("%d x %d\n", size.width(), size.height());
    }
    return 0;
}
