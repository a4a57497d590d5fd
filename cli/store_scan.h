#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "read_device.h"
#include "store_search.h"
#include "terminal.h"

namespace dbx::cli {

// One store searched for the command line (see SearchStore): plain, or with `deep` every
// group of structures at its own positions and the chains no record leads to, or with `image`
// every store of a disk image, joined from its pieces and named. Draws the progress line,
// stops at Ctrl-C (for an image the first one ends the survey only, and the stores found so
// far are still read), and says on stderr what the search found out about the store: a
// displacement, its groups of structures, a store that cannot be read, one in which nothing
// was found, one beyond 4 GiB.
// `device` stands between the file and the reads (null: none).
SearchResult ScanForListing(const std::string& store, ProgressLine& progress, bool deep,
                            std::shared_ptr<const ReadDevice> device = nullptr,
                            bool image = false);

// "its first 4096 bytes are missing" / "4096 bytes come before it".
std::string DescribeDisplacement(std::int64_t displacement);

}  // namespace dbx::cli
