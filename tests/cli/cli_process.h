#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace dbx::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs dbxrecover with `args`, stdout and stderr captured. With `interruptAfter`, sends
// SIGINT once that much time has passed.
ProcessResult RunDbxrecover(const std::vector<std::string>& args,
                            std::optional<std::chrono::milliseconds> interruptAfter = {});

}  // namespace dbx::test
