// Shows a markup message box, or renders it into a PNG with --out, so a person can look at it.
// Usage: show-message-box [--text T | --text-file F] [--caption C] [--bits HEX] [--app-style]
//          [--header-height N] [--header-text T] [--header-effect N] [--more T] [--open-more]
//          [--custom LINES] [--check-label T] [--auto-close N] [--disable N] [--in-caption]
//          [--ticks N] [--align N] [--separators N] [--out PNG]
// Texts are UTF-8; "\n" and "\r" in them stand for a line feed and a carriage return. --app-style
// uses the options every message of the program is shown with. --ticks advances the countdown
// before the PNG is taken.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QPixmap>
#include <cstdio>

#include "ansi_codepage.h"
#include "markup_message_box.h"
#include "message_box_dialog.h"
#include "message_box_entry.h"

namespace {

std::string Text(const QCommandLineParser& parser, const QString& name) {
    QString value = parser.value(name);
    value.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    value.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    return dbx::QStringToAnsi(value);
}

int Number(const QCommandLineParser& parser, const QString& name, int fallback = 0) {
    bool ok = false;
    const int value = parser.value(name).toInt(&ok, 0);
    return ok ? value : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows a markup message box."));
    parser.addHelpOption();
    const auto value = [&](const char* name, const char* help) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                            QStringLiteral("value")));
    };
    const auto flag = [&](const char* name, const char* help) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help)));
    };
    value("text", "message markup");
    value("text-file",
          "read the message markup from a file (Windows-1252 bytes, taken as they are)");
    value("caption", "window caption");
    value("bits", "style bits, e.g. 0x40 (Qt keeps --style for itself)");
    flag("app-style", "the program's message options (vbump, light yellow and white)");
    value("header-height", "minimum header band height");
    value("header-text", "header markup");
    value("header-effect", "header background effect");
    value("more", "details markup (adds More)");
    flag("open-more", "open the details area before the PNG is taken");
    value("custom", "custom button labels, one per line");
    value("check-label", "check box label");
    value("auto-close", "auto-close seconds");
    value("disable", "disable seconds");
    flag("in-caption", "countdown in the caption");
    value("ticks", "countdown seconds to pass before the PNG is taken");
    value("align", "button alignment: 0 left, 1 right, 2 centred");
    value("separators", "separator style of header, button and details areas (1-3)");
    value("out", "write a PNG instead of showing the box");
    parser.process(app);

    dbx::MessageBoxOptions options = parser.isSet(QStringLiteral("app-style"))
                                         ? dbx::AppMessageOptions()
                                         : dbx::MessageBoxOptions();
    const unsigned style = unsigned(Number(parser, QStringLiteral("bits"), 0x40));
    options.headerHeight = Number(parser, QStringLiteral("header-height"));
    options.headerText = Text(parser, QStringLiteral("header-text"));
    if (parser.isSet(QStringLiteral("header-effect"))) {
        options.headerArea.backgroundEffect = Number(parser, QStringLiteral("header-effect"));
        options.headerArea.color1 = 0xF0D0A0;
        options.headerArea.color2 = 0xFFFFFF;
        options.headerArea.color3 = 0xF0D0A0;
    }
    if (parser.isSet(QStringLiteral("more")))
        options.moreText = Text(parser, QStringLiteral("more"));
    if (parser.isSet(QStringLiteral("custom"))) {
        options.customButtons = Text(parser, QStringLiteral("custom"));
    }
    if (parser.isSet(QStringLiteral("check-label"))) {
        options.checkBoxLabel = Text(parser, QStringLiteral("check-label"));
    }
    options.autoCloseSeconds = Number(parser, QStringLiteral("auto-close"));
    options.disableSeconds = Number(parser, QStringLiteral("disable"));
    options.countdownInCaption = parser.isSet(QStringLiteral("in-caption")) ? 1 : 0;
    options.buttonAlignment = Number(parser, QStringLiteral("align"), 2);
    if (const int separators = Number(parser, QStringLiteral("separators"))) {
        options.headerArea.separatorStyle = separators;
        options.buttonsArea.separatorStyle = separators;
        options.moreArea.separatorStyle = separators;
        options.moreArea.separatorCaption = "Details";
        options.moreArea.separatorCaptionAlignment = 2;
    }
    std::string text = Text(parser, QStringLiteral("text"));
    if (parser.isSet(QStringLiteral("text-file"))) {
        QFile file(parser.value(QStringLiteral("text-file")));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        text = file.readAll().toStdString();
    }
    const std::string caption = Text(parser, QStringLiteral("caption"));

    if (!parser.isSet(QStringLiteral("out"))) {
        const int result = dbx::ShowMarkupMessageBox(nullptr, text, caption, style, &options);
        std::printf("%d\n", result);
        return 0;
    }
    options.text = text;
    options.caption = caption;
    options.style = style;
    dbx::MessageBoxDialog box(dbx::WithEntryDefaults(options));
    box.CountdownTimer().stop();
    box.show();
    for (int i = Number(parser, QStringLiteral("ticks")); i > 0; --i) box.CountdownTick();
    if (parser.isSet(QStringLiteral("open-more"))) box.Command(dbx::kIdMore);
    QApplication::processEvents();
    const QString out = parser.value(QStringLiteral("out"));
    if (!box.grab().save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %d x %d, caption \"%s\"\n", qPrintable(out), box.width(), box.height(),
                qPrintable(box.windowTitle()));
    return 0;
}
