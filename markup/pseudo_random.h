#pragma once

#include <cstdint>

namespace dbx {

// A linear congruential generator whose numbers span 0 to 0x7FFF, the range the pattern effects
// divide by. Seedable so that paintings can be repeated.
class PseudoRandom {
  public:
    static constexpr int kMax = 0x7FFF;

    explicit PseudoRandom(std::uint32_t seed = 1) : state_(seed) {}
    void Seed(std::uint32_t seed) { state_ = seed; }

    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFF);
    }

  private:
    std::uint32_t state_;
};

}  // namespace dbx
