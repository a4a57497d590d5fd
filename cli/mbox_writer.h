#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dbx::cli {

// One mbox file (the mboxrd variant) holding many messages, for mail readers that import a
// whole folder at once. The file must not exist yet.
class MboxWriter {
  public:
    MboxWriter() = default;
    ~MboxWriter();
    MboxWriter(const MboxWriter&) = delete;
    MboxWriter& operator=(const MboxWriter&) = delete;

    // False with errno set when the file exists or cannot be created.
    bool Create(const std::string& path);
    // Appends one message: a "From " line with the sender and date, then the message with
    // every line that matches ^>*From  quoted by one more ">". Each message is written through
    // to the file before this returns; when that fails (a full disk), the file is cut back to
    // the end of the message before, so that it never ends inside one, and the result is false
    // with errno set.
    bool Append(std::string_view sender, std::int64_t dateSeconds, std::string_view message);
    bool Close();
    // Bytes of the whole messages written so far.
    std::uint64_t Size() const { return end_; }

  private:
    int fd_ = -1;
    std::uint64_t end_ = 0;
};

// The message as mboxrd stores it, without the "From " line.
std::string QuoteFromLines(std::string_view message);

}  // namespace dbx::cli
