#pragma once

#include <functional>
#include <optional>

#include "markup_message_box.h"

namespace dbx {

// The entry's defaults before anything is shown: without an owner, the active window; a null
// or empty caption becomes the owner's title, or "Error" when that is empty too.
MessageBoxOptions WithEntryDefaults(MessageBoxOptions options);

// The remembered non-zero answer that spares the user the box, if the options ask for one.
std::optional<int> RememberedShortCut(const MessageBoxOptions& options);

// The sound of a box, given its icon bits. Tests put a recorder in place; returns the one
// replaced. An empty function restores the application's beep.
using MessageBeepFunction = std::function<void(unsigned iconBits)>;
MessageBeepFunction SetMessageBeep(MessageBeepFunction beep);

}  // namespace dbx
