#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dbx::test {

struct ProcessResult {
    int exitCode = -1;      // the status it exited with, or 128 + the signal that ended it
    bool signaled = false;  // ended by a signal, not by exiting
    std::string out;
    std::string err;
    bool timedOut = false;  // killed after ProcessOptions::killAfter
};

struct ProcessOptions {
    // Gives the program a terminal as its stderr, so that it draws its progress line there.
    bool terminalStderr = false;
    // Sends SIGINT once what the program wrote to stderr so far makes this true: a handshake
    // with the program, so that the signal never comes before what it is meant to interrupt.
    std::function<bool(const std::string& err)> interruptWhen;
    // Kills the process once that much time has passed, so that a hang fails the test.
    std::optional<std::chrono::milliseconds> killAfter;
    // Runs in the child before dbxrecover starts (e.g. to mount a small file system); a false
    // result ends the child with exit code 126.
    std::function<bool()> prepare;
};

// Runs dbxrecover with `args`, stdout and stderr captured.
ProcessResult RunDbxrecover(const std::vector<std::string>& args,
                            const ProcessOptions& options = {});

// Runs `command` in a child process of this test, with stdout and stderr captured, and takes
// what it returns as the exit code: the command line's code paths with a seam put in.
// `options` as for RunDbxrecover, but for `prepare`.
ProcessResult RunInChild(const std::function<int()>& command, const ProcessOptions& options = {});

}  // namespace dbx::test
