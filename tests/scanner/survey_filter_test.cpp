#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "little_endian.h"
#include "store_layout.h"
#include "survey_filter.h"
#include "test_support.h"

// The vector tests that pick where the survey of a disk image looks: whatever instructions do
// the work, the offsets are those a plain look at every offset gives, at any file position.
namespace dbx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A block header at `offset` naming `self`, leading to `next`.
void PlantBlock(Bytes& bytes, std::size_t offset, std::uint32_t self, std::uint32_t next,
                bool freed = false) {
    StoreU32(&bytes[offset], self);
    StoreU32(&bytes[offset + layout::kBlockSizeWordAt],
             freed ? layout::kFreedBlockSizeWord : layout::kLiveBlockSizeWord);
    StoreU32(&bytes[offset + layout::kBlockDataLengthAt],
             freed ? layout::kFreedBlockLengthWord : 0x100);
    StoreU32(&bytes[offset + layout::kBlockNextAt], next);
}

// The position `offset` names when the bytes lie at `at`, displaced by `d`.
std::uint32_t Named(std::uint64_t at, std::size_t offset, std::uint32_t d) {
    return std::uint32_t(at + offset) + d;
}

StretchCandidates Find(const Bytes& bytes, std::size_t size, std::uint64_t at,
                       FilterInstructions use, std::size_t stride = 4) {
    StretchCandidates out;
    FindStretchCandidates(bytes.data(), size, at, stride, out, use);
    return out;
}

bool Has(const std::vector<std::uint32_t>& offsets, std::size_t offset) {
    return std::find(offsets.begin(), offsets.end(), std::uint32_t(offset)) != offsets.end();
}

void ExpectSame(const StretchCandidates& got, const StretchCandidates& plain) {
    EXPECT_EQ(got.blocks, plain.blocks);
    EXPECT_EQ(got.records, plain.records);
    EXPECT_EQ(got.everyOffset, plain.everyOffset);
    auto sorted = [](std::vector<std::uint32_t> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(got.displacements), sorted(plain.displacements));
}

TEST(SurveyFilter, EveryInstructionSetFindsWhatThePlainLookFinds) {
    constexpr std::uint32_t kPiece = 0x7A5C0;  // a piece of a store displaced by this much
    // Positions whose low 32 bits wrap inside the stretch, and ones past 4 GiB.
    for (const std::uint64_t at : {std::uint64_t(0), std::uint64_t(0x100000),
                                   std::uint64_t(0xFFFF8000), std::uint64_t(5) << 32}) {
        for (const std::size_t size : {std::size_t(1) << 20, (std::size_t(1) << 20) - 52,
                                       std::size_t(4096 + 12), std::size_t(75)}) {
            SCOPED_TRACE(testing::Message() << "at " << at << ", " << size << " bytes");
            Bytes bytes = test::RandomByteVector(size + 64, std::uint32_t(at + size));
            // Blocks at the first offset, either side of a 64-byte turn, and in the tail where
            // no whole turn fits; records at their places and at the piece's displacement.
            std::vector<std::size_t> blocks = {0, 44, 64, 4096 - 16};
            std::vector<std::size_t> records = {16, 128, 4096 - 64};
            if (size > 100) blocks.push_back((size - 16) / 4 * 4);
            if (size > 100) records.push_back((size - 12) / 4 * 4 - 16);
            for (std::size_t b : blocks) {
                if (b + 16 > size) continue;
                PlantBlock(bytes, b, Named(at, b, kPiece), Named(at, b, kPiece) + 0x210, b == 60);
            }
            for (std::size_t k = 0; k < records.size(); ++k) {
                if (records[k] + 12 > size) continue;
                StoreU32(&bytes[records[k]], Named(at, records[k], k % 2 ? kPiece : 0));
            }
            const StretchCandidates plain = Find(bytes, size, at, FilterInstructions::Plain);
            ExpectSame(Find(bytes, size, at, FilterInstructions::Sse2), plain);
            ExpectSame(Find(bytes, size, at, FilterInstructions::Best), plain);
            for (std::size_t b : blocks) {
                if (b + 16 <= size) {
                    EXPECT_TRUE(Has(plain.blocks, b)) << "block at " << b;
                }
            }
            for (std::size_t r : records) {
                if (r + 12 <= size) {
                    EXPECT_TRUE(Has(plain.records, r)) << "record at " << r;
                }
            }
        }
    }
}

TEST(SurveyFilter, RecordsAreLookedForAtTheDisplacementsOfBlocksThatLeadOn) {
    const Bytes random = test::RandomByteVector(8192, 7);
    for (const FilterInstructions use :
         {FilterInstructions::Best, FilterInstructions::Sse2, FilterInstructions::Plain}) {
        Bytes bytes = random;
        // A last block (no next) suggests nothing; a block that leads on does.
        PlantBlock(bytes, 1024, 0x51000, 0);
        PlantBlock(bytes, 2048, 0x92000, 0x92210);
        StoreU32(&bytes[4000], 0x51000 - 1024 + 4000);
        StoreU32(&bytes[5000], 0x92000 - 2048 + 5000);
        StoreU32(&bytes[6000], 6000);
        const StretchCandidates found = Find(bytes, bytes.size(), 0, use);
        EXPECT_EQ(found.blocks, (std::vector<std::uint32_t>{1024, 2048}));
        // The leading block's own self word counts too: the survey's record test rules it out.
        EXPECT_EQ(found.records, (std::vector<std::uint32_t>{2048, 5000, 6000}));
        EXPECT_FALSE(found.everyOffset);
    }
}

TEST(SurveyFilter, TooManyDisplacementsMakeEveryOffsetACandidate) {
    Bytes bytes = test::RandomByteVector(1 << 16, 9);
    for (std::uint32_t k = 0; k <= kMostFilteredDisplacements; ++k) {
        const std::size_t at = 1024 * (k + 1);
        PlantBlock(bytes, at, 0x100000 * (k + 1), 0x100000 * (k + 1) + 0x210);
    }
    const StretchCandidates plain = Find(bytes, bytes.size(), 0, FilterInstructions::Plain);
    EXPECT_TRUE(plain.everyOffset);
    EXPECT_TRUE(plain.records.empty());
    EXPECT_EQ(plain.blocks.size(), kMostFilteredDisplacements + 1);
    ExpectSame(Find(bytes, bytes.size(), 0, FilterInstructions::Sse2), plain);
    ExpectSame(Find(bytes, bytes.size(), 0, FilterInstructions::Best), plain);
}

TEST(SurveyFilter, AStrideOfOneLooksAtEveryOffset) {
    Bytes bytes = test::RandomByteVector(4096, 11);
    PlantBlock(bytes, 1001, 0x3000, 0x3210);
    StoreU32(&bytes[2003], 2003);
    const StretchCandidates one = Find(bytes, bytes.size(), 0, FilterInstructions::Best, 1);
    EXPECT_TRUE(Has(one.blocks, 1001));
    EXPECT_TRUE(Has(one.records, 2003));
    const StretchCandidates four = Find(bytes, bytes.size(), 0, FilterInstructions::Best, 4);
    EXPECT_FALSE(Has(four.blocks, 1001));
    EXPECT_FALSE(Has(four.records, 2003));
}

}  // namespace
}  // namespace dbx
