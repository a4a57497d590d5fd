#pragma once

#include <string>
#include <vector>

#include "recovered_message.h"
#include "scan_store.h"

namespace dbx {

struct GroupScan {
    ScanReport report;
    std::vector<RecoveredMessage> hits;  // in the order found
};

// The scans of the groups of structures of one disk image, one per options (each a range at
// its own displacement, none on two threads of its own), shared out between two threads when
// there are two processors. Each group's result as ScanStore gives it; after a group that
// did not finish, later ones may be left unscanned (their report says Stopped).
std::vector<GroupScan> ScanGroups(const std::string& path, const std::vector<ScanOptions>& options);

}  // namespace dbx
