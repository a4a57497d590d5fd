#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "little_endian.h"

namespace dbx::gen {

// A fixed algorithm (xoshiro256** seeded through splitmix64) rather than <random>, whose
// distributions differ between standard libraries: a seed must give the same store everywhere.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) {
        for (auto& s : state_) {
            seed += 0x9E3779B97F4A7C15u;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = Rotl(state_[3], 45);
        return result;
    }
    std::uint64_t Below(std::uint64_t n) { return n == 0 ? 0 : Next() % n; }
    std::int64_t Range(std::int64_t lo, std::int64_t hi) {
        return lo + std::int64_t(Below(std::uint64_t(hi - lo) + 1));
    }
    bool Chance(double p) { return double(Next() >> 11) * 0x1.0p-53 < p; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }
    void Fill(std::uint8_t* p, std::size_t n) {
        while (n >= 8) {
            StoreU64(p, Next());
            p += 8;
            n -= 8;
        }
        if (n) {
            std::uint64_t x = Next();
            for (std::size_t i = 0; i < n; ++i) p[i] = std::uint8_t(x >> (8 * i));
        }
    }

  private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4];
};

}  // namespace dbx::gen
