#include "messages.h"

#include <cerrno>
#include <cstring>

namespace dbx::cli {

std::string Escaped(std::string_view name) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(name.size());
    auto hex = [&out](unsigned char c) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    };
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            hex(c);
        } else if (c == 0xC2 && i + 1 < name.size() &&
                   static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(name[i + 1]) <= 0x9F) {
            hex(c);  // C1 controls (U+0080 to U+009F) steer some terminals too
            hex(static_cast<unsigned char>(name[++i]));
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string Quoted(std::string_view name) {
    std::string quoted(1, '\'');
    quoted.append(Escaped(name)).push_back('\'');
    return quoted;
}

void Say(const std::string& text) {
    const std::string line = "dbxrecover: " + text + "\n";
    (void)std::fwrite(line.data(), 1, line.size(), stderr);
}

void Output::Put(std::string_view text) {
    if (error_ != 0 || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
        error_ = errno != 0 ? errno : EIO;
    }
}

bool Output::Finish(const char* what) {
    if (error_ == 0 && std::fflush(stream_) != 0) error_ = errno != 0 ? errno : EIO;
    if (error_ == 0 && std::ferror(stream_)) error_ = EIO;
    if (error_ == 0) return true;
    Say(std::string("cannot write ") + what + ": " + std::strerror(error_));
    return false;
}

void SayUnreadable(const UnreadableRanges& unreadable, const std::string& store, bool nameStore) {
    if (unreadable.Empty()) return;
    const std::string prefix = nameStore ? Quoted(store) + ": " : "";
    const std::vector<UnreadableRange> ranges = unreadable.Ranges();
    const std::size_t shown = std::min(ranges.size(), kUnreadableLines);
    for (std::size_t i = 0; i < shown; ++i) Say(prefix + DescribeUnreadable(ranges[i]));
    const std::size_t more = unreadable.Count() - shown;
    if (more > 0) Say(prefix + "and " + std::to_string(more) + " more");
    Say(prefix + std::to_string(unreadable.Bytes()) + " bytes of " + Quoted(store) +
        " could not be read; messages there may be incomplete");
}

}  // namespace dbx::cli
