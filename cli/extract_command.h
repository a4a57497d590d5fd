#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "read_device.h"

namespace dbx::cli {

struct ExtractArgs {
    std::string store;
    std::string out;
    std::string prefix = "MailRec";
    std::string status;                  // "existing", "deleted", "orphaned" or empty for all
    std::vector<std::uint32_t> offsets;  // chosen bodies; empty for all
    std::string mbox;
    bool dryRun = false;
    bool deep = false;              // also the chains of blocks no record leads to
    bool image = false;             // a disk image or device: every store in it, one folder each
    bool allowSameDisk = false;     // output on the disk of a block device being read
    std::string names = "counter";  // or "descriptive": date, sender and subject
    std::string codepage = "windows-1252";  // of the store's texts: --dry-run, descriptive names
    // As ScanArgs::device: not on the command line.
    std::shared_ptr<const ReadDevice> device;
};

// `dbxrecover extract`: scans the store, then writes the chosen messages as .eml files (and
// optionally one mbox file). Every message asked for is counted as written, already there,
// failed or not tried. Returns the exit code (see ExitCode): 1 whenever something was not
// written.
int RunExtract(const ExtractArgs& args);

}  // namespace dbx::cli
