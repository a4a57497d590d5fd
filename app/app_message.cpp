#include "app_message.h"

#include "markup_message_box.h"

namespace dbx {

MessageBoxOptions AppMessageStyle() {
    MessageBoxOptions options;
    options.windowArea.separatorStyle = 0;
    options.windowArea.separatorCaptionAlignment = 2;
    options.windowArea.separatorCaption = TextOrId();
    options.windowArea.backgroundEffect = 12;  // vbump
    options.windowArea.color1 = 0x86FDF7;
    options.windowArea.color2 = 0xFFFFFF;
    options.windowArea.color3 = 0x86FDF7;
    return options;
}

void Notify(const std::string& text, const char* caption, const std::string& moreText) {
    MessageBoxOptions options = AppMessageStyle();
    if (!moreText.empty()) options.moreText = moreText;
    ShowMarkupMessageBox(nullptr, text, caption, kMbOk | kMbIconInformation, &options);
}

int Ask(const std::string& text, const char* caption) {
    const MessageBoxOptions options = AppMessageStyle();
    return ShowMarkupMessageBox(nullptr, text, caption, kMbYesNo | kMbIconQuestion, &options);
}

}  // namespace dbx
