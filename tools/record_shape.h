#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rng.h"
#include "store_builder.h"

// Index records and damage in shapes the scan reads as meant: no stray word that holds its
// own offset, no text that passes for a freed record's sender.
namespace dbx::gen {

// Opaque data as Outlook Express 6 keeps it after the account.
constexpr std::uint8_t kPropOpaque = 0x1C;

// Random bytes for a damaged range starting at file offset `start`, none of which can be
// read as part of a word holding its own offset: each byte differs from the low byte of its
// offset, and the first three from the top byte of the words that begin just before.
void FillGarbage(std::uint8_t* bytes, std::size_t n, std::uint64_t start, Rng& rng);

// The record for `props` at `at`, its opaque property filled with such bytes.
build::Bytes EncodeRecord(std::uint32_t at, const std::vector<build::Property>& props, Rng& rng);

// The loose recogniser finds a freed record's data area from an at sign and the NUL before
// it, taking the first at sign whose text, read from that NUL, also has a dot. A freed
// record is only written when no byte before the sender's address starts such a text.
bool SenderAtSignComesFirst(const build::Bytes& record, const std::vector<build::Property>& props);

// Whether a word inside the record at `at`, past its first, holds its own offset. The scan
// would probe there, and such a probe can read on into the records that follow.
bool HoldsInnerSelfOffset(const build::Bytes& record, std::uint32_t at);

// The free-list link overwrites the record's second entry; read as an entry, a link whose
// low byte is the body-offset or recipient id would stand in for the real one.
bool LinkReadsAsHarmlessEntry(std::uint32_t link);

}  // namespace dbx::gen
