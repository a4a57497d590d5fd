#pragma once

#include <cstddef>
#include <cstdint>

// Where the fields that the recognisers and the extraction read lie in an Outlook Express
// folder store. All numbers are little-endian.
namespace dbx::layout {

// The file header's first two words: every store's, and a message folder's (a store that holds
// mail, not the folder list or the news list).
constexpr std::uint32_t kStoreMagic = 0xFE12ADCF;
constexpr std::uint32_t kMessageFolderMagic = 0x6F74FDC5;

// Message-index record: {self offset, body length L, 2 bytes, entry count N, 1 byte}, then N
// property entries of 4 bytes, then the data area holding the values they address.
constexpr std::size_t kRecordSelfAt = 0;
constexpr std::size_t kRecordBodyLengthAt = 4;
constexpr std::size_t kRecordEntryCountAt = 10;
constexpr std::size_t kRecordHeaderSize = 12;
constexpr std::size_t kEntrySize = 4;

// Property ids: the low byte of an entry; the upper 24 bits are its value. With bit 0x80 the
// value is held in the entry, else it is an offset into the data area.
enum PropertyId : std::uint8_t {
    kPropMessageOffsetStored = 0x04,
    kPropMessageOffsetDirect = 0x84,
    kPropSubject = 0x08,
    kPropSender = 0x0E,
    kPropDate = 0x12,
    kPropRecipient = 0x14,
    kPropMessageSize = 0x91,
};

// Message block: {self offset, block size word, data length, next block offset}, then data.
constexpr std::size_t kBlockSelfAt = 0;
constexpr std::size_t kBlockSizeWordAt = 4;
constexpr std::size_t kBlockDataLengthAt = 8;
constexpr std::size_t kBlockNextAt = 12;
constexpr std::uint32_t kBlockHeaderSize = 16;
constexpr std::uint32_t kBlockDataMax = 512;
constexpr std::uint32_t kBlockSpan = kBlockHeaderSize + kBlockDataMax;
// Size words: a live block's, and a freed block's {0x1FC, 0x210} pair.
constexpr std::uint32_t kLiveBlockSizeWord = 0x200;
constexpr std::uint32_t kFreedBlockSizeWord = 0x1FC;
constexpr std::uint32_t kFreedBlockLengthWord = 0x210;
// The size word of a message's first block, as a freed record's body still shows it.
constexpr std::uint32_t kFirstBlockSizeWord = 0x1FC;

}  // namespace dbx::layout
