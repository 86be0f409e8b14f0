// Fits at the edges: the pass limit, estimates at the bound, fitted probabilities of exactly 0
// or 1, and a final inversion that fails.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "fit/fit_model.h"
#include "fit/pseudo_likelihood.h"
#include "unit/fit/fit_support.h"

namespace tarn {
namespace {

using test::LinkList;
using test::ReportFile;
using test::set_model;
using test::World;

using Values = std::map<std::pair<int, int>, int>;

std::string comparative_text(const Values& values) {
  std::string text = "(3I6)\n";
  for (const auto& [dyad, value] : values) {
    char line[32];
    std::snprintf(line, sizeof line, "%6d%6d%6d\n", dyad.first, dyad.second, value);
    text += line;
  }
  return text;
}

std::string right(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

const char* full_progress = " Pass  1.. 2.. 3.. 4.. 5.. 6.. 7.. 8.. 9..10..11..12.. Final\n";

// Every tie of this network is reciprocated.
LinkList all_reciprocated() {
  return {{1, 2}, {1, 5}, {1, 6}, {2, 1}, {2, 3}, {3, 2}, {3, 7}, {4, 5},
          {5, 1}, {5, 4}, {6, 1}, {6, 8}, {7, 3}, {8, 6}, {8, 9}, {9, 8}};
}

TEST(PassLimit, ReciprocityRunsToTheBound) {
  // Every dyad whose reverse tie exists is a tie, and every other dyad is not: the estimates
  // diverge, the reciprocity estimate is held at 15 and the pass limit ends the iteration.
  World w(all_reciprocated());
  set_model(w, {1, 2});
  ReportFile file(w);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(w.screen.str(), full_progress);
  EXPECT_EQ(state->too_many_iterations, 1);
  EXPECT_EQ(state->newton_passes, 10);
  EXPECT_EQ(state->estimate(2), 15.0);
  EXPECT_LT(state->estimate(1), -10.0);
  EXPECT_EQ(state->final_invertible, 1);
}

TEST(PassLimit, ReportCarriesTheNotice) {
  World w(all_reciprocated());
  set_model(w, {1, 2});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  const std::string screen = w.screen.str();
  const std::string notice = " Too many iterations! Returning partial results.\n";
  EXPECT_NE(screen.find(std::string(full_progress) + "\n" + notice + "\n -2 Log Likelihood = "),
            std::string::npos);
  EXPECT_NE(file.text().find(" Parameters:   1  2\n" + notice + "\n -2 Log Likelihood = "),
            std::string::npos);
  EXPECT_NE(screen.find("        2         " + right("15.0000", 12)), std::string::npos);
  EXPECT_EQ(screen.find("NaN"), std::string::npos);
  EXPECT_EQ(file.text().find("NaN"), std::string::npos);
}

// The comparative value is 1 on every tie, 5 on one of them, absent elsewhere: the comparative
// statistic separates ties from non-ties, its estimate is held at 15, and the dyad with value 5
// reaches a fitted probability of exactly 1 (weight 0) in the Newton passes.
TEST(ZeroWeight, SeparatingStatisticAtTheBound) {
  World w(test::ring_of_ten());
  Values values;
  for (const auto& link : test::ring_of_ten()) values[link] = 1;
  values[{4, 6}] = 5;
  w.open_comparative(comparative_text(values));
  set_model(w, {1, 16});
  ReportFile file(w);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(state->too_many_iterations, 1);
  EXPECT_EQ(state->estimate(2), 15.0);
  EXPECT_GT(state->zero_weight_dyads, 0);
  EXPECT_EQ(state->final_invertible, 1);
  const Stats& st = w.rec.stats;
  EXPECT_TRUE(std::isfinite(st.loglik));
  EXPECT_TRUE(std::isfinite(st.pearson_sum));
  EXPECT_TRUE(std::isfinite(st.abs_resid_sum));
  EXPECT_TRUE(std::isfinite(state->covariance(1, 1)));
  EXPECT_EQ(st.class_table(1, 1) + st.class_table(2, 2), 90);  // every dyad classified right
}

TEST(ZeroWeight, NoNaNInTheReport) {
  World w(test::ring_of_ten());
  Values values;
  for (const auto& link : test::ring_of_ten()) values[link] = 1;
  values[{4, 6}] = 5;
  w.open_comparative(comparative_text(values));
  set_model(w, {1, 16});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  EXPECT_EQ(w.screen.str().find("NaN"), std::string::npos);
  EXPECT_EQ(file.text().find("NaN"), std::string::npos);
  EXPECT_NE(file.text().find("\f\n"), std::string::npos);
}

// A covariate with one extreme value on a tie: at any sensible estimate that dyad is fitted
// with probability exactly 1. It must add nothing to the weighted matrix and its (zero) score,
// and the fit converges as if it were predicted perfectly.
TEST(ZeroWeight, ExtremeValueOnATieConverges) {
  Values values;
  int q = 0;
  for (const auto& link : test::ring_of_ten()) {
    if (++q % 2 == 1) values[link] = 1;
  }
  for (int i = 1; i <= 10; ++i) {
    for (int j = 1; j <= 10; ++j) {
      if (i != j && (i * 7 + j * 3 + 1) % 5 == 0 && !values.count({i, j})) values[{i, j}] = 1;
    }
  }
  for (int extreme : {100, 1000}) {
    SCOPED_TRACE(extreme);
    World w(test::ring_of_ten());
    values[{5, 7}] = extreme;
    w.open_comparative(comparative_text(values));
    set_model(w, {1, 16});
    auto state = std::make_unique<FitState>();
    ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
    EXPECT_EQ(state->too_many_iterations, 0);
    EXPECT_GT(state->zero_weight_dyads, 0);
    EXPECT_EQ(state->final_invertible, 1);
    // The same estimates whatever the extreme value: the dyad (5, 7) is fitted exactly and the
    // other dyads alone decide.
    EXPECT_NEAR(state->estimate(1), -1.8718, 1e-4);
    EXPECT_NEAR(state->estimate(2), 1.07329, 1e-4);
    EXPECT_NEAR(w.rec.stats.pearson_sum, 89.0, 1e-6);
    EXPECT_TRUE(std::isfinite(w.rec.stats.loglik));
    EXPECT_TRUE(std::isfinite(state->covariance(2, 2)));
  }
}

// The estimates run to the bound, and at the final estimates some dyads are predicted with
// probability exactly 0 or 1 against their observation: the goodness of fit is infinite.
TEST(ZeroWeight, DyadPredictedExactlyWrongGivesInfiniteGoodnessOfFit) {
  World w({{1, 6}, {2, 4}, {3, 4}, {4, 6}, {4, 2}, {4, 3}, {5, 6}, {6, 4}});
  set_model(w, {4, 5, 10});
  ReportFile file(w);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_TRUE(std::isinf(w.rec.stats.pearson_sum));
  EXPECT_TRUE(std::isfinite(w.rec.stats.loglik));
  fit_model(w.rec, w.io);
  EXPECT_NE(w.screen.str().find(" Goodness of Fit   = " + right("Infinity", 20) + "\n"),
            std::string::npos);
}

// The pass limit leaves estimates at the bound at which the weighted matrix of the final pass
// cannot be inverted. The report is still written, with the estimates, and NaN for every
// standard error, Wald value and correlation.
LinkList final_inversion_fails() {
  return {{1, 7},  {1, 5}, {2, 4}, {2, 7}, {2, 10}, {2, 9},  {3, 9}, {3, 7}, {4, 6},
          {4, 7},  {4, 8}, {4, 9}, {4, 2}, {5, 1},  {5, 10}, {5, 9}, {5, 6}, {6, 5},
          {6, 10}, {6, 4}, {7, 3}, {7, 9}, {7, 2},  {7, 1},  {7, 4}, {8, 4}, {9, 3},
          {9, 4},  {9, 7}, {9, 2}, {9, 5}, {10, 5}, {10, 6}, {10, 2}};
}

TEST(FinalInversion, FailureLeavesNaNCovariance) {
  World w(final_inversion_fails());
  set_model(w, {6, 12});
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(state->final_invertible, 0);
  EXPECT_EQ(state->estimate(1), -15.0);
  EXPECT_EQ(state->estimate(2), 15.0);
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 2; ++c) EXPECT_TRUE(std::isnan(state->covariance(r, c)));
}

TEST(FinalInversion, ReportShowsEstimatesAndNaN) {
  World w(final_inversion_fails());
  set_model(w, {6, 12});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  const std::string nan12 = right("NaN", 12);
  const std::string rows = "        6         " + right("-15.0000", 12) + nan12 + nan12 +
                           right("0.0000", 12) + "\n       12         " + right("15.0000", 12) +
                           nan12 + nan12 + right("3269017.3725", 12) + "\n";
  EXPECT_NE(w.screen.str().find(rows), std::string::npos);
  const std::string text = file.text();
  EXPECT_NE(text.find(rows), std::string::npos);
  EXPECT_NE(text.find("    6    " + nan12 + nan12 + "\n   12    " + nan12 + nan12 + "\n\f\n"),
            std::string::npos);
}

// The estimates diverge until the weighted matrix of a Newton pass has no usable pivot: the fit
// ends in that pass with its message and without a report.
TEST(NewtonFailure, MessageAndNoReport) {
  World w({{1, 5},
           {1, 6},
           {1, 4},
           {1, 2},
           {2, 1},
           {2, 7},
           {3, 5},
           {3, 4},
           {4, 3},
           {4, 1},
           {4, 6},
           {5, 1},
           {5, 3},
           {6, 4},
           {6, 1},
           {7, 2}});
  set_model(w, {7, 13});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  EXPECT_EQ(w.screen.str(),
            " Pass  1.. 2.. 3.. 4.. 5.. 6.. 7.. 8\n Error in inverting wxsq matrix!\n");
  EXPECT_EQ(file.text(), "");
}

}  // namespace
}  // namespace tarn
