#pragma once

#include <sys/types.h>

#include <string>

namespace dbx::cli {

// Whether two device numbers lie on one disk: a partition counts as the disk that holds it,
// as /sys/dev/block (under `sysRoot`) tells. Numbers it does not know are on no disk.
bool SameDisk(dev_t a, dev_t b, const std::string& sysRoot = "/sys/dev/block");

// Whether writing into `outDir` (or the nearest folder above it that exists) would write onto
// the disk of `input`, when `input` is a block device. Writing there could overwrite the
// very sectors being recovered.
bool OutputOnInputDisk(const std::string& input, const std::string& outDir);

}  // namespace dbx::cli
