#include "record_shape.h"

#include <algorithm>
#include <utility>

#include "little_endian.h"

namespace dbx::gen {
namespace {

// The property `id` and where its data starts in the encoded record; none and 0 when the
// record lacks it.
std::pair<const build::Property*, std::size_t> FindData(const std::vector<build::Property>& props,
                                                        std::uint8_t id) {
    std::size_t data = 12 + 4 * props.size();
    for (const build::Property& p : props) {
        if (p.id == id) return {&p, data};
        if (!(p.id & 0x80)) data += p.data.size();
    }
    return {nullptr, 0};
}

}  // namespace

void FillGarbage(std::uint8_t* bytes, std::size_t n, std::uint64_t start, Rng& rng) {
    rng.Fill(bytes, n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t at = start + i;
        const auto low = std::uint8_t(at);
        const std::uint8_t top = i < 3 && start >= 3 - i ? std::uint8_t((at - 3) >> 24) : low;
        while (bytes[i] == low || bytes[i] == top) ++bytes[i];
    }
}

build::Bytes EncodeRecord(std::uint32_t at, const std::vector<build::Property>& props, Rng& rng) {
    build::Bytes record = build::EncodeIndexRecord(at, props);
    const auto [opaque, data] = FindData(props, kPropOpaque);
    if (opaque) FillGarbage(record.data() + data, opaque->data.size(), at + data, rng);
    return record;
}

bool SenderAtSignComesFirst(const build::Bytes& record, const std::vector<build::Property>& props) {
    const std::size_t senderStart = FindData(props, build::kPropSenderAddress).second;
    for (std::size_t j = 0; j < senderStart && j < record.size(); ++j) {
        if (record[j] != '@') continue;
        std::size_t k = j;
        while (k >= 1 && record[k] != 0) --k;
        if (k == 0) continue;
        const auto text = record.begin() + std::ptrdiff_t(k + 1);
        const auto end = std::find(text, record.end(), std::uint8_t(0));
        if (std::find(text, end, std::uint8_t('.')) != end) return false;
    }
    return true;
}

bool HoldsInnerSelfOffset(const build::Bytes& record, std::uint32_t at) {
    for (std::size_t i = 1; i + 4 <= record.size(); ++i) {
        if (LoadU32(record.data() + i) == at + i) return true;
    }
    return false;
}

bool LinkReadsAsHarmlessEntry(std::uint32_t link) {
    const auto id = std::uint8_t(link);
    return id != build::kPropBodyOffset && id != build::kPropRecipientAddress;
}

}  // namespace dbx::gen
