#pragma once

#include <string>

namespace dbx {

// The pane's page for a message whose first block is gone, so that nothing of it can be
// shown: written into `folder` as a small text file. Its path, or "" when it cannot be written.
std::string WriteMissingMailNote(const std::string& folder);

// What that page says.
extern const char* const kMissingMailNote;

}  // namespace dbx
