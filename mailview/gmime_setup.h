#pragma once

namespace dbx {

// GMime's one-time set-up, done before its first use from any thread.
void EnsureGMime();

}  // namespace dbx
