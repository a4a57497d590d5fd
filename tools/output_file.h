#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dbx::gen {

// A new file written at given offsets. Failures throw std::runtime_error naming the file.
class OutputFile {
  public:
    // Without `overwrite` an existing file is an error and stays untouched.
    OutputFile(const std::string& path, bool overwrite);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t n);
    void Resize(std::uint64_t size);
    void Close();

  private:
    [[noreturn]] void Fail(const std::string& why) const;

    std::string path_;
    int fd_ = -1;
};

}  // namespace dbx::gen
