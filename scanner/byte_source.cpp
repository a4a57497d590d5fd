#include "byte_source.h"

#include <algorithm>
#include <cstring>

namespace dbx {

std::uint64_t FileSource::LostWithin(std::uint64_t pos, std::uint64_t n) const {
    if (lost_.empty() || n == 0) return 0;
    // A range read twice (two buffers over the same bytes) counts once.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> parts;
    const std::uint64_t end = pos + n;
    for (const UnreadableRange& r : lost_) {
        const std::uint64_t b = std::max(pos, r.begin);
        const std::uint64_t e = std::min(end, r.End());
        if (b < e) parts.emplace_back(b, e);
    }
    std::sort(parts.begin(), parts.end());
    std::uint64_t total = 0;
    std::uint64_t reached = 0;
    for (const auto& [b, e] : parts) {
        const std::uint64_t from = std::max(b, reached);
        if (e > from) total += e - from;
        reached = std::max(reached, e);
    }
    return total;
}

void FileSource::ForgetOldLosses() {
    if (lost_.size() <= kRememberedLosses) return;
    lost_.erase(lost_.begin(),
                lost_.begin() + std::ptrdiff_t(lost_.size() - kRememberedLosses / 2));
}

const std::uint8_t* BufferedSource::Stretch::Find(std::uint64_t pos, std::size_t n) const {
    if (pos < begin || pos - begin > loaded || n > loaded - (pos - begin)) return nullptr;
    return bytes.data() + (pos - begin);
}

BufferedSource::BufferedSource(const StoreFile& file, std::uint64_t length, std::size_t capacity)
    : FileSource(file, length), capacity_(capacity) {
    main_.bytes.resize(capacity + kPadding);
    side_.bytes.resize(kSideCapacity);
}

const std::uint8_t* BufferedSource::Load(std::uint64_t pos) {
    main_.begin = pos;
    main_.loaded = 0;
    SetView(nullptr, 0, 0);  // the read below must go to the file, not to what was loaded before
    main_.loaded = Read(pos, main_.bytes.data(), capacity_);
    std::fill(main_.bytes.begin() + std::ptrdiff_t(main_.loaded), main_.bytes.end(),
              std::uint8_t{0});
    SetView(main_.bytes.data(), main_.begin, main_.loaded);
    return main_.bytes.data();
}

const std::uint8_t* BufferedSource::Span(std::uint64_t pos, std::size_t want,
                                         std::size_t& available) {
    const std::uint64_t needed = pos < Length() ? std::min<std::uint64_t>(want, Length() - pos) : 0;
    if (pos < main_.begin || pos + needed > main_.begin + main_.loaded) Load(pos);
    available =
        pos < main_.begin + main_.loaded ? std::size_t(main_.begin + main_.loaded - pos) : 0;
    return main_.bytes.data() + (pos - main_.begin);
}

const std::uint8_t* BufferedSource::PeekElsewhere(std::uint64_t pos, std::size_t n) {
    return side_.Find(pos, n);
}

std::size_t BufferedSource::Fetch(std::uint64_t pos, void* dst, std::size_t n) {
    const std::uint8_t* p = side_.Find(pos, n);
    if (!p && n <= kSideCapacity / 2) {
        // A look far off (a record's first block) mostly stays one: a page of it is read. Only
        // a read next to the last side stretch (a walk) takes a whole one.
        const std::uint64_t end = side_.begin + side_.loaded;
        const bool walk =
            side_.loaded > 0 && pos + n + kSidePage > side_.begin && pos < end + kSidePage;
        const std::size_t span = walk || n > kSidePage / 2 ? kSideCapacity : kSidePage;
        // Centre the side stretch on the read: the recognisers walk both ways.
        side_.begin = pos - std::min<std::uint64_t>(pos, span / 4);
        side_.loaded =
            FileSource::Fetch(side_.begin, side_.bytes.data(),
                              std::size_t(std::min<std::uint64_t>(span, Length() - side_.begin)));
        p = side_.Find(pos, n);
    }
    if (p) {
        std::memcpy(dst, p, n);
        return n;
    }
    return FileSource::Fetch(pos, dst, n);
}

}  // namespace dbx
