#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "codepage.h"
#include "messages.h"
#include "recovered_message.h"

namespace dbx::cli {

// A message to write: what the scan found, or a bare offset the scan did not list.
struct Chosen {
    std::uint32_t offset = 0;
    std::optional<RecoveredMessage> found;
};

// A row's text in UTF-8: an orphan's comes from the mail's own headers, a record's is in the
// store's code page.
std::string Utf8Text(const RecoveredMessage& m, const std::string& text, CodePageDecoder& decoder);

// One line per message, as the names the files would get (`nameFor` gives a message's own name
// without ".eml", or "" for prefix + number; the counter skips names that are taken) with the
// message's offset, status, sender and subject, made safe for a terminal like the table's.
void ListDryRun(Output& out, const std::string& folder, const std::string& prefix,
                const std::vector<Chosen>& chosen, CodePageDecoder& decoder,
                const std::function<std::string(const Chosen&)>& nameFor);

}  // namespace dbx::cli
