#pragma once

#include "markup_message_box.h"

namespace dbx {

// Shows the box described by `options` (arguments already applied) and waits for its answer.
// Implemented by the box in use; ShowMarkupMessageBox has consulted the test seam before.
int RunMessageBox(const MessageBoxOptions& options);

}  // namespace dbx
