// Goodness of fit where the model is right: a network drawn from a dyad-independent model, fitted
// with that model, lies inside the simulated bands of its degree distributions almost everywhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulate/gof_summary.h"
#include "simulate/network_features.h"
#include "simulate/sampler.h"
#include "support/brute_force.h"
#include "support/fits.h"

namespace tarn {
namespace {

TEST(GofAgreement, ARightModelFitsTheDegreeDistributions) {
  const int n = 60;
  // The "observed" network: one draw from edges and mutual ties, started from a network of about
  // the size they give.
  test::Fitted truth{test::network_of(test::random_network(n, 0.07, 0.3, 5)),
                     test::model_of({1, 2}),
                     {},
                     {},
                     false,
                     {}};
  truth.fit();
  std::vector<double> coefficients = {truth.result.estimate(1), truth.result.estimate(2)};
  SamplerSettings settings = default_sampler_settings(400, n * (n - 1));
  settings.seed = 21;
  Network observed;
  const SampleSummary first =
      sample_networks(truth.data(), coefficients, 1, settings,
                      [&observed](int, const TermGraph& g, const std::vector<double>&) {
                        observed = g.to_network();
                      });
  ASSERT_FALSE(first.capacity_stop.found);
  ASSERT_FALSE(first.evidence.degenerate()) << first.evidence.mean_links << " links";
  ASSERT_GT(observed.link_count, 100);

  test::Fitted fitted{observed, test::model_of({1, 2}), {}, {}, false, {}};
  ASSERT_EQ(fitted.fit().end, FitEnd::completed);
  coefficients = {fitted.result.estimate(1), fitted.result.estimate(2)};
  settings.seed = 22;
  std::vector<NetworkFeatures> simulated(100);
  const SampleSummary sample =
      sample_networks(fitted.data(), coefficients, 100, settings,
                      [&simulated](int k, const TermGraph& g, const std::vector<double>&) {
                        simulated[std::size_t(k)] = network_features(g.to_network());
                      });
  ASSERT_FALSE(sample.capacity_stop.found);
  const GofSummary summary = summarize_gof(network_features(observed), simulated, {});
  for (const std::string feature : {"out_degree", "in_degree"}) {
    int inside = 0, values = 0;
    for (const GofRow& row : summary.rows) {
      if (row.feature != feature) continue;
      ++values;
      inside += row.observed >= row.lower && row.observed <= row.upper ? 1 : 0;
    }
    ASSERT_GT(values, 5) << feature;
    EXPECT_GE(inside, 0.85 * values) << feature << ": " << inside << " of " << values;
  }
}

}  // namespace
}  // namespace tarn
