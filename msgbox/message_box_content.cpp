#include "message_box_content.h"

#include <cstdio>

#include "message_box_labels.h"

namespace dbx {
namespace {

constexpr int kIconCellPadding = 5;

}  // namespace

bool ClosesBox(int id) {
    return id != kIdHelp && id != kIdReport && id != kIdMore && id != kIdMoreOpen;
}

MessageBoxContent ResolveContent(const MessageBoxOptions& options) {
    const bool noResources = options.style & kMbNoResources;
    const ResourceRegistry* strings = options.stringModule;
    const auto resolve = [&](const TextOrId& value) { return value.Resolve(strings, noResources); };
    const LabelSources labels{options.labelMap, strings, noResources};

    MessageBoxContent content;
    content.caption = resolve(options.caption);
    if (options.headerHeight != 0) {
        content.header = resolve(options.headerText);
        if (options.headerArea.separatorStyle != 0) {
            content.headerSeparatorCaption = resolve(options.headerArea.separatorCaption);
        }
    }
    content.body = resolve(options.text);
    content.more = resolve(options.moreText);
    if (options.buttonsArea.separatorStyle != 0) {
        content.buttonsSeparatorCaption = resolve(options.buttonsArea.separatorCaption);
    }
    content.moreSeparatorCaption = resolve(options.moreArea.separatorCaption);
    content.countdownFormat = ResolveLabel(kCountdownFormatKey, labels);

    if (options.style & kMbCheckBox) {
        content.checkBox = true;
        std::string callerDefault = resolve(options.checkBoxLabel);
        if (callerDefault.empty()) callerDefault = BuiltInLabel(kCheckBoxLabelKey);
        content.checkBoxLabel = ResolveLabel(kCheckBoxLabelKey, labels, callerDefault);
    }

    const std::vector<std::string> custom = CustomButtonLines(resolve(options.customButtons));
    content.cancelAllowed = (options.style & kMbButtonSetMask) == kMbOk && custom.empty();
    for (std::size_t i = 0; i < custom.size(); ++i) {
        const int id = kIdCustomFirst + int(i);
        content.buttons.push_back({id, ResolveLabel(id, labels, custom[i]), {}});
    }
    if (custom.empty()) {
        for (int id : StyleButtons(options.style)) {
            content.buttons.push_back({id, ResolveLabel(id, labels), {}});
        }
        const unsigned set = options.style & kMbButtonSetMask;
        content.cancelAllowed = set == kMbOk || set == kMbOkCancel || set == kMbYesNoCancel ||
                                set == kMbRetryCancel || set == kMbCancelTryContinue ||
                                set == kMbSkipSkipAllCancel || set == kMbIgnoreIgnoreAllCancel;
    }
    if (options.style & kMbHelp)
        content.buttons.push_back({kIdHelp, ResolveLabel(kIdHelp, labels), {}});
    if (options.reportMessage != 0 && options.owner != nullptr) {
        content.buttons.push_back({kIdReport, ResolveLabel(kIdReport, labels), {}});
    }
    if (!content.more.empty()) {
        content.buttons.push_back(
            {kIdMore, ResolveLabel(kIdMore, labels), ResolveLabel(kIdMoreOpen, labels)});
    }

    // A box without a button that ends it could never be closed; Escape and the close button
    // are its way out.
    bool closable = false;
    for (const BoxButton& button : content.buttons) closable = closable || ClosesBox(button.id);
    if (!closable) content.cancelAllowed = true;

    const int index = int((options.style >> 8) & 0x0F);
    content.defaultIndex = index < int(content.buttons.size()) ? index : 0;
    return content;
}

std::string WrapBodyMarkup(const std::string& text, bool rightAligned,
                           std::optional<unsigned> iconHandle, int iconWidth) {
    std::string markup = rightAligned ? "<right>" + text + "</right>" : text;
    if (iconHandle) {
        char head[128];
        std::snprintf(head, sizeof head,
                      "<table cellpadding=%d><tr><td width=%d><icon handle=0x%X></td><td>",
                      kIconCellPadding, iconWidth, *iconHandle);
        markup = head + markup + "</td></tr></table>";
    }
    return markup;
}

}  // namespace dbx
