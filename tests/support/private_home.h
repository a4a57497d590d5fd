#pragma once

#include <string>

namespace dbx::test {

// Gives a test program a home of its own for its whole run: HOME, the XDG folders and TMPDIR
// point into a fresh private folder, removed with everything in it at the end. No test then
// reads or writes the user's settings or files, and programs (or shards of one program)
// running side by side share nothing. Made first thing in main, before anything reads them.
class PrivateHome {
  public:
    PrivateHome();
    ~PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;
    bool Ok() const { return !root_.empty(); }

  private:
    std::string root_;
};

}  // namespace dbx::test
