#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace dbx {

// The files a folder held before a run, to tell a message that is already there (a
// byte-identical copy under any name) from a new one. Contents are compared only between
// files of the same size.
class ExistingCopies {
  public:
    explicit ExistingCopies(const std::string& folder);
    // The earlier file that holds exactly the bytes of `path`, or empty.
    std::string Find(const std::string& path) const;

  private:
    std::map<std::uint64_t, std::vector<std::string>> bySize_;
};

}  // namespace dbx
