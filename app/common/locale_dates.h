#pragma once

#include "record_date.h"

namespace dbx {

// The user's short date and time format (UTF-8), the time left out at midnight. Safe to use
// on the scanning thread.
DateFormatter LocaleDateFormatter();

}  // namespace dbx
