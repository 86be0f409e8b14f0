#include "report/fixed_field.h"

#include <gtest/gtest.h>

#include <limits>

namespace tarn {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

TEST(IntField, RightAlignedInItsWidth) {
  EXPECT_EQ(int_field(7, 3), "  7");
  EXPECT_EQ(int_field(-7, 3), " -7");
  EXPECT_EQ(int_field(0, 1), "0");
  EXPECT_EQ(int_field(123, 3), "123");
  EXPECT_EQ(int_field(4000000, 8), " 4000000");
}

TEST(IntField, TooWideFillsWithAsterisks) {
  EXPECT_EQ(int_field(1234, 3), "***");
  EXPECT_EQ(int_field(-10, 2), "**");
  EXPECT_EQ(int_field(-1, 1), "*");
}

TEST(RealField, FixedPointWithExactDecimals) {
  EXPECT_EQ(real_field(90.072436, 20, 3), "              90.072");
  EXPECT_EQ(real_field(-1.386294, 12, 4), "     -1.3863");
  EXPECT_EQ(real_field(0.25, 12, 4), "      0.2500");
  EXPECT_EQ(real_field(100.0, 12, 2), "      100.00");
  EXPECT_EQ(real_field(1.0, 12, 5), "     1.00000");
  EXPECT_EQ(real_field(28.8, 20, 4), "             28.8000");
}

TEST(RealField, LeadingZeroKeptWhenThereIsRoom) {
  EXPECT_EQ(real_field(0.5, 6, 4), "0.5000");
  EXPECT_EQ(real_field(-0.5, 7, 4), "-0.5000");
}

TEST(RealField, LeadingZeroDroppedWhenOneColumnShort) {
  EXPECT_EQ(real_field(0.5, 5, 4), ".5000");
  EXPECT_EQ(real_field(-0.5, 6, 4), "-.5000");
  EXPECT_EQ(real_field(0.5, 4, 4), "****");
  EXPECT_EQ(real_field(1.5, 5, 4), "*****");  // the first digit is not 0
}

TEST(RealField, NoMinusZero) {
  EXPECT_EQ(real_field(-0.00004, 6, 4), "0.0000");
  EXPECT_EQ(real_field(-0.0, 6, 2), "  0.00");
  EXPECT_EQ(real_field(-0.00004, 5, 4), ".0000");
  EXPECT_EQ(real_field(-0.00005001, 7, 4), "-0.0001");
}

TEST(RealField, TooWideFillsWithAsterisks) {
  EXPECT_EQ(real_field(123456.0, 8, 3), "********");
  EXPECT_EQ(real_field(-1e300, 20, 3), std::string(20, '*'));
  EXPECT_EQ(real_field(99.999, 5, 2), "*****");  // rounds to 100.00
}

TEST(RealField, NotANumberAndInfinities) {
  EXPECT_EQ(real_field(nan, 12, 4), "         NaN");
  EXPECT_EQ(real_field(inf, 12, 4), "    Infinity");
  EXPECT_EQ(real_field(-inf, 12, 4), "   -Infinity");
  EXPECT_EQ(real_field(inf, 8, 4), "Infinity");
  EXPECT_EQ(real_field(-inf, 8, 4), "    -Inf");
  EXPECT_EQ(real_field(inf, 5, 2), "  Inf");
  EXPECT_EQ(real_field(-inf, 4, 2), "-Inf");
  EXPECT_EQ(real_field(nan, 3, 1), "NaN");
  EXPECT_EQ(real_field(nan, 2, 1), "**");
  EXPECT_EQ(real_field(inf, 2, 1), "**");
  EXPECT_EQ(real_field(-inf, 3, 1), "***");
}

}  // namespace
}  // namespace tarn
