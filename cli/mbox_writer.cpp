#include "mbox_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "output_path.h"

namespace dbx::cli {
namespace {

bool IsFromLine(std::string_view line) {
    std::size_t quotes = 0;
    while (quotes < line.size() && line[quotes] == '>') ++quotes;
    return line.substr(quotes).starts_with("From ");
}

}  // namespace

MboxWriter::~MboxWriter() {
    Close();
}

bool MboxWriter::Create(const std::string& path) {
    Close();
    fd_ = CreateExclusive(path);
    end_ = 0;
    return fd_ >= 0;
}

std::string QuoteFromLines(std::string_view message) {
    std::string out;
    out.reserve(message.size() + 64);
    std::size_t start = 0;
    while (start < message.size()) {
        std::size_t end = message.find('\n', start);
        end = end == std::string_view::npos ? message.size() : end + 1;
        const std::string_view line = message.substr(start, end - start);
        if (IsFromLine(line)) out += '>';
        out += line;
        start = end;
    }
    return out;
}

bool MboxWriter::Append(std::string_view sender, std::int64_t dateSeconds,
                        std::string_view message) {
    if (fd_ < 0) return false;
    std::time_t t = std::time_t(dateSeconds);
    std::tm utc{};
    char date[64];
    if (!gmtime_r(&t, &utc) ||
        std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", &utc) == 0) {
        std::strcpy(date, "Thu Jan  1 00:00:00 1970");
    }
    // The envelope sender is one word: an odd address must not break the separator line.
    std::string from(sender.empty() ? std::string_view("MAILER-DAEMON") : sender);
    for (char& c : from) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = '_';
    }
    std::string text = "From " + from + ' ' + date + '\n';
    text += QuoteFromLines(message);
    if (text.back() != '\n') text += '\n';
    text += '\n';
    if (WriteAll(fd_, text.data(), text.size())) {
        end_ += text.size();
        return true;
    }
    // Whatever part of this message reached the file goes again.
    const int error = errno;
    if (::ftruncate(fd_, off_t(end_)) != 0 || ::lseek(fd_, off_t(end_), SEEK_SET) < 0) {
        // The file may now end inside the message: write no more to it. The failure said is
        // the write's; the close can only add to it.
        (void)::close(fd_);
        fd_ = -1;
    }
    errno = error;
    return false;
}

bool MboxWriter::Close() {
    if (fd_ < 0) return true;
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

}  // namespace dbx::cli
