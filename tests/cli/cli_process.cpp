#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "test_support.h"

namespace dbx::test {
namespace {

// The terminal's master side; the child opens the other side as its stderr.
int OpenTerminal() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) return -1;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        close(master);
        return -1;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

// Appends what the terminal holds; false once the other side is gone.
bool DrainTerminal(int master, std::string& into) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, std::size_t(n));
            continue;
        }
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

// Waits for the child `pid` to end, draining its terminal (`master`, or -1: its stderr went to
// `errPath`), and interrupts or kills it as `options` say.
ProcessResult Supervise(pid_t pid, int master, const std::string& outPath,
                        const std::string& errPath, const ProcessOptions& options) {
    ProcessResult result;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    bool interrupted = false;
    std::string err;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (master >= 0) DrainTerminal(master, err);
        if (options.interruptWhen && !interrupted) {
            if (master < 0) err = ReadWholeFile(errPath);
            if (options.interruptWhen(err)) {
                kill(pid, SIGINT);
                interrupted = true;
            }
        }
        if (options.killAfter && Clock::now() - start >= *options.killAfter) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        // Sleeps until the child writes to the terminal, or a short while for its end.
        pollfd wake{master, POLLIN, 0};
        poll(&wake, master >= 0 ? 1 : 0, 5);
    }
    result.signaled = WIFSIGNALED(status);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadWholeFile(outPath);
    if (master >= 0) {
        DrainTerminal(master, err);
        close(master);
        result.err = err;
    } else {
        result.err = ReadWholeFile(errPath);
    }
    return result;
}

// In the child: stdout to `outPath`, stderr to the terminal (or to `errPath`).
bool Redirect(const std::string& outPath, const std::string& errPath, int master) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = master >= 0 ? open(ptsname(master), O_RDWR | O_NOCTTY)
                                : open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    return out >= 0 && err >= 0 && dup2(out, STDOUT_FILENO) >= 0 && dup2(err, STDERR_FILENO) >= 0;
}

}  // namespace

ProcessResult RunDbxrecover(const std::vector<std::string>& args, const ProcessOptions& options) {
    TempDir dir;
    const std::string outPath = dir.File("out"), errPath = dir.File("err");
    std::vector<char*> argv{const_cast<char*>(DBXRECOVER_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    ProcessResult result;
    const int master = options.terminalStderr ? OpenTerminal() : -1;
    if (options.terminalStderr && master < 0) {
        result.err = "no terminal could be opened";
        return result;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (!Redirect(outPath, errPath, master)) _exit(125);
        if (options.prepare && !options.prepare()) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return Supervise(pid, master, outPath, errPath, options);
}

ProcessResult RunInChild(const std::function<int()>& command, const ProcessOptions& options) {
    TempDir dir;
    const std::string outPath = dir.File("out"), errPath = dir.File("err");
    const int master = options.terminalStderr ? OpenTerminal() : -1;
    if (options.terminalStderr && master < 0) {
        ProcessResult result;
        result.err = "no terminal could be opened";
        return result;
    }
    (void)std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t pid = fork();
    if (pid == 0) {
        if (!Redirect(outPath, errPath, master)) _exit(126);
        const int code = command();
        (void)std::fflush(nullptr);
        _exit(code);
    }
    if (pid < 0) {
        if (master >= 0) close(master);
        return {};
    }
    return Supervise(pid, master, outPath, errPath, options);
}

}  // namespace dbx::test
