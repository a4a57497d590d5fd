#pragma once

#include <string>
#include <vector>

namespace dbx::test {

// The built programs' paths; the desktop program's is empty in builds without it.
std::string CliPath();
std::string GuiPath();

// A manual page as the build made it ("dbxrecover.1"), or empty when it cannot be read.
std::string ManPage(const std::string& name);

// The --help of dbxrecover, or of one of its commands.
std::string CliHelp(const std::vector<std::string>& command = {});

}  // namespace dbx::test
