// The sampler's exp against the library's over the range its gains take, and at its ends.
#include "numeric/portable_exp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarn {
namespace {

TEST(PortableExp, WithinTwoUnitsInTheLastPlace) {
  double worst = 0.0;
  for (double x = -707.0; x <= 708.0; x += 0.0137) {  // below -708 the values are subnormal
    const double want = std::exp(x);
    const double error = std::fabs(portable_exp(x) - want) / want;
    worst = std::max(worst, error);
  }
  EXPECT_LT(worst, 4.5e-16);
  EXPECT_EQ(portable_exp(0.0), 1.0);
  EXPECT_EQ(portable_exp(709.5), std::numeric_limits<double>::infinity());
  EXPECT_EQ(portable_exp(-746.0), 0.0);
  EXPECT_TRUE(std::isnan(portable_exp(std::numeric_limits<double>::quiet_NaN())));
  // Monotone across the reduction's steps.
  for (double x = -3.0; x < 3.0; x += 0.001) EXPECT_LE(portable_exp(x), portable_exp(x + 1e-9));
}

}  // namespace
}  // namespace tarn
