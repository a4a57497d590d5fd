#include "preview_builder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "byte_source.h"
#include "output_path.h"
#include "stop_flag.h"
#include "store_file.h"

namespace dbx {
namespace {

constexpr std::size_t kChunk = 1 << 20;

enum class Search { Found, NotFound, Stopped };

// Positions from `from` whose `length` bytes satisfy `matches`; candidates start with `first`.
// With `last`, the search runs to the end and keeps the last match.
template <typename Matches>
Search Find(BufferedSource& eml, std::uint64_t from, char first, std::size_t length, bool last,
            const std::atomic<int>* stop, Matches matches, std::uint64_t& found) {
    Search result = Search::NotFound;
    for (std::uint64_t i = from; i < eml.Length();) {
        if (StopRequested(stop)) return Search::Stopped;
        std::size_t available = 0;
        const std::uint8_t* p = eml.Span(i, length, available);
        if (available < length) break;  // a window cut short by the end never matches
        const std::size_t span = available - length + 1;
        const void* hit = std::memchr(p, first, span);
        if (!hit) {
            i += span;
            continue;
        }
        const auto k = std::size_t(static_cast<const std::uint8_t*>(hit) - p);
        if (matches(p + k)) {
            found = i + k;
            result = Search::Found;
            if (!last) break;
        }
        i += k + 1;
    }
    return result;
}

// Copies [from, to) of the message; false when stopped or when a write fails.
bool Copy(BufferedSource& eml, std::uint64_t from, std::uint64_t to, int out,
          const std::atomic<int>* stop, bool dotForLeadingZero) {
    for (std::uint64_t i = from; i < to;) {
        if (StopRequested(stop)) return false;
        std::size_t available = 0;
        const std::uint8_t* p = eml.Span(i, 1, available);
        if (available == 0) break;
        const auto n = std::size_t(std::min<std::uint64_t>(available, to - i));
        if (i == 0 && dotForLeadingZero && p[0] == 0) {
            // A message whose first byte is 0 would show as nothing at all.
            if (!WriteAll(out, ".", 1) || !WriteAll(out, p + 1, n - 1)) {
                return false;
            }
        } else if (!WriteAll(out, p, n)) {
            return false;
        }
        i += n;
    }
    return true;
}

bool IsHtmlOpening(const std::uint8_t* p) {
    static const char kTag[] = "<html>";
    for (int i = 0; i < 6; ++i) {
        if (std::tolower(p[i]) != kTag[i]) return false;
    }
    return true;
}

bool IsHtmlClosing(const std::uint8_t* p) {
    return std::memcmp(p, "</html>", 7) == 0 || std::memcmp(p, "</HTML>", 7) == 0;
}

bool IsBase64Declaration(const std::uint8_t* p) {
    return std::memcmp(p, ": BASE64", 8) == 0 || std::memcmp(p, ": base64", 8) == 0 ||
           std::memcmp(p, ": Base64", 8) == 0;
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    int Get() const { return fd_; }
    bool Close() {
        const bool ok = fd_ < 0 || ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

  private:
    int fd_;
};

}  // namespace

PreviewResult BuildPreviewFile(const std::string& emlPath, const std::string& directory,
                               const std::atomic<int>* stopFlag) {
    if (directory.empty()) return {};
    const std::string textPath = JoinPath(directory, "MailHtml.txt");
    const std::string htmlPath = JoinPath(directory, "MailHtml.html");
    Descriptor html(
        ::open(htmlPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (html.Get() < 0) return {};
    StoreFile file;
    if (!file.Open(emlPath)) return {};
    // Each search step is a memory access rather than a read of the file.
    BufferedSource eml(file, file.CurrentLength(), kChunk);

    std::uint64_t start = 0;
    const Search opening = Find(eml, 0, '<', 6, false, stopFlag, IsHtmlOpening, start);
    if (opening == Search::Stopped) return {};
    if (opening == Search::Found) {
        std::uint64_t end = 0;
        const Search closing = Find(eml, start, '<', 7, true, stopFlag, IsHtmlClosing, end);
        if (closing != Search::Found) return {};
        if (!Copy(eml, start, end + 7, html.Get(), stopFlag, false) || !html.Close()) return {};
        return {PreviewKind::Html, htmlPath};
    }

    std::uint64_t cut = eml.Length();
    if (Find(eml, 0, ':', 8, false, stopFlag, IsBase64Declaration, cut) == Search::Stopped) {
        return {};
    }
    if (!Copy(eml, 0, cut, html.Get(), stopFlag, true) || !html.Close()) return {};
    // The old text file may not be there; if it cannot go, the rename below says so.
    (void)::unlink(textPath.c_str());
    if (::rename(htmlPath.c_str(), textPath.c_str()) != 0) return {};
    return {PreviewKind::Text, textPath};
}

}  // namespace dbx
