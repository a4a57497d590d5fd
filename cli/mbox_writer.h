#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace dbx::cli {

// One mbox file (the mboxrd variant) holding many messages, for mail readers that import a
// whole folder at once. The file must not exist yet.
class MboxWriter {
  public:
    ~MboxWriter();
    // False with errno set when the file exists or cannot be created.
    bool Create(const std::string& path);
    // Appends one message: a "From " line with the sender and date, then the message with
    // every line that matches ^>*From  quoted by one more ">".
    bool Append(std::string_view sender, std::int64_t dateSeconds, std::string_view message);
    bool Close();

  private:
    std::FILE* file_ = nullptr;
};

// The message as mboxrd stores it, without the "From " line.
std::string QuoteFromLines(std::string_view message);

}  // namespace dbx::cli
