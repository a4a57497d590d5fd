// The search for words that hold their own offset, the first look of every plain scan: each set
// of instructions finds exactly what a word-by-word look finds.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "candidate_filter.h"

namespace dbx::test {
namespace {

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

TEST(NextSelfOffset, EveryInstructionSetFindsWhatAWordByWordLookFinds) {
    constexpr std::size_t kSize = 1 << 14;
    std::mt19937 random(7);
    // The bases put groups of offsets across a change of their second and third bytes.
    for (const std::uint32_t base : {0u, 0x10u, 0xF0u, 0xFFF0u, 0x12345670u, 0xFFFFFF00u}) {
        std::vector<std::uint8_t> bytes(kSize + 64);
        for (auto& b : bytes) b = std::uint8_t(random());
        for (int n = 0; n < 40; ++n) {
            const std::size_t at = random() % (kSize - 4);
            // Half of them hold only the low half of their offset: they must not be found.
            const bool whole = n % 2 == 0;
            Put(bytes, at, base + std::uint32_t(at) + (whole ? 0 : 0x10000u));
        }
        // At the edges of 16- and 32-byte groups.
        for (std::size_t at : {std::size_t(15), std::size_t(31), std::size_t(4095)}) {
            Put(bytes, at, base + std::uint32_t(at));
        }
        for (int range = 0; range < 300; ++range) {
            std::size_t from = random() % kSize;
            std::size_t to = random() % (kSize + 1);
            if (from > to) std::swap(from, to);
            const std::size_t expected =
                NextSelfOffset(bytes.data(), base, from, to, FilterInstructions::Plain);
            for (FilterInstructions use : {FilterInstructions::Best, FilterInstructions::Sse2}) {
                ASSERT_EQ(NextSelfOffset(bytes.data(), base, from, to, use), expected)
                    << "base " << base << " from " << from << " to " << to << " use " << int(use);
            }
        }
        // Walking from one find to the next meets every word that holds its offset.
        std::vector<std::size_t> holding;
        for (std::size_t at = 0; at < kSize; ++at) {
            std::uint32_t word;
            std::memcpy(&word, bytes.data() + at, 4);
            if (word == base + std::uint32_t(at)) holding.push_back(at);
        }
        std::vector<std::size_t> walked;
        for (std::size_t at = 0; (at = NextSelfOffset(bytes.data(), base, at, kSize)) < kSize;
             ++at) {
            walked.push_back(at);
        }
        EXPECT_EQ(walked, holding) << "base " << base;
        EXPECT_GE(holding.size(), 3u);
    }
}

}  // namespace
}  // namespace dbx::test
