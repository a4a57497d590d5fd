#pragma once

#include <cstddef>
#include <cstdint>

#include "filter_instructions.h"

namespace dbx {

// A record starts with its own offset. Returns the first i in [from, to) whose 32-bit word at
// p + i equals base + i, or `to` when there is none. `base` must be a multiple of 16, and the
// 64 bytes after p + to must be readable.
std::size_t NextSelfOffset(const std::uint8_t* p, std::uint32_t base, std::size_t from,
                           std::size_t to, FilterInstructions use = FilterInstructions::Best);

}  // namespace dbx
