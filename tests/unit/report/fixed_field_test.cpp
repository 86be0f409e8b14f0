#include "report/fixed_field.h"

#include <gtest/gtest.h>

#include <limits>

namespace tarn {
namespace {

TEST(IntField, RightAlignedOrAsterisks) {
  const struct {
    int value, width;
    const char* text;
  } cases[] = {
      {7, 3, "  7"},    {-7, 3, " -7"}, {0, 1, "0"}, {123, 3, "123"}, {4000000, 8, " 4000000"},
      {1234, 3, "***"}, {-10, 2, "**"}, {-1, 1, "*"}};
  for (const auto& c : cases) EXPECT_EQ(int_field(c.value, c.width), c.text) << c.value;
}

// Exact decimals; the leading zero dropped only when one column short; no minus zero; asterisks
// when too wide; NaN and the infinities.
TEST(RealField, Rules) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    int width, decimals;
    const char* text;
  } cases[] = {// clang-format off
      {90.072436, 20, 3, "              90.072"}, {-1.386294, 12, 4, "     -1.3863"},
      {0.25, 12, 4, "      0.2500"}, {100.0, 12, 2, "      100.00"}, {1.0, 12, 5, "     1.00000"},
      {28.8, 20, 4, "             28.8000"}, {0.5, 6, 4, "0.5000"}, {-0.5, 7, 4, "-0.5000"},
      {0.5, 5, 4, ".5000"}, {-0.5, 6, 4, "-.5000"}, {0.5, 4, 4, "****"}, {1.5, 5, 4, "*****"},
      {-0.00004, 6, 4, "0.0000"}, {-0.0, 6, 2, "  0.00"}, {-0.00004, 5, 4, ".0000"},
      {-0.00005001, 7, 4, "-0.0001"}, {123456.0, 8, 3, "********"},
      {-1e300, 20, 3, "********************"}, {99.999, 5, 2, "*****"},
      {nan, 12, 4, "         NaN"}, {inf, 12, 4, "    Infinity"}, {-inf, 12, 4, "   -Infinity"},
      {inf, 8, 4, "Infinity"}, {-inf, 8, 4, "    -Inf"}, {inf, 5, 2, "  Inf"}, {-inf, 4, 2, "-Inf"},
      {nan, 3, 1, "NaN"}, {nan, 2, 1, "**"}, {inf, 2, 1, "**"}, {-inf, 3, 1, "***"}};
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(real_field(c.value, c.width, c.decimals), c.text)
        << c.value << " in " << c.width << "." << c.decimals;
}

}  // namespace
}  // namespace tarn
