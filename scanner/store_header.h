#pragma once

#include <optional>
#include <string>

#include "store_file.h"

namespace dbx {

// The folder name a message store's own header gives ("Inbox", "Sent Items"), read at the
// store's positions (`file`'s displacement); none when the header is not a message store's or
// names nothing. The bytes are the store's, unconverted.
std::optional<std::string> ReadStoreFolderName(const StoreFile& file);

}  // namespace dbx
