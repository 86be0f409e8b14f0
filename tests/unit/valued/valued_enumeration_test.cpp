// Valued models on networks small enough to enumerate (six dyads of values 0..2, or 1..3):
// the chains' stationary distribution against the exact one, the fits against the exact MLE,
// and statistics at their bounds.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/chi_square.h"
#include "support/small_valued_models.h"
#include "valued/valued_fit.h"
#include "valued/valued_sampler.h"

namespace tarn {
namespace {

using test::Built;
using test::FitCase;
using test::Setting;
using test::ValuedSpace;

std::map<std::int64_t, double> exact_cells(const test::ValuedEnumeration& e, const Vector& eta) {
  const std::vector<double> p = test::probabilities(e, eta);
  std::map<std::int64_t, double> cells;
  for (std::size_t k = 0; k < p.size(); ++k) cells[std::int64_t(k)] = p[k];
  return cells;
}

constexpr int draws = 12000;
constexpr int interval = 30;

// Counts a drawn network in its cells: its code, or each dyad's value.
using Counts = std::map<std::int64_t, double>;
using Tally = std::function<void(const ValuedGraph&, Counts&)>;

Tally by_network(const ValuedSpace& space) {
  return [space](const ValuedGraph& g, Counts& count) { count[space.code(g)] += 1.0; };
}

// The networks of four chains (the sampler's own).
Counts chain_counts(const Built& b, const ValuedProposal& proposal, const Vector& eta,
                    const Tally& tally, int networks = draws) {
  ValuedChains chains(b.model, b.space.lowest(), proposal, 4, 11, 1);
  const ValuedDraws d = chains.draw(eta, networks, 50 * interval, interval, true);
  Counts count;
  for (std::size_t k = 0; k < d.networks.size(); ++k) {
    tally(d.networks[k], count);
    // The statistics the chain carries by change statistics are the network's.
    const Vector direct = b.model.statistics(d.networks[k]);
    for (std::size_t s = 0; s < direct.size(); ++s)
      EXPECT_NEAR(d.statistics[k][s], direct[s], 1e-9) << b.model.names[s];
  }
  return count;
}

// A chain whose acceptance ratio leaves out the proposal's own ratio q(y | y') / q(y' | y): the
// fault the chi-square test must see.
Counts counts_without_proposal_ratio(const Built& b, const ValuedProposal& proposal,
                                     const Vector& eta, const Tally& tally) {
  ValuedGraph g = b.space.lowest();
  const ReferenceWeights weights(b.model.reference);
  RandomStream random(11, 0);
  std::vector<double> change(eta.size());
  Counts count;
  for (std::int64_t step = 1; step <= std::int64_t(draws + 50) * interval; ++step) {
    const ProposedMove move = propose(g, proposal, b.model.reference, weights, random);
    if (move.valid) {
      std::fill(change.begin(), change.end(), 0.0);
      b.model.change(g, move.i, move.j, move.to, change.data());
      double log_accept = weights.log_weight(move.to) - weights.log_weight(g.value(move.i, move.j));
      for (std::size_t s = 0; s < eta.size(); ++s) log_accept += eta[s] * change[s];
      if (log_accept >= 0 || random.unit() < std::exp(log_accept)) g.set(move.i, move.j, move.to);
    }
    if (step > 50 * interval && step % interval == 0) tally(g, count);
  }
  return count;
}

struct ChainCase {
  Setting setting;
  Vector eta;
};

const std::vector<ChainCase>& chain_cases() {
  static const std::vector<ChainCase> cases = {
      {{"sum + mutual(form=\"min\")"}, {-0.4, 0.9}},
      {{"nonzero + transitiveweights"}, {-0.3, 0.5}},
      {{"sum + nodeocovar"}, {-0.5, 0.7}},
      {{"sum + nodecovar + transitiveweights(twopath=\"geomean\", combine=\"sum\", "
        "affect=\"geomean\")",
        false, 4},
       {-0.6, 0.4, 0.3}},
      {{"sum + cyclicalweights + nodeicovar", true, 3, "DiscUnif(a=1, b=3)"}, {-0.5, 0.2, 0.3}},
  };
  return cases;
}

class ValuedChainsOn : public ::testing::TestWithParam<int> {};

TEST_P(ValuedChainsOn, EveryProposalKeepsTheExactDistribution) {
  const ChainCase& c = chain_cases()[std::size_t(GetParam())];
  const Built b = test::build(c.setting);
  const test::ValuedEnumeration e = test::enumerate(b.model, b.space);
  const auto exact = exact_cells(e, c.eta);
  for (const char* name : {"uniform", "ZIUniform", "Poisson", "ZIPoisson"}) {
    SCOPED_TRACE(c.setting.formula + " ~ " + c.setting.reference + ", proposal " + name);
    const ValuedProposal proposal = proposal_named(name, b.model.reference);
    EXPECT_GT(
        test::chi_square_p(exact, chain_counts(b, proposal, c.eta, by_network(b.space)), draws),
        1e-3);
    // A symmetric proposal (uniform; ZIUniform where no value is 0): the control is a chain at
    // other coefficients.
    if (std::string(name) == "uniform" ||
        (std::string(name) == "ZIUniform" && !b.model.reference.allows(0))) {
      Vector other = c.eta;
      other.back() += 0.25;
      EXPECT_LT(
          test::chi_square_p(exact, chain_counts(b, proposal, other, by_network(b.space)), draws),
          1e-6);
    } else {
      EXPECT_LT(
          test::chi_square_p(
              exact, counts_without_proposal_ratio(b, proposal, c.eta, by_network(b.space)), draws),
          1e-6);
    }
  }
}

// Counts far from 0 (a Poisson reference, the Poisson jumps of mean y + 1/2 from y): three
// independent dyads of Conway-Maxwell-Poisson counts, P(y) ~ exp(a y + (b - 1) log y!), mean
// about 35; each dyad's value a draw.
TEST(ValuedChains, PoissonJumpsKeepTheDistributionOfLargeCounts) {
  const Built b = test::build({"sum + CMP", false, 3, "Poisson"});
  const Vector eta = {2.5, 0.3};
  Counts exact;
  double total = 0.0;
  for (int y = 0; y < 400; ++y)
    total += exact[y] = std::exp(eta[0] * y + (eta[1] - 1) * std::lgamma(y + 1.0));
  for (auto& [y, p] : exact) p /= total;
  const Tally by_value = [](const ValuedGraph& g, Counts& count) {
    for (const auto& [i, j] : std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {2, 3}})
      count[g.value(i, j)] += 1.0;
  };
  for (const char* name : {"Poisson", "ZIPoisson"}) {
    SCOPED_TRACE(name);
    const ValuedProposal proposal = proposal_named(name, b.model.reference);
    EXPECT_GT(test::chi_square_p(exact, chain_counts(b, proposal, eta, by_value, 4000), 12000),
              1e-3);
    // Far from 0 the proposal's ratio is near 1: the control is a chain at other coefficients.
    const Vector other = {eta[0] + 0.03, eta[1]};
    EXPECT_LT(test::chi_square_p(exact, chain_counts(b, proposal, other, by_value, 4000), 12000),
              1e-6);
  }
}

// Chain c's networks come from its own stream: the same draws on any number of threads.
TEST(ValuedChains, DrawsDoNotDependOnTheThreads) {
  const Built b = test::build(chain_cases()[3].setting);
  const ValuedProposal proposal = proposal_named("ZIPoisson", b.model.reference);
  ValuedChains one(b.model, b.space.lowest(), proposal, 5, 3, 1);
  ValuedChains three(b.model, b.space.lowest(), proposal, 5, 3, 3);
  for (int round = 0; round < 2; ++round) {  // the second from where the first left the chains
    const ValuedDraws a = one.draw(chain_cases()[3].eta, 40, 100, 10, true);
    const ValuedDraws c = three.draw(chain_cases()[3].eta, 40, 100, 10, true);
    EXPECT_EQ(a.statistics, c.statistics);
    EXPECT_EQ(a.accepted, c.accepted);
    for (std::size_t k = 0; k < a.networks.size(); ++k)
      EXPECT_EQ(b.space.code(a.networks[k]), b.space.code(c.networks[k]));
  }
  // Drawn in batches of a few networks per chain (simulate and gof keep no more), the same
  // networks as in one draw.
  ValuedChains whole(b.model, b.space.lowest(), proposal, 5, 3, 2);
  ValuedChains batched(b.model, b.space.lowest(), proposal, 5, 3, 2);
  const ValuedDraws all = whole.draw(chain_cases()[3].eta, 40, 100, 10);
  std::vector<Vector> in_batches;
  for (int first = 0; first < 40; first += 15) {
    const ValuedDraws part = batched.draw(chain_cases()[3].eta, 15, first == 0 ? 100 : 0, 10);
    in_batches.insert(in_batches.end(), part.statistics.begin(), part.statistics.end());
  }
  in_batches.resize(40);
  EXPECT_EQ(all.statistics, in_batches);
}

INSTANTIATE_TEST_SUITE_P(SixDyads, ValuedChainsOn,
                         ::testing::Range(0, static_cast<int>(chain_cases().size())));

TEST(ValuedFit, ExactFitOfDyadIndependentModelsIsTheMaximumOfTheEnumeratedLikelihood) {
  const FitCase cases[] = {
      {{"sum + nonzero + nodecov(\"x\", form=\"sum\")"}, {2, 0, 1, 2, 1, 0}},
      {{"sum + nodematch(\"g\", form=\"nonzero\")", false, 4}, {2, 1, 0, 1, 1, 0}},
      {{"sum + atleast(threshold=2) + CMP", true, 3, "DiscUnif(a=0, b=3)"}, {3, 0, 1, 2, 1, 0}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.setting.formula + " ~ " + c.setting.reference);
    const Built b = test::build(c.setting);
    const ValuedGraph observed = test::network_of(b.space, c.observed);
    const auto exact = test::exact_fit_of(b, observed);
    ASSERT_TRUE(exact) << "the observed statistics have no MLE";
    const ValuedFit fit =
        fit_valued(b.model, observed, McmleControl{}, default_proposal(b.model.reference));
    EXPECT_EQ(fit.outcome, "converged");
    EXPECT_EQ(fit.stop_reason, "dyad_independent");
    ASSERT_EQ(fit.estimate.size(), exact->estimate.size());
    ASSERT_EQ(fit.covariance.rows(), exact->covariance.rows());
    for (std::size_t s = 0; s < exact->estimate.size(); ++s) {
      EXPECT_NEAR(fit.estimate[s], exact->estimate[s], 1e-6) << b.model.names[s];
      for (std::size_t t = 0; t < exact->estimate.size(); ++t) {
        const double v = exact->covariance(int(s), int(t));
        EXPECT_NEAR(fit.covariance(int(s), int(t)), v, 1e-6 * std::max(1.0, std::fabs(v)));
      }
    }
  }
}

TEST(ValuedFit, MaximumLikelihoodByMcmcFindsTheExactMleOfADependentModel) {
  const FitCase cases[] = {
      {{"sum + mutual(form=\"min\")"}, {2, 0, 1, 2, 1, 0}},
      {{"sum + nodecovar", false, 4}, {2, 1, 0, 1, 1, 0}},
      {{"sum + transitiveweights"}, {2, 1, 0, 1, 2, 1}},
      {{"sum + nodeocovar + cyclicalweights", true, 3, "DiscUnif(a=1, b=3)"}, {2, 3, 1, 2, 3, 1}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.setting.formula + " ~ " + c.setting.reference);
    const Built b = test::build(c.setting);
    const ValuedGraph observed = test::network_of(b.space, c.observed);
    const auto exact = test::exact_fit_of(b, observed);
    ASSERT_TRUE(exact) << "the observed statistics have no MLE";
    const ValuedFit fit =
        fit_valued(b.model, observed, McmleControl{}, default_proposal(b.model.reference));
    ASSERT_EQ(fit.outcome, "converged");
    for (std::size_t s = 0; s < exact->estimate.size(); ++s) {
      const double variance = fit.covariance(int(s), int(s));
      const double monte_carlo_error = std::sqrt(variance * fit.mcmc_error_percent[s] / 100);
      const double exact_error = std::sqrt(exact->covariance(int(s), int(s)));
      EXPECT_NEAR(fit.estimate[s], exact->estimate[s], 4 * monte_carlo_error) << b.model.names[s];
      EXPECT_NEAR(std::sqrt(variance), exact_error, 0.15 * exact_error) << b.model.names[s];
    }
  }
}

// A dyad not observed: the fits maximise the likelihood of the observed dyads, the total
// probability of the networks that agree with them (the enumeration's), not that of the network
// with the missing dyad at 0, which the test also fits to show it is told apart.
TEST(ValuedFit, MissingDyadsAreLeftOutOfTheLikelihood) {
  const FitCase cases[] = {
      {{"nonzero + atmost(threshold=1)"}, {0, 0, 1, 2, 1, 2}},
      {{"sum + mutual(form=\"min\")"}, {0, 1, 1, 2, 1, 0}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.setting.formula);
    const Built b = test::build(c.setting);
    ValuedGraph observed = test::network_of(b.space, c.observed);
    const auto [mi, mj] = b.space.dyads()[0];  // not observed: 0 in the graph
    observed.set_missing({{mi, mj}});
    const test::ValuedEnumeration e = test::enumerate(b.model, b.space);
    std::vector<char> agree(e.statistics.size());
    for (std::size_t k = 0; k < agree.size(); ++k) {
      const ValuedGraph g = b.space.network(std::int64_t(k));
      agree[k] = 1;
      for (const auto& [i, j] : b.space.dyads())
        if (!(i == mi && j == mj) && g.value(i, j) != observed.value(i, j)) agree[k] = 0;
    }
    const Vector zero_filled = b.model.statistics(observed);
    const auto exact = test::exact_valued_fit(e, zero_filled, &agree);
    const auto as_zero = test::exact_valued_fit(e, zero_filled);
    ASSERT_TRUE(exact && as_zero);
    const ValuedFit fit =
        fit_valued(b.model, observed, McmleControl{}, default_proposal(b.model.reference));
    ASSERT_EQ(fit.outcome, "converged");
    double largest_gap = 0.0;
    for (std::size_t s = 0; s < exact->estimate.size(); ++s) {
      const double variance = fit.covariance(int(s), int(s));
      const double exact_error = std::sqrt(exact->covariance(int(s), int(s)));
      const double allowed = fit.mcmc_error_percent.empty()
                                 ? 1e-6
                                 : 4 * std::sqrt(variance * fit.mcmc_error_percent[s] / 100);
      EXPECT_NEAR(fit.estimate[s], exact->estimate[s], allowed) << b.model.names[s];
      EXPECT_NEAR(std::sqrt(variance), exact_error, 0.15 * exact_error) << b.model.names[s];
      largest_gap = std::max(largest_gap, std::fabs(as_zero->estimate[s] - exact->estimate[s]) /
                                              std::max(allowed, 1e-3));
    }
    EXPECT_GT(largest_gap, 1.0) << "the missing dyad at 0 gives the same MLE";
  }
}

// A statistic, or a combination of them, at the least or greatest value any network gives it:
// the enumerated likelihood has no maximum, and the fit says that no estimate exists.
TEST(ValuedFit, StatisticsAtTheirBoundHaveNoEstimate) {
  const FitCase cases[] = {
      {{"nonzero"}, {0, 0, 0, 0, 0, 0}},
      {{"sum + atmost(threshold=1)"}, {2, 2, 2, 2, 2, 2}},
      {{"nonzero + transitiveweights"}, {0, 0, 0, 0, 0, 0}},
      {{"sum + nodematch(\"g\", form=\"nonzero\")", false, 4}, {2, 1, 0, 1, 1, 2}},
      // sum = nonzero: every value 0 or 1, none 2.
      {{"sum + nonzero"}, {1, 0, 1, 1, 0, 1}},
      {{"sum + sum(pow=2) + nodeocovar"}, {1, 0, 1, 1, 0, 1}},
      // Only the values 3 and 4: the least dispersion, CMP's coefficient runs to -infinity.
      {{"sum + CMP", true, 3, "Poisson"}, {3, 4, 3, 3, 4, 4}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.setting.formula + " ~ " + c.setting.reference);
    const Built b = test::build(c.setting);
    const ValuedGraph observed = test::network_of(b.space, c.observed);
    if (b.model.reference.bounded()) {
      EXPECT_FALSE(
          test::exact_valued_fit(test::enumerate(b.model, b.space), b.model.statistics(observed)));
    }
    const ValuedFit fit =
        fit_valued(b.model, observed, McmleControl{}, default_proposal(b.model.reference));
    EXPECT_EQ(fit.outcome, "estimate_does_not_exist");
    EXPECT_FALSE(fit.start.at_bound.empty());
  }
}

}  // namespace
}  // namespace tarn
