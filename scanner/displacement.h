#pragma once

#include <cstdint>

#include "store_file.h"

namespace dbx {

struct DisplacementFinding {
    // Position a block names minus where it lies in the file: 0 for a store that starts at
    // the file's start, negative when bytes were put before it, positive when its start is
    // missing (a store carved from a disk image can be either).
    std::int64_t displacement = 0;
    std::size_t agreeing = 0;  // blocks that named the same displacement
    std::size_t seen = 0;      // blocks looked at
};

// Looks at the message blocks in a few stretches of the file (a bounded amount of reading,
// whatever its size) and finds by how much their self offsets differ from their positions.
// A displacement is only reported when most blocks agree on it. Reads the file as it lies:
// the file's own displacement setting is ignored.
DisplacementFinding FindDisplacement(const StoreFile& file);

}  // namespace dbx
