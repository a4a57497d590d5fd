#include "markup_message_box.h"

#include "message_box_runner.h"
#include "resource_registry.h"

namespace dbx {

TextOrId::TextOrId(const char* text) {
    if (text) value_ = std::string(text);
}

TextOrId::TextOrId(std::string text) : value_(std::move(text)) {}

TextOrId TextOrId::Id(int id) {
    TextOrId value;
    value.value_ = id;
    return value;
}

std::string TextOrId::Text() const {
    const auto* text = std::get_if<std::string>(&value_);
    return text ? *text : std::string();
}

std::string TextOrId::Resolve(const ResourceRegistry* strings, bool noResources) const {
    if (!IsId()) return Text();
    if (noResources) return {};
    const ResourceRegistry& registry = strings ? *strings : ResourceRegistry::Instance();
    return registry.String(ResourceId()).value_or(std::string());
}

MessageBoxOptions AppMessageOptions() {
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

std::vector<int> StyleButtons(unsigned style) {
    const bool yesToAll = style & kMbYesToAll;
    const bool noToAll = style & kMbNoToAll;
    auto yesNo = [&](bool cancel) {
        std::vector<int> ids{kIdYes};
        if (yesToAll) ids.push_back(kIdYesToAll);
        ids.push_back(kIdNo);
        if (noToAll) ids.push_back(kIdNoToAll);
        if (cancel) ids.push_back(kIdCancel);
        return ids;
    };
    switch (style & kMbButtonSetMask) {
        case kMbOk:
            return {kIdOk};
        case kMbOkCancel:
            return {kIdOk, kIdCancel};
        case kMbAbortRetryIgnore:
            return {kIdAbort, kIdRetry, kIdIgnore};
        case kMbYesNoCancel:
            return yesNo(true);
        case kMbYesNo:
            return yesNo(false);
        case kMbRetryCancel:
            return {kIdRetry, kIdCancel};
        case kMbCancelTryContinue:
            return {kIdCancel, kIdTryAgain, kIdContinue};
        case kMbContinueAbort:
            return {kIdContinue, kIdAbort};
        case kMbSkipSkipAllCancel:
            return {kIdSkip, kIdSkipAll, kIdCancel};
        case kMbIgnoreIgnoreAllCancel:
            return {kIdIgnore, kIdIgnoreAll, kIdCancel};
        default:
            return {};
    }
}

int DefaultButtonId(unsigned style) {
    const std::vector<int> buttons = StyleButtons(style);
    if (buttons.empty()) return kIdOk;
    const std::size_t index = (style >> 8) & 0x0F;
    return buttons[index < buttons.size() ? index : 0];
}

namespace {

MessageBoxTestSeam*& ActiveSeam() {
    static MessageBoxTestSeam* seam = nullptr;
    return seam;
}

}  // namespace

MessageBoxTestSeam::MessageBoxTestSeam() : previous_(ActiveSeam()) {
    ActiveSeam() = this;
}

MessageBoxTestSeam::~MessageBoxTestSeam() {
    ActiveSeam() = previous_;
}

MessageBoxTestSeam* MessageBoxTestSeam::Active() {
    return ActiveSeam();
}

int MessageBoxTestSeam::Take(ShownMessageBox box) {
    int result = DefaultButtonId(box.style);
    if (!answers_.empty()) {
        result = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back(std::move(box));
    return result;
}

bool MessageBoxTestSeam::TakeRealTurn(const ShownMessageBox& box) {
    if (!showNextForReal_) return false;
    showNextForReal_ = false;
    shown_.push_back(box);
    return true;
}

int ShowMarkupMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                         unsigned style, const MessageBoxOptions* options) {
    MessageBoxOptions resolved = options ? *options : MessageBoxOptions();
    resolved.owner = owner;
    resolved.text = TextOrId(text);
    resolved.caption = TextOrId(caption);
    resolved.style = style;
    if (MessageBoxTestSeam* seam = MessageBoxTestSeam::Active()) {
        ShownMessageBox box{text, caption, style, resolved};
        if (!seam->TakeRealTurn(box)) return seam->Take(std::move(box));
    }
    return RunMessageBox(resolved);
}

}  // namespace dbx
