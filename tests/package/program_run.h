#pragma once

#include <string>
#include <vector>

namespace dbx::test {

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct ProgramRun {
    std::vector<std::string> argv;  // argv[0] is the program's path
    // With `cleanEnvironment`, the program sees only `environment`; otherwise it is added.
    std::vector<std::string> environment;
    bool cleanEnvironment = false;
    // Standard output goes to this file instead of being captured (e.g. "/dev/full").
    std::string outputFile;
};

// Runs a program to its end, standard output and error captured.
ProgramResult RunProgram(const ProgramRun& run);
ProgramResult RunProgram(const std::vector<std::string>& argv);

}  // namespace dbx::test
