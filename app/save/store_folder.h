#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dbx {

// The name of the folder that takes the messages of store `store` (an index into `names`):
// its name, unless that could not name a folder inside the chosen one ("", ".", "..", a '/'
// or a 0 byte in it, or no name at all), then "Store N", N counted from 1.
std::string StoreFolderName(const std::vector<std::string>& names, std::uint32_t store);

// Makes the folder `path` unless one is there. "" when it is there now, else why not, as
// "cannot create PATH: REASON".
std::string MakeStoreFolder(const std::string& path);

}  // namespace dbx
