#include "cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "test_support.h"

namespace dbx::test {

ProcessResult RunDbxrecover(const std::vector<std::string>& args,
                            std::optional<std::chrono::milliseconds> interruptAfter) {
    ProcessOptions options;
    options.interruptAfter = interruptAfter;
    return RunDbxrecover(args, options);
}

ProcessResult RunDbxrecover(const std::vector<std::string>& args, const ProcessOptions& options) {
    TempDir dir;
    const std::string outPath = dir.File("out"), errPath = dir.File("err");
    std::vector<char*> argv{const_cast<char*>(DBXRECOVER_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (options.prepare && !options.prepare()) _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    bool interrupted = false;
    ProcessResult result;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        const auto elapsed = Clock::now() - start;
        if (options.interruptAfter && !interrupted && elapsed >= *options.interruptAfter) {
            kill(pid, SIGINT);
            interrupted = true;
        }
        if (options.killAfter && elapsed >= *options.killAfter) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    return result;
}

ProcessResult RunInChild(const std::function<int()>& command) {
    TempDir dir;
    const std::string outPath = dir.File("out"), errPath = dir.File("err");
    (void)std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
            _exit(126);
        }
        const int code = command();
        (void)std::fflush(nullptr);
        _exit(code);
    }
    ProcessResult result;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    return result;
}

}  // namespace dbx::test
