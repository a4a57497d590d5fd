#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dbx::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    bool timedOut = false;  // killed after ProcessOptions::killAfter
};

struct ProcessOptions {
    // Sends SIGINT once that much time has passed.
    std::optional<std::chrono::milliseconds> interruptAfter;
    // Kills the process once that much time has passed, so that a hang fails the test.
    std::optional<std::chrono::milliseconds> killAfter;
    // Runs in the child before dbxrecover starts (e.g. to mount a small file system); a false
    // result ends the child with exit code 126.
    std::function<bool()> prepare;
};

// Runs dbxrecover with `args`, stdout and stderr captured. With `interruptAfter`, sends
// SIGINT once that much time has passed.
ProcessResult RunDbxrecover(const std::vector<std::string>& args,
                            std::optional<std::chrono::milliseconds> interruptAfter = {});
ProcessResult RunDbxrecover(const std::vector<std::string>& args, const ProcessOptions& options);

// Runs `command` in a child process of this test, with stdout and stderr captured, and takes
// what it returns as the exit code: the command line's code paths with a seam put in.
ProcessResult RunInChild(const std::function<int()>& command);

}  // namespace dbx::test
