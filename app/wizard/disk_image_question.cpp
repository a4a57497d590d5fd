#include "wizard/disk_image_question.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "common/app_texts.h"
#include "little_endian.h"
#include "scan_store.h"
#include "store_layout.h"

namespace dbx {
namespace {

bool NamedLikeAStore(const std::string& path) {
    constexpr char kSuffix[] = ".dbx";
    constexpr std::size_t kLength = sizeof kSuffix - 1;
    if (path.size() < kLength) return false;
    for (std::size_t i = 0; i < kLength; ++i) {
        char c = path[path.size() - kLength + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != kSuffix[i]) return false;
    }
    return true;
}

// The first word of the file, when it could be read whole.
bool ReadFirstWord(const std::string& path, std::uint32_t& word) {
    // Read-only, and never waiting: a file swapped for a pipe since stat() must not hang Next.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    std::uint8_t bytes[4];
    std::size_t got = 0;
    bool failed = false;
    while (got < sizeof bytes) {
        const ssize_t n = ::pread(fd, bytes + got, sizeof bytes - got, off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        got += std::size_t(n);
    }
    ::close(fd);
    if (failed || got < sizeof bytes) return false;
    word = LoadU32(bytes);
    return true;
}

}  // namespace

ImageQuestion ImageQuestionFor(const std::string& path) {
    struct stat st {};
    // What the search will open: a link is followed.
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return ImageQuestion::kNotAsked;
    if (S_ISBLK(st.st_mode)) return ImageQuestion::kBlockDevice;
    // Folders, pipes and character devices: the search says what it makes of them.
    if (!S_ISREG(st.st_mode)) return ImageQuestion::kNotAsked;
    if (std::uint64_t(st.st_size) > kMaxStoreLength) return ImageQuestion::kTooLarge;
    // The user named it a store: it is searched as one, whatever it holds.
    if (NamedLikeAStore(path)) return ImageQuestion::kNotAsked;
    std::uint32_t first = 0;
    // Unreadable, or too short to hold even the first word: nothing to gain from an image
    // search, and the search says what is wrong.
    if (!ReadFirstWord(path, first)) return ImageQuestion::kNotAsked;
    return first == layout::kStoreMagic ? ImageQuestion::kNotAsked : ImageQuestion::kNotAStore;
}

const char* ImageQuestionText(ImageQuestion reason) {
    switch (reason) {
        case ImageQuestion::kBlockDevice:
            return texts::kDiskQuestion;
        case ImageQuestion::kTooLarge:
            return texts::kLargeImageQuestion;
        case ImageQuestion::kNotAStore:
        case ImageQuestion::kNotAsked:
            break;
    }
    return texts::kImageQuestion;
}

}  // namespace dbx
