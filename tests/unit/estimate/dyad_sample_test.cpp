// The case-control pseudo-likelihood against the fit over every dyad: the same fit when the
// controls are every empty dyad, estimates within their reported sampling error when they are a
// sample, the same bits on one thread and on two, and when it is used.
#include "estimate/dyad_sample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "estimate/pseudo_likelihood_estimator.h"
#include "model/model.h"
#include "mple/pseudo_likelihood.h"
#include "network/usage_error.h"

namespace tarn {
namespace {

struct World {
  NodeCovariates attributes;
};

// n nodes in departments of 50; about `degree` links out of each node, nine in ten within its
// department, three in ten returned (as bench/make_large_network draws them).
Study study_of(const std::string& formula, int n, bool directed, double degree, unsigned seed,
               World& w) {
  std::mt19937_64 random(seed);
  w.attributes.node_count = n;
  w.attributes.source = "attributes.csv";
  AttributeColumn dept{"dept", {}};
  for (int i = 0; i < n; ++i) dept.value.push_back(std::to_string(i / 50 + 1));
  w.attributes.columns = {dept};
  TermContext context;
  context.directed = directed;
  context.node_count = n;
  context.attributes = &w.attributes;
  std::vector<std::pair<int, int>> links;
  auto node = [&](std::uint64_t below) { return static_cast<int>(random() % below); };
  for (int a = 1; a <= n; ++a) {
    for (int k = 0; k < static_cast<int>(degree); ++k) {
      const int first = (a - 1) / 50 * 50 + 1;
      const int b = node(10) != 0 ? std::min(n, first + node(50)) : 1 + node(std::uint64_t(n));
      if (a == b) continue;
      links.emplace_back(directed ? a : std::min(a, b), directed ? b : std::max(a, b));
      if (directed && node(10) < 3) links.emplace_back(b, a);
    }
  }
  std::sort(links.begin(), links.end());
  links.erase(std::unique(links.begin(), links.end()), links.end());
  NetworkBuilder builder("test", command_line_limits);
  builder.declare_nodes(n);
  for (const auto& [a, b] : links) builder.add_link(a, b);
  Study study;
  study.network = std::move(builder).finish();
  study.model = model_of_formula(formula, context);
  study.estimate_bound = std::numeric_limits<double>::infinity();
  return study;
}

EstimatorSettings sample_settings(std::int64_t size, std::uint64_t seed, int threads) {
  EstimatorSettings settings;
  settings.sampling.dyad_sample = size;
  settings.sampling.seed = seed;
  settings.sampling.threads = threads;
  return settings;
}

void expect_close(double got, double want, const std::string& what) {
  EXPECT_NEAR(got, want, 1e-10 * (1.0 + std::fabs(want))) << what;
}

TEST(DyadSample, EveryEmptyDyadGivesTheFitOverEveryDyad) {
  const struct {
    const char* formula;
    bool directed;
  } cases[] = {
      {"edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)", true},
      {"edges + mutual + ttriple + ctriple + istar(2)", true},
      {"edges + triangle + gwesp(0.3, fixed=TRUE) + nodematch(dept)", false},
  };
  for (const auto& c : cases) {
    World w;
    const Study study = study_of(c.formula, 400, c.directed, 6, 3, w);
    const FitResult want = fit_pseudo_likelihood(study);
    ASSERT_EQ(want.end, FitEnd::completed) << c.formula;
    for (const int threads : {1, 2}) {
      const Estimate got =
          fit_by_dyad_sample(study, sample_settings(study.dyad_count(), 1, threads));
      ASSERT_TRUE(got.start.usable()) << c.formula;
      EXPECT_TRUE(got.errors.sampling_percent.empty());
      ASSERT_TRUE(got.dyad_sample.has_value());
      EXPECT_TRUE(got.dyad_sample->every_empty_dyad);
      const FitResult& r = got.start.result;
      EXPECT_EQ(r.tie_total, want.tie_total);
      EXPECT_EQ(r.class_table, want.class_table) << c.formula;
      expect_close(r.loglik, want.loglik, std::string(c.formula) + ", log-likelihood");
      expect_close(r.pearson_sum, want.pearson_sum, std::string(c.formula) + ", Pearson");
      for (int k = 1; k <= r.parameter_count; ++k) {
        expect_close(r.estimate(k), want.estimate(k), c.formula);
        for (int l = 1; l <= r.parameter_count; ++l) {
          expect_close(got.errors.covariance(k, l), want.covariance(k, l), c.formula);
        }
      }
    }
  }
}

// Five seeds of the default sample on 3000 nodes: each estimate within 4 of its sampling
// standard errors of the estimate over every dyad (a chance of about 6e-5 each to fail were the
// errors right), the sampling share within 0..100, and the seeds giving different estimates.
// The threads change no bit.
TEST(DyadSample, SampledEstimatesLieWithinTheirSamplingError) {
  World w;
  const Study study =
      study_of("edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)", 3000, true, 7, 5, w);
  const FitResult full = fit_pseudo_likelihood(study);
  ASSERT_EQ(full.end, FitEnd::completed);
  const std::int64_t size = default_dyad_sample(study.dyad_count(), study.network.link_count);
  std::vector<double> first_edges;
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    const Estimate e = fit_by_dyad_sample(study, sample_settings(size, seed, 2));
    ASSERT_TRUE(e.start.usable()) << seed;
    ASSERT_EQ(e.errors.sampling_percent.size(), 4u);
    ASSERT_TRUE(e.dyad_sample.has_value());
    EXPECT_EQ(e.dyad_sample->controls, size);
    for (int k = 1; k <= 4; ++k) {
      const double share = e.errors.sampling_percent[std::size_t(k - 1)];
      EXPECT_GT(share, 0.0);
      EXPECT_LT(share, 100.0);
      const double sampling_se = std::sqrt(e.errors.covariance(k, k) * share / 100.0);
      const double z = (e.start.result.estimate(k) - full.estimate(k)) / sampling_se;
      EXPECT_LT(std::fabs(z), 4.0) << "seed " << seed << ", parameter " << k;
    }
    first_edges.push_back(e.start.result.estimate(1));
    if (seed == 1) {
      const Estimate one = fit_by_dyad_sample(study, sample_settings(size, seed, 1));
      for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(one.start.result.estimate(k), e.start.result.estimate(k));
        EXPECT_EQ(one.errors.covariance(k, k), e.errors.covariance(k, k));
      }
    }
  }
  EXPECT_NE(first_edges[0], first_edges[1]);
}

// The sample is used where asked, and on its own only past the sweep's limit for a model that the
// dyad classes cannot fit, with a note; --dyad-sample takes 1 or more and the naive errors only.
TEST(DyadSample, UsedWhereAskedOrPastTheSweepWithANote) {
  EXPECT_EQ(default_dyad_sample(std::int64_t{1000000} * 999999, 7000000), 56000000);
  EXPECT_EQ(default_dyad_sample(90, 12), 320);
  World w;
  const Study small = study_of("edges + mutual + gwesp(0.5, fixed=TRUE)", 100, true, 3, 1, w);
  EXPECT_FALSE(samples_dyads(small, EstimatorSettings{}));
  EXPECT_TRUE(samples_dyads(small, sample_settings(10, 1, 1)));
  EXPECT_THROW(check_pseudo_likelihood_settings(sample_settings(0, 1, 1)), UsageError);
  EstimatorSettings godambe = sample_settings(10, 1, 1);
  godambe.errors = "godambe";
  EXPECT_THROW(check_pseudo_likelihood_settings(godambe), UsageError);

  World big;
  const Study large =
      study_of("edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)", 40000, true, 3, 2, big);
  ASSERT_GT(large.dyad_count(), largest_sweep);
  ASSERT_TRUE(samples_dyads(large, EstimatorSettings{}));
  const Estimate e = fit_by_pseudo_likelihood(large, EstimatorSettings{}, {});
  ASSERT_TRUE(e.converged);
  ASSERT_FALSE(e.warnings.empty());
  EXPECT_EQ(e.warnings.front().code, "dyad_sample_used");
  EXPECT_EQ(e.warnings.front().count("controls"), 8 * large.network.link_count);
  EXPECT_FALSE(e.log_likelihood.has_value());
  ASSERT_TRUE(e.dyad_sample.has_value());
  EXPECT_TRUE(e.dyad_sample->automatic);
}

}  // namespace
}  // namespace tarn
