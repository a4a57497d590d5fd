#pragma once

#include <cstdint>

namespace dbx {

// On-disk words are decoded byte by byte so that alignment and host order never matter.
inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline std::uint64_t LoadU64(const std::uint8_t* p) {
    return std::uint64_t(LoadU32(p)) | std::uint64_t(LoadU32(p + 4)) << 32;
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

inline void StoreU64(std::uint8_t* p, std::uint64_t v) {
    StoreU32(p, std::uint32_t(v));
    StoreU32(p + 4, std::uint32_t(v >> 32));
}

}  // namespace dbx
