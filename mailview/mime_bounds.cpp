#include "mime_bounds.h"

#include <gmime/gmime.h>

#include <string>

#include "gmime_setup.h"

namespace dbx {

const char kFlattenedTypeHeader[] =
    "Content-Type: application/octet-stream\r\nX-Nested-Content-Type";

namespace {

constexpr std::size_t kMaxHeaderValue = 64 * 1024;
constexpr std::size_t kStopCheckBytes = 1 << 20;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

struct Level {
    std::string boundary;  // "--" and the boundary; empty for a forwarded message
    bool digest = false;
};

struct TypeInfo {
    bool multipart = false;
    bool message = false;
    bool digest = false;
    std::string boundary;
};

TypeInfo ReadType(const std::string& value, bool digestChild) {
    TypeInfo info;
    if (value.empty()) {
        info.message = digestChild;
        return info;
    }
    GMimeContentType* type = g_mime_content_type_parse(nullptr, value.c_str());
    if (!type) return info;
    const char* media = g_mime_content_type_get_media_type(type);
    const char* sub = g_mime_content_type_get_media_subtype(type);
    const std::string_view mediaView = media ? media : "";
    const std::string_view subView = sub ? sub : "";
    if (EqualsNoCase(mediaView, "multipart")) {
        const char* boundary = g_mime_content_type_get_parameter(type, "boundary");
        if (boundary && *boundary) {
            info.multipart = true;
            info.digest = EqualsNoCase(subView, "digest");
            info.boundary = std::string("--") + boundary;
        }
    } else if (EqualsNoCase(mediaView, "message")) {
        info.message = EqualsNoCase(subView, "rfc822") || EqualsNoCase(subView, "news") ||
                       EqualsNoCase(subView, "global");
    }
    g_object_unref(type);
    return info;
}

class Scanner {
  public:
    Scanner(std::string_view in, const MimeBounds& bounds, const std::atomic<int>* stop)
        : in_(in), bounds_(bounds), stop_(stop) {
        cuts_.end = in.size();
    }

    MimeCuts Run() {
        std::size_t nextStopCheck = kStopCheckBytes;
        while (pos_ < in_.size()) {
            if (pos_ >= nextStopCheck) {
                nextStopCheck = pos_ + kStopCheckBytes;
                if (stop_ && stop_->load() != 0) {
                    cuts_.stopped = true;
                    return cuts_;
                }
            }
            const std::size_t lineStart = pos_;
            const std::size_t newline = in_.find('\n', pos_);
            pos_ = newline == std::string_view::npos ? in_.size() : newline + 1;
            std::string_view line = in_.substr(lineStart, pos_ - lineStart);
            if (line.size() >= 2 && line[0] == '-' && line[1] == '-' && Boundary(line, lineStart)) {
                if (cuts_.end != in_.size()) return cuts_;
                continue;
            }
            if (inHeaders_) HeaderLine(line, lineStart);
        }
        if (inHeaders_) EndHeaders();
        return cuts_;
    }

  private:
    // A boundary line of an open multipart: true when it was one.
    bool Boundary(std::string_view line, std::size_t lineStart) {
        for (std::size_t i = levels_.size(); i-- > 0;) {
            const std::string& boundary = levels_[i].boundary;
            if (boundary.empty() || line.substr(0, boundary.size()) != boundary) continue;
            std::string_view rest = line.substr(boundary.size());
            const bool end = rest.substr(0, 2) == "--";
            if (end) rest.remove_prefix(2);
            bool onlySpace = true;
            for (char c : rest) onlySpace = onlySpace && IsLineSpace(c);
            if (!onlySpace) continue;
            if (inHeaders_) EndHeaders();
            const bool digest = levels_[i].digest;
            levels_.resize(end ? i : i + 1);
            if (end) {
                inHeaders_ = false;
                return true;
            }
            if (++parts_ > bounds_.maxParts) {
                cuts_.end = lineStart;
                cuts_.bounded = true;
                return true;
            }
            StartHeaders(digest);
            return true;
        }
        return false;
    }

    void StartHeaders(bool digestChild) {
        inHeaders_ = true;
        digestChild_ = digestChild;
        typeValue_.clear();
        typeOffsets_.clear();
        inType_ = false;
    }

    void HeaderLine(std::string_view line, std::size_t lineStart) {
        std::string_view content = line;
        while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) {
            content.remove_suffix(1);
        }
        if (content.empty()) {
            EndHeaders();
            return;
        }
        if (IsBlank(content[0])) {
            if (inType_ && typeValue_.size() < kMaxHeaderValue) typeValue_.append(content);
            return;
        }
        const std::size_t colon = content.find(':');
        if (colon == std::string_view::npos) {
            // Not a header: the body starts on this line.
            EndHeaders();
            return;
        }
        std::string_view name = content.substr(0, colon);
        while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
        inType_ = EqualsNoCase(name, "content-type");
        if (inType_) {
            typeOffsets_.push_back(lineStart);
            typeValue_.assign(content.substr(colon + 1, kMaxHeaderValue));
        }
    }

    void EndHeaders() {
        inHeaders_ = false;
        const TypeInfo type = ReadType(typeValue_, digestChild_);
        if (!type.multipart && !type.message) return;
        if (static_cast<int>(levels_.size()) >= bounds_.maxDepth) {
            cuts_.flattened.insert(cuts_.flattened.end(), typeOffsets_.begin(), typeOffsets_.end());
            cuts_.bounded = true;
            return;
        }
        levels_.push_back(Level{type.boundary, type.digest});
        // A forwarded message starts with its own headers.
        if (type.message) StartHeaders(false);
    }

    std::string_view in_;
    const MimeBounds& bounds_;
    const std::atomic<int>* stop_;
    MimeCuts cuts_;
    std::size_t pos_ = 0;
    std::vector<Level> levels_;
    int parts_ = 0;
    bool inHeaders_ = true;
    bool digestChild_ = false;
    bool inType_ = false;
    std::string typeValue_;
    std::vector<std::uint64_t> typeOffsets_;
};

}  // namespace

MimeCuts FindMimeCuts(std::string_view message, const MimeBounds& bounds,
                      const std::atomic<int>* stop) {
    EnsureGMime();
    return Scanner(message, bounds, stop).Run();
}

}  // namespace dbx
