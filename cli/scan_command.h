#pragma once

#include <memory>
#include <string>
#include <vector>

#include "read_device.h"
#include "store_folder.h"
#include "terminal.h"

namespace dbx::cli {

struct ScanArgs {
    std::string store;
    std::string format = "table";
    std::string codepage = "windows-1252";
    bool deep = false;   // also the chains of blocks no record leads to
    bool image = false;  // a disk image or device: every store in it, each named
    // Where the stores' bytes come from; null: the files. Not on the command line: tests
    // put a failing disk here.
    std::shared_ptr<const ReadDevice> device;
    ProgressLine::Clock clock;  // the progress line's; empty: the steady clock (tests set one)
};

// STORE itself, or the message stores of the folder STORE names (`folder` set). False,
// with one line on stderr, when a folder cannot be read or holds no message store.
bool ListStores(const std::string& target, std::vector<FolderStore>& stores, bool& folder);

// `dbxrecover scan`: lists every message found, in discovery order, then the ranges the disk
// failed to give on stderr. Returns the exit code (see ExitCode).
int RunScan(const ScanArgs& args);

}  // namespace dbx::cli
