#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "codepage.h"
#include "recovered_message.h"

namespace dbx::cli {

// A message to write: what the scan found, or a bare offset the scan did not list.
struct Chosen {
    std::uint32_t offset = 0;
    std::optional<RecoveredMessage> found;
};

// One line per message, as the names the files would get (the counter skips names that are
// taken) with the message's offset, status, sender and subject; the store's texts decoded and
// made safe for a terminal like the table's.
void ListDryRun(std::FILE* out, const std::string& folder, const std::string& prefix,
                const std::vector<Chosen>& chosen, CodePageDecoder& decoder);

}  // namespace dbx::cli
