#include "fit/gaussj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace tarn {
namespace {

// A matrix on the heap, filled row by row from a list of rows.
std::unique_ptr<ParamMatrix> matrix_of(std::initializer_list<std::initializer_list<double>> rows) {
  auto a = std::make_unique<ParamMatrix>();
  int r = 0;
  for (const auto& row : rows) {
    ++r;
    int c = 0;
    for (double v : row) (*a)(r, ++c) = v;
  }
  return a;
}

std::unique_ptr<ParamMatrix> identity(int order) {
  auto a = std::make_unique<ParamMatrix>();
  for (int k = 1; k <= order; ++k) (*a)(k, k) = 1.0;
  return a;
}

void expect_block(const ParamMatrix& a, std::initializer_list<std::initializer_list<double>> rows,
                  double tolerance) {
  int r = 0;
  for (const auto& row : rows) {
    ++r;
    int c = 0;
    for (double v : row) {
      ++c;
      EXPECT_NEAR(a(r, c), v, tolerance) << "entry (" << r << ", " << c << ")";
    }
  }
}

TEST(Gaussj, WorkedExampleStepByStep) {
  auto a = matrix_of({{4, 7}, {2, 6}});
  std::vector<std::vector<double>> seen;
  GaussjTrace trace;
  trace.after_step = [&seen](int, const ParamMatrix& m) {
    seen.push_back({m(1, 1), m(1, 2), m(2, 1), m(2, 2)});
  };
  int32 invertible = -1;
  gaussj(*a, 2, invertible, trace);
  EXPECT_EQ(invertible, 1);
  EXPECT_EQ(trace.steps_done, 2);
  EXPECT_EQ(trace.step_row(1), 1);
  EXPECT_EQ(trace.step_column(1), 2);
  EXPECT_EQ(trace.step_row(2), 1);
  EXPECT_EQ(trace.step_column(2), 1);
  ASSERT_EQ(seen.size(), 2u);
  const double tol = 1e-15;
  EXPECT_NEAR(seen[0][0], -10.0 / 7, tol);
  EXPECT_NEAR(seen[0][1], -6.0 / 7, tol);
  EXPECT_NEAR(seen[0][2], 4.0 / 7, tol);
  EXPECT_NEAR(seen[0][3], 1.0 / 7, tol);
  // Before the closing column exchange.
  EXPECT_NEAR(seen[1][0], -0.7, tol);
  EXPECT_NEAR(seen[1][1], 0.6, tol);
  EXPECT_NEAR(seen[1][2], 0.4, tol);
  EXPECT_NEAR(seen[1][3], -0.2, tol);
  expect_block(*a, {{0.6, -0.7}, {-0.2, 0.4}}, tol);
}

TEST(Gaussj, WithoutTraceGivesTheSameBits) {
  auto a = matrix_of({{4, 7}, {2, 6}});
  auto b = matrix_of({{4, 7}, {2, 6}});
  int32 ia = 0, ib = 0;
  GaussjTrace trace;
  gaussj(*a, 2, ia);
  gaussj(*b, 2, ib, trace);
  EXPECT_EQ(ia, 1);
  EXPECT_EQ(ib, 1);
  EXPECT_EQ(a->v, b->v);
}

TEST(Gaussj, IdentityUpToOrder64IsUnchanged) {
  for (int order : {1, 2, 3, 17, 63, 64}) {
    auto a = identity(order);
    auto expected = identity(order);
    GaussjTrace trace;
    int32 invertible = 0;
    gaussj(*a, static_cast<int16>(order), invertible, trace);
    EXPECT_EQ(invertible, 1) << order;
    EXPECT_EQ(a->v, expected->v) << order;
    // Every diagonal entry ties: the pivots come from the last one backwards.
    for (int s = 1; s <= order; ++s) {
      EXPECT_EQ(trace.step_row(s), order + 1 - s);
      EXPECT_EQ(trace.step_column(s), order + 1 - s);
    }
  }
}

TEST(Gaussj, OrderZeroSucceedsAtOnce) {
  auto a = matrix_of({{5}});
  int32 invertible = 0;
  gaussj(*a, 0, invertible);
  EXPECT_EQ(invertible, 1);
  EXPECT_EQ((*a)(1, 1), 5.0);
}

TEST(Gaussj, OnlyTheLeadingBlockIsTouched) {
  auto a = matrix_of({{2, 0, 9}, {0, 4, 9}, {9, 9, 9}});
  int32 invertible = 0;
  gaussj(*a, 2, invertible);
  EXPECT_EQ(invertible, 1);
  expect_block(*a, {{0.5, 0, 9}, {0, 0.25, 9}, {9, 9, 9}}, 0.0);
}

TEST(Gaussj, PermutationNeedsRowAndColumnExchange) {
  auto a = matrix_of({{0, 1}, {1, 0}});
  GaussjTrace trace;
  int32 invertible = 0;
  gaussj(*a, 2, invertible, trace);
  EXPECT_EQ(invertible, 1);
  // The last 1 of the scan, at (2, 1), is the first pivot: rows 2 and 1 are exchanged.
  EXPECT_EQ(trace.step_row(1), 2);
  EXPECT_EQ(trace.step_column(1), 1);
  expect_block(*a, {{0, 1}, {1, 0}}, 0.0);
}

TEST(Gaussj, TiesGoToTheLastEntryOfLargestMagnitude) {
  auto a = matrix_of({{1, -3, 2}, {3, 0, 1}, {-3, 1, 1}});
  GaussjTrace trace;
  int32 invertible = 0;
  gaussj(*a, 3, invertible, trace);
  EXPECT_EQ(invertible, 1);
  EXPECT_EQ(trace.step_row(1), 3);
  EXPECT_EQ(trace.step_column(1), 1);
}

TEST(Gaussj, AllOnesFailsAtTheSecondStep) {
  auto a = matrix_of({{1, 1}, {1, 1}});
  GaussjTrace trace;
  int32 invertible = 1;
  gaussj(*a, 2, invertible, trace);
  EXPECT_EQ(invertible, 0);
  EXPECT_EQ(trace.step_row(1), 2);
  EXPECT_EQ(trace.step_column(1), 2);
  EXPECT_EQ(trace.steps_done, 1);
}

TEST(Gaussj, SingularMatricesFail) {
  int32 invertible = 1;
  auto zero_row = matrix_of({{1, 2, 3}, {0, 0, 0}, {4, 5, 7}});
  gaussj(*zero_row, 3, invertible);
  EXPECT_EQ(invertible, 0);
  invertible = 1;
  auto zero_column = matrix_of({{1, 0, 3}, {2, 0, 5}, {4, 0, 7}});
  gaussj(*zero_column, 3, invertible);
  EXPECT_EQ(invertible, 0);
  invertible = 1;
  auto equal_columns = matrix_of({{1, 2, 1}, {3, 5, 3}, {2, 7, 2}});
  gaussj(*equal_columns, 3, invertible);
  EXPECT_EQ(invertible, 0);
  invertible = 1;
  auto zeros = matrix_of({{0, 0}, {0, 0}});
  gaussj(*zeros, 2, invertible);
  EXPECT_EQ(invertible, 0);
}

TEST(Gaussj, PivotThreshold) {
  int32 invertible = 1;
  auto tiny = matrix_of({{1e-11}});
  gaussj(*tiny, 1, invertible);
  EXPECT_EQ(invertible, 0);
  auto limit = matrix_of({{1e-10}});
  gaussj(*limit, 1, invertible);
  EXPECT_EQ(invertible, 1);
  EXPECT_EQ((*limit)(1, 1), 1.0 / 1e-10);
  auto negative = matrix_of({{-1e-10}});
  gaussj(*negative, 1, invertible);
  EXPECT_EQ(invertible, 1);
}

TEST(Gaussj, NanOnlyMatrixFails) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto a = matrix_of({{nan, nan}, {nan, nan}});
  GaussjTrace trace;
  int32 invertible = 1;
  gaussj(*a, 2, invertible, trace);
  EXPECT_EQ(invertible, 0);
  EXPECT_EQ(trace.steps_done, 0);
  auto one = matrix_of({{nan}});
  gaussj(*one, 1, invertible);
  EXPECT_EQ(invertible, 0);
}

TEST(Gaussj, NanNeverBecomesThePivot) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto a = matrix_of({{2, nan}, {nan, nan}});
  GaussjTrace trace;
  int32 invertible = 1;
  gaussj(*a, 2, invertible, trace);
  EXPECT_EQ(trace.step_row(1), 1);
  EXPECT_EQ(trace.step_column(1), 1);
  EXPECT_EQ(invertible, 0);  // the second search meets only NaN
}

TEST(Gaussj, InvertsRandomSymmetricMatricesOfOrder64) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int order : {5, 64}) {
    auto b = std::make_unique<ParamMatrix>();
    for (int r = 1; r <= order; ++r)
      for (int c = 1; c <= order; ++c) (*b)(r, c) = u(gen);
    auto a = std::make_unique<ParamMatrix>();
    for (int r = 1; r <= order; ++r)
      for (int c = 1; c <= order; ++c) {
        double s = r == c ? 1.0 : 0.0;
        for (int k = 1; k <= order; ++k) s += (*b)(k, r) * (*b)(k, c);
        (*a)(r, c) = s;
      }
    auto inverse = std::make_unique<ParamMatrix>(*a);
    int32 invertible = 0;
    gaussj(*inverse, static_cast<int16>(order), invertible);
    ASSERT_EQ(invertible, 1);
    for (int r = 1; r <= order; ++r)
      for (int c = 1; c <= order; ++c) {
        double s = 0.0;
        for (int k = 1; k <= order; ++k) s += (*a)(r, k) * (*inverse)(k, c);
        EXPECT_NEAR(s, r == c ? 1.0 : 0.0, 1e-9);
      }
  }
}

TEST(Gaussj, NonSymmetricMatrix) {
  auto a = matrix_of({{0, 2, 1}, {1, 0, 0}, {3, 1, 4}});
  auto original = std::make_unique<ParamMatrix>(*a);
  int32 invertible = 0;
  gaussj(*a, 3, invertible);
  ASSERT_EQ(invertible, 1);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) {
      double s = 0.0;
      for (int k = 1; k <= 3; ++k) s += (*original)(r, k) * (*a)(k, c);
      EXPECT_NEAR(s, r == c ? 1.0 : 0.0, 1e-14);
    }
}

}  // namespace
}  // namespace tarn
