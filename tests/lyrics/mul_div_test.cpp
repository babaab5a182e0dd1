#include "lyrics/mul_div.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace lyrovox {
namespace {

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(10, 1, 4), 3);    // 2.5
  EXPECT_EQ(MulDiv(9, 1, 4), 2);     // 2.25
  EXPECT_EQ(MulDiv(-10, 1, 4), -3);  // -2.5
  EXPECT_EQ(MulDiv(10, -1, 4), -3);
  EXPECT_EQ(MulDiv(-10, -1, -4), -3);
  EXPECT_EQ(MulDiv(480, 500000, 480000), 500);
}

TEST(MulDiv, UsesA64BitProduct) {
  EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
  EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, INT32_MAX), INT32_MAX);
}

TEST(MulDiv, GivesMinusOneOnZeroDivisorOrOverflow) {
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(INT32_MAX, 2, 1), -1);
  EXPECT_EQ(MulDiv(INT32_MIN, 2, 1), -1);
  EXPECT_EQ(MulDiv(INT32_MIN, 1, 1), INT32_MIN);
}

}  // namespace
}  // namespace lyrovox
