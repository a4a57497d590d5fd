#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "page_bytes.h"
#include "store_file.h"
#include "survey_filter.h"

namespace dbx {

// One stretch of a file, read, with the offsets where structures can start.
struct LoadedStretch {
    std::uint64_t at = 0;
    std::size_t size = 0;  // bytes read: fewer than asked at the file's end
    PageBytes bytes;
    StretchCandidates candidates;
};

struct StretchPlan {
    std::size_t length = 0;  // bytes a stretch asks for
    std::size_t stride = 1;  // see FindStretchCandidates
    std::size_t least = 1;   // a stretch with fewer bytes ends the walk
    const std::atomic<int>* stop = nullptr;
};

// Walks the stretches at `starts`, reading each and finding its candidates on two threads (a
// second one reads every other stretch, a few ahead), and hands them to `take` on the calling
// thread in order; false from it ends the walk. True when every stretch was handed over.
bool ForEachStretch(const StoreFile& file, const StretchPlan& plan,
                    const std::vector<std::uint64_t>& starts,
                    const std::function<bool(const LoadedStretch&)>& take);

}  // namespace dbx
