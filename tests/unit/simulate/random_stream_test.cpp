// The mapping of the generator's bits to integers: uniform, independent halves, and the
// rejection that removes the bias of a plain multiply-and-shift.
#include "simulate/random_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace tarn {
namespace {

// Pearson's statistic of counts against equal expected counts.
double chi_square(const std::vector<int>& counts, int draws) {
  const double expected = static_cast<double>(draws) / static_cast<double>(counts.size());
  double chi = 0.0;
  for (int c : counts) chi += (c - expected) * (c - expected) / expected;
  return chi;
}

TEST(RandomStream, SmallLimitsAreUniformAndTheHalvesIndependent) {
  RandomStream stream(12345, 7);
  const int draws = 150000;
  std::vector<int> joint(3 * 5, 0), single(7, 0);
  for (int d = 0; d < draws; ++d) {
    const auto [a, b] = stream.two_below(3, 5);
    ASSERT_LT(a, 3u);
    ASSERT_LT(b, 5u);
    ++joint[a * 5 + b];
    const std::uint64_t c = stream.below(7);
    ASSERT_LT(c, 7u);
    ++single[c];
  }
  // 99.9% points of chi-square with 14 and 6 degrees of freedom.
  EXPECT_LT(chi_square(joint, draws), 36.12);
  EXPECT_LT(chi_square(single, draws), 22.46);
}

// With a limit of 3 * 2^30 a plain high-word mapping gives the multiples of 3 two words of 32
// bits each and the other values one: half of all draws instead of a third.
TEST(RandomStream, LimitsThatAMultiplyWouldBiasStayUniform) {
  RandomStream stream(99, 0);
  const int draws = 120000;
  int first_multiples = 0, second_multiples = 0, wide_multiples = 0;
  for (int d = 0; d < draws; ++d) {
    const auto [a, b] = stream.two_below(3u << 30, 3u << 30);
    first_multiples += a % 3 == 0;
    second_multiples += b % 3 == 0;
    wide_multiples += stream.below(std::uint64_t{3} << 62) % 3 == 0;
  }
  const double third = draws / 3.0, sd = std::sqrt(draws * (1.0 / 3.0) * (2.0 / 3.0));
  EXPECT_NEAR(first_multiples, third, 5 * sd);
  EXPECT_NEAR(second_multiples, third, 5 * sd);
  EXPECT_NEAR(wide_multiples, third, 5 * sd);
}

TEST(RandomStream, StreamsDependOnSeedAndIndexOnly) {
  RandomStream a(5, 3), b(5, 3), other_index(5, 4), other_seed(6, 3);
  int differ_index = 0, differ_seed = 0;
  for (int d = 0; d < 100; ++d) {
    const std::uint64_t x = a.next();
    EXPECT_EQ(x, b.next());
    differ_index += x != other_index.next();
    differ_seed += x != other_seed.next();
    const double u = RandomStream::unit_of(x);
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
  }
  EXPECT_EQ(differ_index, 100);
  EXPECT_EQ(differ_seed, 100);
  EXPECT_EQ(RandomStream::unit_of(~std::uint64_t{0}), 1.0 - 0x1.0p-53);
}

}  // namespace
}  // namespace tarn
