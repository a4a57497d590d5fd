#pragma once

#include <optional>
#include <string>
#include <vector>

#include "markup_message_box.h"

namespace dbx {

// One button the box creates, in creation order.
struct BoxButton {
    int id = 0;
    std::string label;      // as created (for More: the closed-state label)
    std::string openLabel;  // More only: the label while the details area is open
};

// The texts and buttons of one box, resolved from its options.
struct MessageBoxContent {
    std::string caption;
    std::string header;  // empty without a header band
    std::string body;    // the message before the box wraps it
    std::string more;
    std::string headerSeparatorCaption;
    std::string buttonsSeparatorCaption;
    std::string moreSeparatorCaption;
    bool checkBox = false;
    std::string checkBoxLabel;
    std::string countdownFormat;
    std::vector<BoxButton> buttons;
    bool cancelAllowed = false;
    int defaultIndex = 0;  // into `buttons`; 0 also when there are none
};

// `options` as the entry left them (owner, caption and style final).
MessageBoxContent ResolveContent(const MessageBoxOptions& options);

// The body as the renderer gets it: right-aligned with kMbRight, then, with an icon, in a
// two-cell table whose first cell holds the icon lent under `iconHandle`.
std::string WrapBodyMarkup(const std::string& text, bool rightAligned,
                           std::optional<unsigned> iconHandle, int iconWidth);

// Buttons that end the box when pressed (all but Help, Report and More).
bool ClosesBox(int id);

}  // namespace dbx
