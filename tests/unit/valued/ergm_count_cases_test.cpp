// ergm.count's own tests of simulation (tests/testthat/test-valued-sim.R): `sum` alone on 3
// nodes at a coefficient whose mean count per dyad is known, under each reference and proposal;
// the discrete uniform ones reach both ends of their range (ergm.count's cases of negative values
// are left out: Tarnwick's counts are never negative, and DiscUnif refuses a below 0). And its
// test of the fit (test-valued-fit.R): the Poisson `sum` on 5 nodes, whose log-likelihood is
// ergm's plus the reference's own at coefficient 0 (ergm's is relative to it).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "mcmle/sample_moments.h"
#include "support/small_valued_models.h"
#include "valued/valued_fit.h"
#include "valued/valued_sampler.h"

namespace tarn {
namespace {

// The mean of a discrete uniform reference on a..b tilted by exp(theta * y).
double tilted_uniform_mean(double theta, int a, int b) {
  double total = 0.0, weighted = 0.0;
  for (int y = a; y <= b; ++y) {
    total += std::exp(theta * y);
    weighted += y * std::exp(theta * y);
  }
  return weighted / total;
}

struct SimulationCase {
  bool directed;
  std::string reference, proposal;  // empty proposal: the default
  double coefficient, mean;
};

TEST(ErgmCountCases, SumAloneDrawsCountsOfTheKnownMean) {
  const SimulationCase cases[] = {
      {true, "Poisson", "", std::log(2.0), 2.0},
      {true, "Poisson", "Poisson", std::log(2.0), 2.0},
      {true, "Poisson", "ZIPoisson", std::log(2.0), 2.0},
      {true, "Geometric", "", std::log(2.0 / 3.0), 2.0},
      {true, "Binomial(5)", "", std::log(0.4 / 0.6), 2.0},
      {false, "DiscUnif(0, 4)", "", 0.0, 2.0},
      {false, "DiscUnif(1, 3)", "", 0.0, 2.0},
      {false, "DiscUnif(1, 4)", "", 1.0, tilted_uniform_mean(1.0, 1, 4)},
      {false, "DiscUnif(0, 2)", "", 1.0, tilted_uniform_mean(1.0, 0, 2)},
  };
  for (const SimulationCase& c : cases) {
    SCOPED_TRACE(c.reference + " " + c.proposal);
    const test::Built b = test::build({"sum", c.directed, 3, c.reference});
    const Reference& reference = b.model.reference;
    const ValuedProposal proposal =
        c.proposal.empty() ? default_proposal(reference) : proposal_named(c.proposal, reference);
    ValuedGraph start(3, c.directed);
    if (reference.low > 0) start = b.space.lowest();
    ValuedChains chains(b.model, start, proposal, 4, 7, 1);
    const ValuedDraws d = chains.draw({c.coefficient}, 4000, 2000, 20, true);
    const double dyads = c.directed ? 6 : 3;
    std::vector<Vector> per_dyad;
    int least = 1 << 20, most = -(1 << 20);
    for (std::size_t k = 0; k < d.statistics.size(); ++k) {
      per_dyad.push_back({d.statistics[k][0] / dyads});
      for (const auto& [i, j] : b.space.dyads()) {
        least = std::min(least, d.networks[k].value(i, j));
        most = std::max(most, d.networks[k].value(i, j));
      }
    }
    const SampleMoments m = sample_moments(per_dyad, 4);
    EXPECT_NEAR(m.mean[0], c.mean, 4 * m.sd[0] / std::sqrt(m.effective_size[0]));
    if (reference.kind == ReferenceKind::discrete_uniform) {
      EXPECT_EQ(least, reference.low);
      EXPECT_EQ(most, reference.high);
    }
  }
}

TEST(ErgmCountCases, PoissonSumFitAndItsLogLikelihood) {
  // Counts as rpois(20, 2) might give them, one per dyad of 5 nodes.
  const std::vector<int> values = {2, 1, 3, 0, 2, 4, 1, 2, 2, 3, 0, 1, 5, 2, 1, 2, 3, 2, 0, 2};
  const test::Built b = test::build({"sum", true, 5, "Poisson"});
  ASSERT_EQ(b.space.dyads().size(), values.size());
  const ValuedGraph observed = test::network_of(b.space, values);
  const ValuedFit fit =
      fit_valued(b.model, observed, McmleControl{}, default_proposal(b.model.reference));
  double total = 0.0, log_poisson_one = 0.0;
  for (const int y : values) {
    total += y;
    log_poisson_one += -1.0 - std::lgamma(y + 1.0);
  }
  const double mean = total / 20.0;
  ASSERT_EQ(fit.outcome, "converged");
  EXPECT_NEAR(fit.estimate[0], std::log(mean), 1e-9);
  double ergm_log_likelihood = 0.0;
  for (const int y : values) {
    ergm_log_likelihood += (y * std::log(mean) - mean) - (-1.0);
  }
  ASSERT_TRUE(fit.log_likelihood);
  EXPECT_NEAR(*fit.log_likelihood - log_poisson_one, ergm_log_likelihood, 1e-9);
}

}  // namespace
}  // namespace tarn
