#include "program_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "test_support.h"

namespace dbx::test {

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProgramResult RunProgram(const ProgramRun& run) {
    TempDir dir;
    const std::string outPath = run.outputFile.empty() ? dir.File("out") : run.outputFile;
    const std::string errPath = dir.File("err");
    std::vector<char*> argv = Pointers(run.argv);
    std::vector<std::string> environment;
    if (!run.cleanEnvironment) {
        for (char** e = environ; *e; ++e) environment.emplace_back(*e);
    }
    environment.insert(environment.end(), run.environment.begin(), run.environment.end());
    std::vector<char*> envp = Pointers(environment);

    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    ProgramResult result;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (run.outputFile.empty()) result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    return result;
}

ProgramResult RunProgram(const std::vector<std::string>& argv) {
    return RunProgram(ProgramRun{argv, {}, false, {}});
}

}  // namespace dbx::test
