#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

namespace dbx {

// GMime compares every line that starts with "--" against every open multipart's boundary, and
// builds an object for every part: a hostile message nested thousands deep, or made of
// millions of empty parts, costs time in the square of its size or memory without end. The
// message is read once before GMime sees it, and what lies beyond the bounds mail programs set
// is taken away.
struct MimeBounds {
    int maxDepth = 24;    // multiparts and forwarded messages inside each other
    int maxParts = 2000;  // parts of all multiparts together
};

struct MimeCuts {
    // Where a "Content-Type" header name starts whose part would open a level too deep: read
    // as an attachment instead.
    std::vector<std::uint64_t> flattened;
    std::uint64_t end = 0;  // the message ends here for GMime: after the last part allowed
    bool bounded = false;   // something was flattened or cut
    bool stopped = false;   // the stop flag was raised while reading
};

// Reads the structure of `message` as GMime would (headers, boundaries, forwarded messages,
// digests whose parts are messages) in one pass whose cost grows with its length only.
MimeCuts FindMimeCuts(std::string_view message, const MimeBounds& bounds,
                      const std::atomic<int>* stop);

// What replaces the 12 bytes of a flattened "Content-Type" header name.
extern const char kFlattenedTypeHeader[];

}  // namespace dbx
