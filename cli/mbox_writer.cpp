#include "mbox_writer.h"

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
    const int fd = CreateExclusive(path);
    if (fd < 0) return false;
    file_ = fdopen(fd, "wb");
    return file_ != nullptr;
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
    if (!file_) return false;
    std::time_t t = std::time_t(dateSeconds);
    std::tm utc{};
    char date[64] = "Thu Jan  1 00:00:00 1970";
    if (gmtime_r(&t, &utc)) std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", &utc);
    // The envelope sender is one word: an odd address must not break the separator line.
    std::string from(sender.empty() ? std::string_view("MAILER-DAEMON") : sender);
    for (char& c : from) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = '_';
    }
    std::string body = QuoteFromLines(message);
    if (!body.empty() && body.back() != '\n') body += '\n';
    return std::fprintf(file_, "From %s %s\n", from.c_str(), date) > 0 &&
           std::fwrite(body.data(), 1, body.size(), file_) == body.size() &&
           std::fputs("\n", file_) >= 0;
}

bool MboxWriter::Close() {
    if (!file_) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

}  // namespace dbx::cli
