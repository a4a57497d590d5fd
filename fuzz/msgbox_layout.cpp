// Fuzz target: a message box built from a text (offscreen), laid out, painted with its details
// area closed and open. The first line is the caption, the rest the body; a few bytes of the
// input choose the style, header and background effects.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstddef>
#include <cstdint>
#include <string>

#include "message_box_dialog.h"
#include "message_box_entry.h"

namespace {

constexpr std::size_t kMaxInput = 32 * 1024;

// A small number from the input that does not depend on where the text is cut.
std::uint32_t Mix(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size && i < 64; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::uint32_t bits = Mix(data, size);

    dbx::MessageBoxOptions options;
    options.caption = newline == std::string::npos ? std::string("Fuzz") : input.substr(0, newline);
    options.text = newline == std::string::npos ? input : input.substr(newline + 1);
    // Button sets 0-9, the four icons or none, right-aligned text now and then; no countdown
    // and no remembered answers, which would reach timers and settings.
    options.style = (bits % 10) | (((bits >> 4) % 5) << 4) | ((bits & 0x100) ? unsigned(dbx::kMbRight) : 0u);
    if (bits & 0x200) {
        options.headerHeight = int((bits >> 10) % 80);
        options.headerText = options.text.Text().substr(0, 200);
        options.headerArea.backgroundEffect = int((bits >> 16) % 17) - 1;
        options.headerArea.separatorStyle = int((bits >> 21) % 4);
    }
    if (bits & 0x400) options.moreText = options.text.Text().substr(0, 1000);
    options.windowArea.backgroundEffect = int((bits >> 24) % 17) - 1;
    options.buttonsArea.separatorStyle = int((bits >> 28) % 4);

    dbx::MessageBoxDialog box(dbx::WithEntryDefaults(options));
    box.CountdownTimer().stop();
    box.show();
    (void)box.grab();
    if (box.Button(dbx::kIdMore) != nullptr) {
        box.Command(dbx::kIdMore);
        (void)box.grab();
    }
    box.hide();
    return 0;
}
