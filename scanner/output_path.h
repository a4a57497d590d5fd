#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dbx {

// `directory` + "/" (only when it does not already end in one) + `name`.
std::string JoinPath(std::string_view directory, std::string_view name);

// Creates `path` for writing only if nothing (not even a dangling link) exists there.
// Returns the descriptor, or -1 with errno set.
int CreateExclusive(const std::string& path);

// Writes all `n` bytes, going on after short writes and interruptions; false (errno set) on
// failure.
bool WriteAll(int fd, const void* data, std::size_t n);

}  // namespace dbx
