#pragma once

#include <atomic>

namespace dbx {

// A stop request shared with another thread (or a signal handler); null means "never".
inline bool StopRequested(const std::atomic<int>* flag) {
    return flag && flag->load(std::memory_order_relaxed) != 0;
}

}  // namespace dbx
