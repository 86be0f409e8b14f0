#pragma once
// Equilibrium expectation for a model of counts, judged as a binary model's is (ee_check.h):
// from MCMLE's start (the exact fit of the dyad-independent terms taken on by contrastive
// divergence), the tasks of valued_equilibrium.h, then networks of counts drawn at their
// estimate, which must reproduce the observed statistics; their covariance gives the errors.
// When they do not, maximum likelihood by MCMC goes on from the estimate. A dyad-independent
// model, or one whose estimate does not exist, is fitted exactly, with no chains.

#include <functional>

#include "estimate/ee_check.h"
#include "estimate/estimate.h"
#include "valued/valued_fit.h"

namespace tarn {

struct ValuedEeFit {
  // The estimate the check accepted (no iterations), or MCMLE's from the equilibrium estimate,
  // or the exact fit.
  ValuedFit fit;
  std::optional<EeRecord> record;  // none for the exact fit
  bool by_mcmle = false;           // the check failed and MCMLE went on
};

struct ValuedEeProgress {
  EeProgress task;
  std::function<void(const EeCheckNews&)> check;
  ValuedProgress iteration;  // MCMLE's, when it goes on
};

// SettingError for missing dyads, which it does not leave out. `start`: the coefficients to start
// from (--init); none: MCMLE's start. `control`: the check's
// sample size, chains, seed, threads and interval (0: a quarter of the
// dyads or of the proposals per effective draw of the chains, whichever is shorter, at least
// 256), and MCMLE's settings.
ValuedEeFit fit_valued_by_equilibrium(const ValuedModel& model, const ValuedGraph& observed,
                                      const ValuedProposal& proposal, const McmleControl& control,
                                      EeSettings settings, const ValuedEeProgress& progress = {},
                                      const std::optional<Vector>& start = {});

// A fit of a model of counts as an estimator's row takes it (estimator_table.h).
struct CountsFit {
  const ValuedModel& model;
  const ValuedGraph& observed;
  ValuedProposal proposal;
  McmleControl control;
  EeSettings ee;
  ValuedEeProgress progress;
  std::optional<Vector> start;  // --init; none: the estimator's own start
};

// The rows' fits of counts: MCMLE (the exact fit for a dyad-independent model), and equilibrium
// expectation.
ValuedEeFit fit_counts_by_mcmle(const CountsFit& fit);
ValuedEeFit fit_counts_by_equilibrium(const CountsFit& fit);

// Networks of counts drawn at `estimate` from the observed network by `control.chains` chains
// `interval` proposals apart after a burn-in of fresh_burnin_intervals intervals: a quarter of
// the sample size first, then the rest and more, up to four rounds, as check_ee_estimate draws.
// The chains are seeded apart from equilibrium expectation's tasks.
EeCheck check_valued_estimate(const ValuedModel& model, const ValuedGraph& observed,
                              const ValuedProposal& proposal, const Vector& estimate,
                              const McmleControl& control, std::int64_t interval,
                              double estimate_draws,
                              const std::function<void(const EeCheckNews&)>& progress = {});

}  // namespace tarn
