#include "simulate/quantile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tarn {
namespace {

TEST(Quantile, MatchesRType7) {
  // R: quantile(1:10, c(0.025, 0.5, 0.975)) gives 1.225, 5.5, 9.775.
  const std::vector<double> one_to_ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_DOUBLE_EQ(quantile_type7(one_to_ten, 0.025), 1.225);
  EXPECT_DOUBLE_EQ(quantile_type7(one_to_ten, 0.5), 5.5);
  EXPECT_DOUBLE_EQ(quantile_type7(one_to_ten, 0.975), 9.775);
  EXPECT_EQ(quantile_type7(one_to_ten, 0.0), 1.0);
  EXPECT_EQ(quantile_type7(one_to_ten, 1.0), 10.0);
  EXPECT_EQ(quantile_type7({3.5}, 0.025), 3.5);
  EXPECT_DOUBLE_EQ(quantile_type7({4.0}, 0.975), 4.0);
  EXPECT_EQ(quantile_type7({0.2, 0.2, 0.2}, 0.975), 0.2);
}

TEST(Quantile, InfiniteNeighboursGiveTheirOwnValue) {
  const double inf = INFINITY;
  EXPECT_EQ(quantile_type7({1.0, inf, inf}, 0.975), inf);
}

TEST(Quantile, NoValuesGiveNaN) {
  EXPECT_TRUE(std::isnan(quantile_type7({}, 0.5)));
}

}  // namespace
}  // namespace tarn
