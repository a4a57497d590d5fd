#include "store_builder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "little_endian.h"
#include "store_layout.h"

namespace dbx::build {
namespace {

constexpr std::uint32_t kDirectLimit = 1u << 24;  // an entry holds 24 bits of value
constexpr std::uint32_t kFreedBlockSizeWord = layout::kFirstBlockSizeWord;

void Grow(Bytes& image, std::size_t end) {
    if (image.size() < end) image.resize(end);
}

}  // namespace

Property Text(std::uint8_t id, std::string_view text) {
    Property p{id, Bytes(text.begin(), text.end()), 0};
    p.data.push_back(0);
    return p;
}

Property FileTime(std::uint8_t id, std::int64_t filetime) {
    Property p{id, Bytes(8), 0};
    StoreU64(p.data.data(), std::uint64_t(filetime));
    return p;
}

Property Word(std::uint8_t id, std::uint32_t value) {
    Property p{id, Bytes(4), 0};
    StoreU32(p.data.data(), value);
    return p;
}

Property Direct(std::uint8_t id, std::uint32_t value) {
    return Property{id, {}, value};
}

std::int64_t FileTimeFromUnix(std::int64_t seconds) {
    return (seconds + 11'644'473'600) * 10'000'000;
}

Bytes EncodeIndexRecord(std::uint32_t self, const std::vector<Property>& props) {
    if (props.size() > 255) throw std::invalid_argument("at most 255 entries");
    Bytes entries;
    Bytes data;
    for (const Property& p : props) {
        std::uint32_t value = (p.id & 0x80) ? p.direct : std::uint32_t(data.size());
        if (value >= kDirectLimit) throw std::invalid_argument("entry value above 24 bits");
        entries.resize(entries.size() + 4);
        StoreU32(entries.data() + entries.size() - 4, p.id | value << 8);
        if (!(p.id & 0x80)) data.insert(data.end(), p.data.begin(), p.data.end());
    }
    data.resize((data.size() + 3) & ~std::size_t(3));
    const auto bodyLength = std::uint32_t(entries.size() + data.size());
    Bytes record(12 + std::size_t(bodyLength));
    StoreU32(record.data(), self);
    StoreU32(record.data() + 4, bodyLength);
    record[10] = std::uint8_t(props.size());
    auto tail = std::copy(entries.begin(), entries.end(), record.begin() + 12);
    std::copy(data.begin(), data.end(), tail);
    return record;
}

std::vector<Property> TypicalProperties(const MessageFields& f) {
    std::vector<Property> props;
    props.push_back(Direct(kPropIndex, f.index));
    props.push_back(Direct(kPropFlags, 0x10089));
    props.push_back(FileTime(kPropTimeSent, f.filetime));
    if (f.bodyOffset < kDirectLimit) {
        props.push_back(Direct(kPropBodyOffsetDirect, f.bodyOffset));
    } else {
        props.push_back(Word(kPropBodyOffset, f.bodyOffset));
    }
    std::string_view normal = f.subject;
    for (std::string_view prefix : {"Re: ", "RE: ", "Fw: ", "FW: "}) {
        if (normal.starts_with(prefix)) normal.remove_prefix(prefix.size());
    }
    props.push_back(Text(kPropNormalSubject, normal));
    props.push_back(FileTime(kPropTimeSaved, f.filetime + 10'000'000));
    if (!f.messageId.empty()) props.push_back(Text(kPropMessageId, f.messageId));
    props.push_back(Text(kPropSubject, f.subject));
    props.push_back(Text(kPropSenderName, f.fromName));
    props.push_back(Text(kPropSenderAddress, f.from));
    props.push_back(Direct(kPropPriority, 3));
    props.push_back(Direct(kPropSize, std::min(f.bodySize, kDirectLimit - 1)));
    props.push_back(FileTime(kPropTimeReceived, f.filetime));
    props.push_back(Text(kPropRecipientName, f.toName));
    props.push_back(Text(kPropRecipientAddress, f.to));
    props.push_back(Text(kPropAccountName, "Mail"));
    props.push_back(Text(kPropAccountKey, "00000001"));
    return props;
}

Bytes FreeIndexRecord(Bytes record, std::uint32_t freeLink) {
    const std::uint32_t bodyLength = LoadU32(record.data() + 4);
    StoreU32(record.data() + 4, bodyLength - 8);
    StoreU32(record.data() + 8, bodyLength + 12);
    if (record.size() >= 20) StoreU32(record.data() + 16, freeLink);
    return record;
}

std::size_t BlocksFor(std::size_t bodySize) {
    return std::max<std::size_t>(1, (bodySize + kBlockData - 1) / kBlockData);
}

std::vector<Block> EncodeMessageBlocks(std::string_view body,
                                       const std::vector<std::uint32_t>& offsets) {
    const std::size_t count = BlocksFor(body.size());
    if (offsets.size() < count) throw std::invalid_argument("too few block offsets");
    std::vector<Block> blocks;
    for (std::size_t i = 0; i < count; ++i) {
        Block b{offsets[i], Bytes(kBlockSize)};
        std::string_view part = body.substr(std::min(body.size(), i * kBlockData), kBlockData);
        StoreU32(b.bytes.data(), b.offset);
        StoreU32(b.bytes.data() + 4, kBlockData);
        StoreU32(b.bytes.data() + 8, std::uint32_t(part.size()));
        StoreU32(b.bytes.data() + 12, i + 1 < count ? offsets[i + 1] : 0);
        std::copy(part.begin(), part.end(), b.bytes.begin() + 16);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

void FreeMessageBlocks(std::vector<Block>& blocks, std::uint32_t freeHead) {
    std::uint32_t link = freeHead;
    for (Block& b : blocks) {
        StoreU32(b.bytes.data() + 4, kFreedBlockSizeWord);
        StoreU32(b.bytes.data() + 8, kBlockSize);
        StoreU32(b.bytes.data() + 16, link);
        link = b.offset;
    }
}

Bytes EncodeFileHeader(std::string_view folderName, std::uint32_t usedSpace,
                       std::uint32_t messageCount) {
    static const std::uint8_t kMagic[] = {
        0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F, 0x66, 0xE3, 0xD1, 0x11, 0x9A, 0x4E,
        0x00, 0xC0, 0x4F, 0xA3, 0x09, 0xD4, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00};
    Bytes header(kFirstSegment);
    std::copy(std::begin(kMagic), std::end(kMagic), header.begin());
    StoreU32(header.data() + 0x7C, usedSpace);
    StoreU32(header.data() + 0xC4, messageCount);
    std::uint8_t* info = header.data() + kFileHeaderSize;
    info[0] = 1;
    info[4] = 3;
    std::string_view store = "LocalStore";
    std::copy(store.begin(), store.end(), info + 5);
    folderName = folderName.substr(0, 0xFF);
    std::copy(folderName.begin(), folderName.end(), info + 0x105);
    return header;
}

StoreBuilder& StoreBuilder::Header(std::string_view folderName, std::uint32_t messageCount) {
    return Put(0, EncodeFileHeader(folderName, std::uint32_t(image_.size()), messageCount));
}

StoreBuilder& StoreBuilder::Put(std::size_t offset, const Bytes& bytes) {
    Grow(image_, offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), image_.begin() + std::ptrdiff_t(offset));
    return *this;
}

StoreBuilder& StoreBuilder::PutU32(std::size_t offset, std::uint32_t value) {
    Grow(image_, offset + 4);
    StoreU32(image_.data() + offset, value);
    return *this;
}

StoreBuilder& StoreBuilder::PutText(std::size_t offset, std::string_view text) {
    return Put(offset, Bytes(text.begin(), text.end()));
}

std::size_t StoreBuilder::PutRecord(std::uint32_t offset, const std::vector<Property>& props) {
    Bytes record = EncodeIndexRecord(offset, props);
    Put(offset, record);
    return record.size();
}

std::size_t StoreBuilder::PutFreedRecord(std::uint32_t offset, const std::vector<Property>& props,
                                         std::uint32_t freeLink) {
    Bytes record = FreeIndexRecord(EncodeIndexRecord(offset, props), freeLink);
    Put(offset, record);
    return record.size();
}

StoreBuilder& StoreBuilder::PutBlocks(const std::vector<Block>& blocks) {
    for (const Block& b : blocks) Put(b.offset, b.bytes);
    return *this;
}

StoreBuilder& StoreBuilder::PutBody(std::uint32_t offset, std::string_view body, bool freed) {
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < BlocksFor(body.size()); ++i) {
        offsets.push_back(offset + std::uint32_t(i * kBlockSize));
    }
    std::vector<Block> blocks = EncodeMessageBlocks(body, offsets);
    if (freed) FreeMessageBlocks(blocks, 0);
    return PutBlocks(blocks);
}

StoreBuilder& StoreBuilder::Zero(std::size_t offset, std::size_t count) {
    Grow(image_, offset + count);
    std::fill_n(image_.begin() + std::ptrdiff_t(offset), count, std::uint8_t{0});
    return *this;
}

StoreBuilder& StoreBuilder::Garbage(std::size_t offset, std::size_t count, std::uint32_t seed) {
    Grow(image_, offset + count);
    std::uint32_t x = seed ? seed : 0x9E3779B9u;
    for (std::size_t i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image_[offset + i] = std::uint8_t(x >> 24);
    }
    return *this;
}

StoreBuilder& StoreBuilder::Resize(std::size_t size) {
    image_.resize(size);
    return *this;
}

void StoreBuilder::Save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image_.data()), std::streamsize(image_.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace dbx::build
