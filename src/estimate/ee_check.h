#pragma once
// The check of an equilibrium-expectation estimate, as maximum likelihood by MCMC checks its own
// (mcmle/mcmle_errors.h): networks drawn at the estimate from the observed network, as many as
// standard errors within 5% of their long-run values need, must reproduce the observed
// statistics (every t-ratio within 0.1, widened by its Monte Carlo error and the estimate's own,
// and jointly by MCMLE's Hotelling test), without piling up or splitting. Their covariance gives
// the standard errors (the inverse Fisher information) with the Monte Carlo share of each variance.

#include <cstdint>
#include <functional>
#include <vector>

#include "mcmle/mcmle.h"
#include "model/study.h"
#include "network/capacity.h"
#include "simulate/sampler.h"

namespace tarn {

struct EeCheck {
  Vector observed;
  std::vector<Vector> sample;       // [network][statistic]
  std::vector<std::int64_t> links;  // [network]
  int chains = 1;
  std::int64_t interval = 0, burnin = 0;
  SampleMoments moments;
  ConvergenceTest test;
  SimulationCheck check;
  McmleErrors errors;
  DrawEvidence evidence;
  CapacityStop capacity;
  // The autocorrelation-adjusted Hotelling test of mean = observed passes at MCMLE's level: each
  // t-ratio within 0.1 is not enough where statistics are strongly correlated (edges and gwesp),
  // since a small miss across their correlation is a large one in the coefficients.
  bool jointly_reproduced = false;
  // Independent networks drawn exactly (simulate/dyad_class_draws.h), no chains: interval and
  // burn-in 0.
  bool exact_draws = false;
  double seconds = 0.0;
  std::int64_t proposals = 0;  // by the check's chains (0 with exact draws)
  // Drawn, reproducing the observed statistics one by one and jointly, neither piling up nor
  // splitting.
  bool passed() const {
    return !capacity.found && !sample.empty() && !evidence.degenerate() && check.passed &&
           jointly_reproduced;
  }
};

// A round of the check's draws as it begins: the networks drawn so far and those to draw now, by
// `chains` chains `interval` proposals apart after `burnin` (0 and 0 with exact draws).
struct EeCheckNews {
  int round = 0;
  std::int64_t drawn = 0, drawing = 0;
  int chains = 1;
  std::int64_t interval = 0, burnin = 0;
};

// Networks drawn at `estimate` (a linear model's) with the sampler's `settings` (its burn-in and
// interval, chains, seed and threads): a quarter of `control.sample_size` first, the check ending
// there when they fail it; then the rest of the sample size (256 networks, their effective size
// overrated, gave errors up to 16% off), and more, up to three times in all, while their spread's
// effective size falls short of what the errors need. The verdict is the whole sample's. A network
// of more than `chains_up_to` nodes whose model has exact draws takes that many independent ones
// instead (network k from the stream (seed', k), seed' a mix of the seed apart from the chains' and
// equilibrium expectation's), then more likewise.
// `estimate_draws`: the effective draws the estimate rests on, whose Monte Carlo error the
// verdict allows for (as a sample mean of that many draws' error); 0: as many as the sample's.
EeCheck check_ee_estimate(const Study& study, const Vector& estimate,
                          const SamplerSettings& settings, const McmleControl& control,
                          int chains_up_to = max_nodes, double estimate_draws = 0.0,
                          const std::function<void(const EeCheckNews&)>& progress = {});

// The rounds of a check's draws (check.chains, interval and burn-in set): a quarter of the
// sample size first (all of it with exact draws), then the rest and more, up to four rounds,
// while the sample passes and its spread's effective size falls short of what the errors need.
// `draw(networks, round)` appends that many networks' statistics and links to the check (false:
// it could not, and the rounds end).
void draw_in_rounds(int coefficients, std::int64_t observed_links, std::int64_t dyads,
                    const McmleControl& control, double estimate_draws,
                    const std::function<void(const EeCheckNews&)>& progress,
                    const std::function<bool(int networks, int round)>& draw, EeCheck& check);

// The check as a converged result of maximum likelihood by MCMC at the estimate (no iterations),
// for the outputs that read one.
McmleResult checked_result(const EeCheck& check, const Vector& estimate, McmleStart kind);

}  // namespace tarn
