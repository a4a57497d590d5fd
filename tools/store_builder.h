#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes the on-disk structures of an Outlook Express folder store, byte-exact, so that tests
// and the demo generator can lay out stores with chosen records, bodies and damage.
namespace dbx::build {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kFileHeaderSize = 0x24BC;
constexpr std::uint32_t kFileInfoSize = 0x618;
constexpr std::uint32_t kFirstSegment = kFileHeaderSize + kFileInfoSize;  // 0x2AD4
constexpr std::uint32_t kBlockSize = 0x210;
constexpr std::uint32_t kBlockData = 0x200;

// Property ids as Outlook Express 6 writes them.
enum Prop : std::uint8_t {
    kPropIndex = 0x80,
    kPropFlags = 0x81,
    kPropTimeSent = 0x02,
    kPropBodyOffset = 0x04,
    kPropBodyOffsetDirect = 0x84,
    kPropNormalSubject = 0x05,
    kPropTimeSaved = 0x06,
    kPropMessageId = 0x07,
    kPropSubject = 0x08,
    kPropSenderName = 0x0D,
    kPropSenderAddress = 0x0E,
    kPropPriority = 0x90,
    kPropSize = 0x91,
    kPropTimeReceived = 0x12,
    kPropRecipientName = 0x13,
    kPropRecipientAddress = 0x14,
    kPropAccountName = 0x1A,
    kPropAccountKey = 0x1B,
};

// One property entry: ids with bit 0x80 hold `direct` in the entry, the others point at
// `data` in the data area.
struct Property {
    std::uint8_t id = 0;
    Bytes data;
    std::uint32_t direct = 0;
};

Property Text(std::uint8_t id, std::string_view text);  // NUL-terminated
Property FileTime(std::uint8_t id, std::int64_t filetime);
Property Word(std::uint8_t id, std::uint32_t value);
Property Direct(std::uint8_t id, std::uint32_t value);

// FILETIME of a moment given as seconds since 1970 (UTC).
std::int64_t FileTimeFromUnix(std::int64_t seconds);

// {self, L, 0, N, 0} + N entries + data area with values packed in the given order; L is
// padded to a multiple of 4.
Bytes EncodeIndexRecord(std::uint32_t self, const std::vector<Property>& props);

// What an ordinary message looks like in its index record.
struct MessageFields {
    std::uint32_t index = 1;
    std::string from;  // sender address
    std::string fromName;
    std::string to;  // recipient address, stored as written
    std::string toName;
    std::string subject;
    std::string messageId;  // left out when empty
    std::int64_t filetime = 0;
    std::uint32_t bodyOffset = 0;
    std::uint32_t bodySize = 0;
};

// The properties an Outlook Express 6 record carries, in id order (about 17 entries). The
// body offset is held in the entry below 16 MiB, else in the data area.
std::vector<Property> TypicalProperties(const MessageFields& fields);

// The freed shape of a record: {self, L - 8, L + 12, entry 0, link, rest unchanged}.
Bytes FreeIndexRecord(Bytes record, std::uint32_t freeLink);

// Splits `body` into 0x210-byte blocks at the given offsets (one per 512 bytes, at least one).
struct Block {
    std::uint32_t offset = 0;
    Bytes bytes;
};
std::vector<Block> EncodeMessageBlocks(std::string_view body,
                                       const std::vector<std::uint32_t>& offsets);
// What freeing does to a message's blocks, in chain order; the first links to `freeHead`.
void FreeMessageBlocks(std::vector<Block>& blocks, std::uint32_t freeHead);
std::size_t BlocksFor(std::size_t bodySize);

// The 0x24BC-byte file header and the file info after it.
Bytes EncodeFileHeader(std::string_view folderName, std::uint32_t usedSpace,
                       std::uint32_t messageCount);

// An in-memory store image for tests.
class StoreBuilder {
  public:
    explicit StoreBuilder(std::size_t size = 0) : image_(size) {}

    StoreBuilder& Header(std::string_view folderName = "Inbox", std::uint32_t messageCount = 0);
    StoreBuilder& Put(std::size_t offset, const Bytes& bytes);
    StoreBuilder& PutU32(std::size_t offset, std::uint32_t value);
    StoreBuilder& PutText(std::size_t offset, std::string_view text);  // no NUL added
    // Returns the record's size (12 + L).
    std::size_t PutRecord(std::uint32_t offset, const std::vector<Property>& props);
    std::size_t PutFreedRecord(std::uint32_t offset, const std::vector<Property>& props,
                               std::uint32_t freeLink = 0);
    StoreBuilder& PutBlocks(const std::vector<Block>& blocks);
    // A live message body in consecutive blocks from `offset`.
    StoreBuilder& PutBody(std::uint32_t offset, std::string_view body, bool freed = false);

    StoreBuilder& Zero(std::size_t offset, std::size_t count);
    StoreBuilder& Garbage(std::size_t offset, std::size_t count, std::uint32_t seed);
    StoreBuilder& Resize(std::size_t size);

    const Bytes& Image() const { return image_; }
    std::size_t Size() const { return image_.size(); }
    void Save(const std::string& path) const;

  private:
    Bytes image_;
};

}  // namespace dbx::build
