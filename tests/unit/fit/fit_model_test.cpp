#include "fit/fit_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "fit/pseudo_likelihood.h"
#include "unit/fit/fit_support.h"

namespace tarn {
namespace {

using test::ReportFile;
using test::set_model;
using test::World;

std::string right(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

TEST(WorkedExample, FitResults) {
  World w(test::ring_of_ten());
  set_model(w, {1});
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  const Stats& st = w.rec.stats;
  EXPECT_EQ(w.screen.str(), " Pass  1.. 2.. 3.. Final\n");
  EXPECT_EQ(st.dyad_count, 90);
  EXPECT_EQ(state->tie_total, 18.0);
  EXPECT_NEAR(state->estimate(1), std::log(18.0 / 72.0), 1e-12);
  EXPECT_NEAR(st.null_loglik, -45.036218, 1e-6);
  EXPECT_NEAR(st.loglik, -45.036218, 1e-6);
  EXPECT_NEAR(st.abs_resid_sum, 28.8, 1e-9);
  EXPECT_NEAR(st.sq_resid_sum, 14.4, 1e-9);
  EXPECT_NEAR(st.pearson_sum, 90.0, 1e-9);
  EXPECT_EQ(st.class_table(1, 1), 72);
  EXPECT_EQ(st.class_table(2, 1), 18);
  EXPECT_EQ(st.class_table(1, 2), 0);
  EXPECT_EQ(st.class_table(2, 2), 0);
  EXPECT_NEAR(state->covariance(1, 1), 1.0 / (90 * 0.2 * 0.8), 1e-12);
  EXPECT_EQ(state->too_many_iterations, 0);
  EXPECT_EQ(state->final_invertible, 1);
  EXPECT_EQ(state->newton_passes, 1);
  EXPECT_EQ(state->zero_weight_dyads, 0);
}

TEST(WorkedExample, WholeReport) {
  World w(test::ring_of_ten());
  set_model(w, {1});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  const std::string stats_lines = "\n -2 Log Likelihood = " + right("90.072", 20) +
                                  "\n Goodness of Fit   = " + right("90.000", 20) +
                                  "\n Model Chisquare =   " + right("34.694", 20) +
                                  "     df =   1\n";
  const std::string parameter_lines =
      "\n Parameter   Block           b        S.E.        Wald      exp(b)\n"
      "        1         " +
      right("-1.3863", 12) + right("0.2635", 12) + right("27.6741", 12) + right("0.2500", 12) +
      "\n";
  const std::string screen = " Pass  1.. 2.. 3.. Final\n" + stats_lines +
                             "\n               Fit       % Correct      Residuals\n"
                             " Data       72       0      100.00      Absolute" +
                             right("28.8000", 20) +
                             "\n"
                             "            18       0        0.00      Squared " +
                             right("14.4000", 20) +
                             "\n"
                             "               Overall       80.00\n" +
                             parameter_lines;
  EXPECT_EQ(w.screen.str(), screen);
  const std::string report = " Parameters:   1\n" + stats_lines +
                             "\n             Predicted\n"
                             "                 0 |       1   % Correct                Residuals\n"
                             "                 0 |       1\n"
                             " Observed ---------+---------\n"
                             "   0   0        72 |       0      100.00      Absolute" +
                             right("28.8000", 20) +
                             "\n"
                             "          ---------+---------\n"
                             "   1   1        18 |       0        0.00      Squared " +
                             right("14.4000", 20) +
                             "\n"
                             "          ---------+---------\n"
                             "                     Overall       80.00\n" +
                             parameter_lines +
                             "\n Covariance matrix\n"
                             " Parm               1\n"
                             "      Blk            \n"
                             "\n"
                             "    1         1.00000\n"
                             "\f\n";
  EXPECT_EQ(file.text(), report);
}

TEST(WorkedExample, DiagonalIncluded) {
  World w(test::ring_of_ten());
  set_model(w, {1}, /*skip_diagonal=*/false);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_EQ(w.rec.stats.dyad_count, 100);
  EXPECT_NEAR(state->estimate(1), std::log(18.0 / 82.0), 1e-12);
  EXPECT_EQ(w.rec.stats.class_table(1, 1), 82);
  EXPECT_EQ(w.rec.stats.class_table(2, 1), 18);
}

TEST(NoParameters, EveryDyadHalf) {
  World w(test::ring_of_ten());
  set_model(w, {});
  ReportFile file(w);
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  const Stats& st = w.rec.stats;
  EXPECT_EQ(w.screen.str(), " Pass  1.. 2.. 3.. Final\n");
  EXPECT_NEAR(st.loglik, -90.0 * std::log(2.0), 1e-12);
  EXPECT_EQ(st.class_table(1, 2), 72);
  EXPECT_EQ(st.class_table(2, 2), 18);
  EXPECT_EQ(st.class_table(1, 1), 0);
  EXPECT_EQ(st.class_table(2, 1), 0);
  EXPECT_DOUBLE_EQ(st.pearson_sum, 90.0);
}

TEST(NoParameters, Report) {
  World w(test::ring_of_ten());
  set_model(w, {});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  const std::string text = file.text();
  EXPECT_EQ(text.substr(0, 14), " Parameters: \n");
  EXPECT_NE(w.screen.str().find(" Model Chisquare =   " + right("0.000", 20) + "     df =   0\n"),
            std::string::npos);
  const std::string tail =
      "\n Parameter   Block           b        S.E.        Wald      exp(b)\n"
      "\n Covariance matrix\n"
      " Parm    \n"
      "      Blk\n"
      "\n"
      "\f\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(Dependence, RepeatedColumn) {
  World w(test::ring_of_ten());
  set_model(w, {1, 1});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  EXPECT_EQ(w.screen.str(), " Pass  1\n Statistics linearly dependent! Try again...\n");
  EXPECT_EQ(file.text(), "");
}

TEST(Dependence, ZeroColumn) {
  // No tie of this network is reciprocated: the reciprocated-triad statistic is 0 everywhere.
  World w(test::ring_of_ten());
  set_model(w, {1, 15});
  auto state = std::make_unique<FitState>();
  EXPECT_EQ(run_fit(w.rec, w.io, *state), FitEnd::dependent);
  EXPECT_EQ(w.screen.str(), " Pass  1\n Statistics linearly dependent! Try again...\n");
}

TEST(NullModel, NoTiesGivesNaN) {
  World w({{10, 10}});  // the only link is a self-tie, left out with the diagonal
  set_model(w, {1});
  ReportFile file(w);
  fit_model(w.rec, w.io);
  EXPECT_TRUE(std::isnan(w.rec.stats.null_loglik));
  EXPECT_TRUE(std::isfinite(w.rec.stats.loglik));
  const std::string screen = w.screen.str();
  EXPECT_NE(screen.find(" Model Chisquare =   " + right("NaN", 20) + "     df =   1\n"),
            std::string::npos);
  // No dyad with a tie: the row-1 percentage divides 0 by 0.
  EXPECT_NE(screen.find("      " + right("0", 8) + right("0", 8) + right("NaN", 12)),
            std::string::npos);
  EXPECT_NE(screen.find(" -2 Log Likelihood = "), std::string::npos);
}

TEST(NullModel, EveryDyadTiedGivesNaN) {
  test::LinkList complete;
  for (int i = 1; i <= 5; ++i)
    for (int j = 1; j <= 5; ++j)
      if (i != j) complete.emplace_back(i, j);
  World w(complete);
  set_model(w, {1});
  auto state = std::make_unique<FitState>();
  ASSERT_EQ(run_fit(w.rec, w.io, *state), FitEnd::completed);
  EXPECT_TRUE(std::isnan(w.rec.stats.null_loglik));
  EXPECT_TRUE(std::isfinite(w.rec.stats.loglik));
  EXPECT_GT(state->estimate(1), 5.0);
}

}  // namespace
}  // namespace tarn
