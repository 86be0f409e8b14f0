// The sums of the fit's sweeps, taken chunk by chunk in tiles, column by column where a
// statistic is rare, or dyad by dyad, must have the bits of the plain loops over every dyad,
// every parameter and every pair of parameters in sweep order.
#include "fit/dyad_sums.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace tarn {
namespace {

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Sender {
  std::vector<std::vector<int16>> columns;  // m columns of max_nodes entries
  std::vector<double> weight, extra;
  std::vector<unsigned char> ones;
  int skip = -1;
};

class DyadSumsTest : public ::testing::Test {
 protected:
  std::mt19937 gen{12345};
  double unit() { return static_cast<double>(gen()) / 4294967296.0; }

  // A sender whose parameters have the given shares of non-zero statistics.
  Sender make_sender(int m, int n, const std::vector<double>& share, bool with_ones) {
    Sender s;
    s.columns.assign(static_cast<std::size_t>(m) + 1, std::vector<int16>(max_nodes, 0));
    for (int k = 0; k < m; ++k) {
      for (int j = 0; j < n; ++j) {
        if (unit() >= share[static_cast<std::size_t>(k)]) continue;
        int v = static_cast<int>(gen() % 40) - 8;
        if (unit() < 0.02) v = static_cast<int>(gen() % 60000) - 30000;
        s.columns[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)] = static_cast<int16>(v);
      }
    }
    s.weight.resize(max_nodes);
    s.extra.resize(max_nodes);
    s.ones.assign(max_nodes, 0);
    for (int j = 0; j < n; ++j) {
      const double r = unit();
      s.weight[static_cast<std::size_t>(j)] = r < 0.05  ? 0.0
                                              : r < 0.1 ? 1e-300 * unit()
                                                        : unit() * 0.25;
      s.extra[static_cast<std::size_t>(j)] = (unit() - 0.5) * 40.0;
      if (with_ones && unit() < 0.01) s.ones[static_cast<std::size_t>(j)] = 1;
    }
    s.skip = unit() < 0.5 ? static_cast<int>(gen() % static_cast<unsigned>(n)) : -1;
    return s;
  }

  void check(int m, int n, int senders, const std::vector<double>& share, bool with_matrix,
             bool with_vector, bool with_ones) {
    auto sums = std::make_unique<DyadSums>();
    sums->start(m, with_matrix, with_vector);
    std::vector<double> matrix(static_cast<std::size_t>(m) * m, 0.0);
    std::vector<double> vector(static_cast<std::size_t>(m), 0.0);
    for (int i = 0; i < senders; ++i) {
      Sender s = make_sender(m, n, share, with_ones);
      SenderColumns columns;
      columns.m = m;
      columns.n = n;
      columns.skip = s.skip;
      for (int k = 0; k < m; ++k) columns.column[k] = s.columns[static_cast<std::size_t>(k)].data();
      sums->add_sender(columns, s.weight.data(), s.extra.data(),
                       with_ones ? s.ones.data() : nullptr);
      // The plain loops.
      for (int j = 0; j < n; ++j) {
        if (j == s.skip) continue;
        const double w = s.weight[static_cast<std::size_t>(j)];
        const double e = s.extra[static_cast<std::size_t>(j)];
        for (int k = 0; k < m; ++k) {
          const double xk = s.columns[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)];
          const double u = w * xk;
          if (with_matrix) {
            for (int l = 0; l < m; ++l) {
              const double xl = s.columns[static_cast<std::size_t>(l)][static_cast<std::size_t>(j)];
              matrix[static_cast<std::size_t>(l) * m + k] += u * xl;
            }
          }
          if (with_vector) {
            const bool one = with_ones && s.ones[static_cast<std::size_t>(j)] != 0;
            vector[static_cast<std::size_t>(k)] += one ? xk * e : u * e;
          }
        }
      }
    }
    int differing = 0;
    for (int k = 0; k < m; ++k) {
      if (with_vector && !same_bits(sums->vector(k), vector[static_cast<std::size_t>(k)])) {
        ++differing;
      }
      for (int l = 0; l < m && with_matrix; ++l) {
        if (!same_bits(sums->matrix(k, l), matrix[static_cast<std::size_t>(l) * m + k])) {
          ++differing;
        }
      }
    }
    EXPECT_EQ(differing, 0) << "m " << m << " n " << n;
  }
};

std::vector<double> shares(int m, std::initializer_list<double> pattern) {
  std::vector<double> v;
  std::vector<double> p(pattern);
  for (int k = 0; k < m; ++k) v.push_back(p[static_cast<std::size_t>(k) % p.size()]);
  return v;
}

TEST_F(DyadSumsTest, DenseStatistics) {
  for (int m : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 64}) {
    check(m, 150, 3, shares(m, {1.0}), true, true, false);
  }
}

TEST_F(DyadSumsTest, MixedStatistics) {
  for (int m : {1, 2, 3, 5, 6, 11, 15, 16, 23, 40, 64}) {
    check(m, 200, 3, shares(m, {1.0, 0.03, 0.8, 0.3, 0.0, 0.6, 0.1}), true, true, false);
    // Pairs of parameters that are both rare beside pairs with a common one.
    check(m, 200, 3, shares(m, {1.0, 1.0, 0.1, 0.05, 0.8, 0.02, 0.0, 0.3}), true, true, false);
    check(m, 200, 2, shares(m, {1.0, 1.0, 0.1, 0.05, 0.8, 0.02, 0.0, 0.3}), true, false, false);
  }
}

TEST_F(DyadSumsTest, SparseStatistics) {
  for (int m : {1, 3, 8, 15, 33, 64}) {
    check(m, 180, 3, shares(m, {0.02, 0.1, 0.0, 0.05}), true, true, false);
  }
}

TEST_F(DyadSumsTest, MatrixOnlyAndVectorOnly) {
  for (int m : {1, 4, 15, 29}) {
    check(m, 130, 2, shares(m, {1.0, 0.2, 0.01, 0.7}), true, false, false);
    check(m, 130, 2, shares(m, {1.0, 0.2, 0.01, 0.7}), false, true, false);
  }
}

TEST_F(DyadSumsTest, DyadsWithTheirOwnVectorWeight) {
  for (int m : {1, 2, 9, 15, 64}) {
    check(m, 300, 2, shares(m, {1.0, 0.3, 0.05}), true, true, true);
  }
}

TEST_F(DyadSumsTest, FullSizeSenders) {
  check(
      15, max_nodes, 2,
      shares(15, {1.0, 0.03, 1.0, 1.0, 1.0, 0.75, 0.46, 1.0, 1.0, 0.03, 0.2, 0.2, 0.3, 0.1, 0.005}),
      true, true, false);
}

}  // namespace
}  // namespace tarn
