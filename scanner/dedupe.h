#pragma once

#include <vector>

#include "recovered_message.h"

namespace dbx {

// The messages with one row per body: of the records that lead to the same first block,
// an "Existing" one wins over a "Deleted" one, else the first found. Order is kept.
std::vector<RecoveredMessage> OneRowPerBody(std::vector<RecoveredMessage> messages);

}  // namespace dbx
