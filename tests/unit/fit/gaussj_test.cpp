#include "fit/gaussj.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

namespace tarn {
namespace {

using Rows = std::vector<std::vector<double>>;
const double nan = std::numeric_limits<double>::quiet_NaN();

std::unique_ptr<ParamMatrix> matrix_of(const Rows& rows) {
  auto a = std::make_unique<ParamMatrix>();
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      (*a)(static_cast<int>(r) + 1, static_cast<int>(c) + 1) = rows[r][c];
  return a;
}

void expect_block(const ParamMatrix& a, const Rows& rows, double tolerance) {
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      EXPECT_NEAR(a(static_cast<int>(r) + 1, static_cast<int>(c) + 1), rows[r][c], tolerance)
          << "entry (" << r + 1 << ", " << c + 1 << ")";
}

TEST(Gaussj, WorkedExampleStepByStep) {
  auto a = matrix_of({{4, 7}, {2, 6}});
  Rows seen;
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
  // The second step is seen before the closing column exchange.
  const Rows expected = {{-10.0 / 7, -6.0 / 7, 4.0 / 7, 1.0 / 7}, {-0.7, 0.6, 0.4, -0.2}};
  ASSERT_EQ(seen.size(), 2u);
  for (std::size_t s = 0; s < 2; ++s)
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(seen[s][k], expected[s][k], 1e-15);
  expect_block(*a, {{0.6, -0.7}, {-0.2, 0.4}}, 1e-15);
}

// Singular matrices, the pivot threshold 1e-10, NaN entries and ties between pivots.
struct EdgeCase {
  const char* name;
  Rows a;
  int invertible;
  int steps_done = -1;                  // -1: not checked
  int pivot_row = 0, pivot_column = 0;  // of the first step; 0: not checked
  Rows inverse = {};                    // empty: not checked; compared exactly
};

TEST(Gaussj, EdgeCases) {
  const EdgeCase cases[] = {
      {"all ones fail at the second step", {{1, 1}, {1, 1}}, 0, 1, 2, 2},
      {"zero row", {{1, 2, 3}, {0, 0, 0}, {4, 5, 7}}, 0},
      {"zero column", {{1, 0, 3}, {2, 0, 5}, {4, 0, 7}}, 0},
      {"equal columns", {{1, 2, 1}, {3, 5, 3}, {2, 7, 2}}, 0},
      {"zeros", {{0, 0}, {0, 0}}, 0},
      {"pivot 1e-11", {{1e-11}}, 0},
      {"pivot 1e-10", {{1e-10}}, 1, -1, 0, 0, {{1.0 / 1e-10}}},
      {"pivot -1e-10", {{-1e-10}}, 1},
      {"only NaN", {{nan, nan}, {nan, nan}}, 0, 0},
      {"one NaN", {{nan}}, 0},
      {"NaN never the pivot", {{2, nan}, {nan, nan}}, 0, -1, 1, 1},
      {"ties go to the last largest entry", {{1, -3, 2}, {3, 0, 1}, {-3, 1, 1}}, 1, -1, 3, 1},
      {"permutation exchanges rows", {{0, 1}, {1, 0}}, 1, -1, 2, 1, {{0, 1}, {1, 0}}},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto a = matrix_of(c.a);
    GaussjTrace trace;
    int32 invertible = -1;
    gaussj(*a, static_cast<int16>(c.a.size()), invertible, trace);
    EXPECT_EQ(invertible, c.invertible);
    if (c.steps_done >= 0) {
      EXPECT_EQ(trace.steps_done, c.steps_done);
    }
    if (c.pivot_row > 0) {
      EXPECT_EQ(trace.step_row(1), c.pivot_row);
      EXPECT_EQ(trace.step_column(1), c.pivot_column);
    }
    if (!c.inverse.empty()) expect_block(*a, c.inverse, 0.0);
  }
}

}  // namespace
}  // namespace tarn
