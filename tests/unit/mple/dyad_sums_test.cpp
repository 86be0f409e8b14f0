// The sums kernel against the plain dyad-by-dyad loops, bit for bit: every chunk size and
// remainder, the skipped diagonal, rare parameters, the vector terms of weight one, and more
// parameters than the tiles take.
#include "mple/dyad_sums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace tarn {
namespace {

struct Columns {
  std::vector<std::vector<int16>> data;  // padded past n, as the statistics table is
};

// Sums (w x(k)) x(l) and (w x(k)) e (or x(k) e where `ones`), dyad by dyad in sweep order.
struct PlainSums {
  int m;
  std::vector<double> matrix, vector;
  explicit PlainSums(int m_)
      : m(m_), matrix(std::size_t(m_ * m_), 0.0), vector(std::size_t(m_), 0.0) {}
  void add(const Columns& c, int n, int skip, const std::vector<double>& w,
           const std::vector<double>& e, const std::vector<unsigned char>* ones) {
    for (int j = 0; j < n; ++j) {
      if (j == skip) continue;
      for (int k = 0; k < m; ++k) {
        const double x = c.data[std::size_t(k)][std::size_t(j)];
        if (x == 0.0) continue;  // a term +-0.0 changes no sum
        const double u = w[std::size_t(j)] * x;
        for (int l = 0; l < m; ++l) {
          const double y = c.data[std::size_t(l)][std::size_t(j)];
          if (y != 0.0) matrix[std::size_t(l * m + k)] = matrix[std::size_t(l * m + k)] + u * y;
        }
        const bool one = ones != nullptr && (*ones)[std::size_t(j)] != 0;
        vector[std::size_t(k)] = vector[std::size_t(k)] + (one ? x : u) * e[std::size_t(j)];
      }
    }
  }
};

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Senders of n receivers with m columns: the first `common` dense, the rest non-zero in about
// one dyad in `rare_every`; weights and factors of every size.
void check(int n, int m, int common, int rare_every, bool skip_diagonal, bool with_ones,
           std::uint64_t seed) {
  SCOPED_TRACE(::testing::Message() << "n " << n << " m " << m << " seed " << seed);
  std::mt19937_64 random(seed);
  auto unit = [&random] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };
  const int padded = (n + 7) / 8 * 8 + 8;
  DyadSums sums;
  sums.start(m, true, true);
  PlainSums plain(m);
  for (int sender = 0; sender < 3; ++sender) {
    Columns c;
    for (int k = 0; k < m; ++k) {
      std::vector<int16> column(std::size_t(padded), 0);
      for (int j = 0; j < n; ++j) {
        const bool nonzero = k < common ? unit() < 0.8 : random() % unsigned(rare_every) == 0;
        if (nonzero) column[std::size_t(j)] = int16(int(random() % 61) - 30);
      }
      c.data.push_back(std::move(column));
    }
    std::vector<double> w(max_nodes, 0.0), e(max_nodes, 0.0);
    std::vector<unsigned char> ones(max_nodes, 0);
    for (int j = 0; j < n; ++j) {
      w[std::size_t(j)] = unit() * unit();
      e[std::size_t(j)] = (unit() - 0.5) * 40.0;
      ones[std::size_t(j)] = with_ones && unit() < 0.1 ? 1 : 0;
    }
    SenderColumns columns;
    columns.m = m;
    columns.column.resize(std::size_t(m));
    columns.n = n;
    columns.skip = skip_diagonal ? (sender * 37) % n : -1;
    for (int k = 0; k < m; ++k) columns.column[k] = c.data[std::size_t(k)].data();
    sums.add_sender(columns, w.data(), e.data(), with_ones ? ones.data() : nullptr);
    plain.add(c, n, columns.skip, w, e, with_ones ? &ones : nullptr);
  }
  for (int k = 0; k < m; ++k) {
    ASSERT_TRUE(same_bits(sums.vector(k), plain.vector[std::size_t(k)])) << "vector " << k;
    for (int l = 0; l < m; ++l) {
      ASSERT_TRUE(same_bits(sums.matrix(k, l), plain.matrix[std::size_t(l * m + k)]))
          << "matrix " << k << ", " << l;
    }
  }
}

TEST(DyadSums, BitForBitAgainstThePlainLoops) {
  std::uint64_t seed = 1;
  for (int n : {7, 64, 65, 129, 2000}) {
    for (bool skip : {false, true}) {
      check(n, 5, 5, 1, skip, false, seed++);    // common parameters only, an odd count
      check(n, 12, 4, 40, skip, false, seed++);  // rare parameters beside common ones
      check(n, 9, 0, 25, skip, false, seed++);   // rare parameters alone
      check(n, 6, 3, 30, skip, true, seed++);    // vector terms of weight one: dyad by dyad
    }
  }
  check(300, 64, 20, 50, true, false, seed++);   // every parameter slot
  check(300, 65, 20, 50, true, false, seed++);   // past the tiles: dyad by dyad
  check(129, 130, 30, 20, false, true, seed++);  // the same with vector terms of weight one
}

}  // namespace
}  // namespace tarn
