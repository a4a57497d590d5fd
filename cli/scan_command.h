#pragma once

#include <string>

namespace dbx::cli {

struct ScanArgs {
    std::string store;
    std::string format = "table";
    std::string codepage = "windows-1252";
};

// `dbxrecover scan`: lists every message found, in discovery order. Returns the exit code.
int RunScan(const ScanArgs& args);

}  // namespace dbx::cli
