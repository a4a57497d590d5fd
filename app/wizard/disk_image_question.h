#pragma once

#include <string>

namespace dbx {

// Whether Next should ask to search the input as a disk image, and why.
enum class ImageQuestion {
    kNotAsked,     // a store, a file named as one, or an input that could not be looked at
    kBlockDevice,  // a whole disk or partition
    kTooLarge,     // a file larger than any store can be
    kNotAStore,    // a file that neither starts like a store nor is named like one
};

// Looks at `path` (file-name bytes) without changing it: its type, its size, its name and
// its first four bytes. Never blocks on a pipe or a device that does not answer.
ImageQuestion ImageQuestionFor(const std::string& path);

// The question for `reason` (not kNotAsked), as message-box markup in Windows-1252.
const char* ImageQuestionText(ImageQuestion reason);

}  // namespace dbx
