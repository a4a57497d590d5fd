#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "unreadable_ranges.h"

namespace dbx::cli {

// A name from the disk or the command line as it may be shown on a terminal: control
// characters (C0, DEL, C1) as \xNN and a backslash as \\, so that a name can neither break a
// line nor steer the terminal, and two different names never look the same.
std::string Escaped(std::string_view name);

// "'NAME'", escaped.
std::string Quoted(std::string_view name);

// One line "dbxrecover: TEXT" on standard error. Where that cannot be written there is
// nobody left to tell: its result is not looked at.
void Say(const std::string& text);

// Standard output, every write checked: the first failure is kept and said by Finish.
class Output {
  public:
    explicit Output(std::FILE* stream) : stream_(stream) {}
    void Put(std::string_view text);
    void Line(const std::string& text) { Put(text + '\n'); }
    bool Failed() const { return error_ != 0; }
    // Flushes; on any failure so far says "cannot write the listing: REASON" (with `what`
    // naming the output) and returns false.
    bool Finish(const char* what);

  private:
    std::FILE* stream_;
    int error_ = 0;
};

// The most ranges named one by one on standard error; the rest are counted.
constexpr std::size_t kUnreadableLines = 20;

// After a store was read: one line per range the disk failed ("could not read 4096 bytes at
// 0x8000: Input/output error", at the file's own positions), at most kUnreadableLines of them,
// then "and N more" and how much that was in all. `store` is named when it is not the only one.
void SayUnreadable(const UnreadableRanges& unreadable, const std::string& store, bool nameStore);

}  // namespace dbx::cli
