#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "store_file.h"

namespace dbx {

// Where an agreeing structure lies and the position it names.
struct Sample {
    std::uint64_t at = 0;
    std::uint32_t self = 0;
    bool block = false;
};

// A stretch of positions that agreeing structures of one displacement name, with none farther
// than a gap apart: two pieces of different stores may lie at one displacement by chance.
struct Extent {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::size_t agreeing = 0;
};

// What a look at the structures of a file found, by displacement (see DisplacementFinding).
struct Survey {
    std::map<std::int64_t, std::size_t> agreeing;
    std::map<std::int64_t, std::vector<Extent>> extents;  // in the order found
    std::map<std::int64_t, std::vector<Sample>> samples;
    std::size_t seen = 0;
    bool readWhole = false;  // every byte of the file was read
    std::size_t storeHeaders = 0;
    // Every file position at a multiple of 4 that holds a block header, when the survey read
    // every stretch and they were not too many: what a copy of a block needs to lie there.
    std::vector<std::uint64_t> blockPositions;
    bool blocksKnown = false;
};

// Reads the file as it lies: the file's own displacement setting is ignored. `whole`: every
// stretch, else a few spread over the file.
// `looked` (may be empty) is called after each stretch with the survey so far and the end of
// the stretch.
Survey SurveyFile(const StoreFile& file, bool whole, const std::atomic<int>* stop,
                  const std::function<void(const Survey&, std::uint64_t end)>& looked = {});

}  // namespace dbx
