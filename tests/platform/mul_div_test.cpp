#include <gtest/gtest.h>

#include <limits>

#include "mul_div.h"

namespace dbx {
namespace {

TEST(MulDiv, ProductsBeyondTheIntRangeDivideExactly) {
    constexpr int kMax = std::numeric_limits<int>::max();
    EXPECT_EQ(MulDiv(kMax, kMax, kMax), kMax);
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
    EXPECT_EQ(MulDiv(-100000, 100000, -1000), 10000000);
}

TEST(MulDiv, ResultsBeyondTheIntRangeAreHeldToIt) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_EQ(MulDiv(kMax, 4, 1), kMax);
    EXPECT_EQ(MulDiv(kMax, -4, 1), kMin);
    EXPECT_EQ(MulDiv(kMin, -1, 1), kMax);
}

}  // namespace
}  // namespace dbx
