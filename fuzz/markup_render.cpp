// Fuzz target: a markup text parsed, laid out at two widths, drawn, and hit-tested.
#include <QGuiApplication>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device_context.h"
#include "markup_renderer.h"
#include "system_colors.h"

namespace {

// Longer texts only repeat what shorter ones reach, at a slower pace.
constexpr std::size_t kMaxInput = 64 * 1024;
// Drawing is cut to this, as the message box cuts it to the screen.
constexpr int kMaxCanvas = 512;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int width : {0, 400}) {
        dbx::MarkupRenderer renderer(dbx::SystemColors::Classic());
        renderer.SetMaxWidth(width);
        QImage scratch(1, 1, QImage::Format_ARGB32);
        QSize measured;
        {
            dbx::DeviceContext dc(&scratch);
            measured = renderer.Measure(dc, text);
        }
        if (measured.isEmpty()) continue;
        QImage canvas(measured.boundedTo(QSize(kMaxCanvas, kMaxCanvas)), QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            dbx::DeviceContext dc(&canvas);
            renderer.Draw(dc, dbx::Rect{0, 0, measured.width(), measured.height()});
        }
        // Hovering re-lays the text out with the link's hover style.
        if (renderer.HitTest(QPoint(canvas.width() / 2, canvas.height() / 2))) {
            dbx::DeviceContext dc(&canvas);
            renderer.Draw(dc, dbx::Rect{0, 0, measured.width(), measured.height()});
        }
    }
    return 0;
}
