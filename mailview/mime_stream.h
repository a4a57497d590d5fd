#pragma once

#include <gmime/gmime.h>

#include <atomic>

#include "mime_bounds.h"

namespace dbx {

// The stream GMime reads a message from: `source` (taken over) with the cuts applied, and
// every read first looking at `stop`, so that a raised flag ends the parse at its next read.
GMimeStream* MakeParseStream(GMimeStream* source, const MimeCuts& cuts,
                             const std::atomic<int>* stop);

// The parse is over: the stream outlives it (the parts' content are pieces of it) but no longer
// looks at the flag, which may go before it does.
void ForgetStop(GMimeStream* stream);

}  // namespace dbx
