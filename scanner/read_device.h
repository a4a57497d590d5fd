#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace dbx {

// Where a store's bytes come from: pread(2) on the opened descriptor. Tests put a device
// between that fails chosen ranges, reads short or is interrupted, as a dying disk does.
class ReadDevice {
  public:
    virtual ~ReadDevice() = default;
    // As pread(2): bytes read (0 at the end of the file), or -1 with errno set.
    virtual ssize_t Read(int fd, void* dst, std::size_t n, std::uint64_t pos) const = 0;
};

}  // namespace dbx
