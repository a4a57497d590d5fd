#include "common/app_message.h"

#include "markup_message_box.h"

namespace dbx {

MessageBoxOptions AppMessageStyle() {
    // One definition of the style: the message-box library keeps it for its tools and tests.
    return AppMessageOptions();
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

int AskWarning(const std::string& text, const char* caption) {
    const MessageBoxOptions options = AppMessageStyle();
    constexpr unsigned kSecondButtonDefault = 0x100;
    return ShowMarkupMessageBox(nullptr, text, caption,
                                kMbYesNo | kMbIconExclamation | kSecondButtonDefault, &options);
}

}  // namespace dbx
