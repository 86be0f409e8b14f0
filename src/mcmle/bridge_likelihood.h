#pragma once
// The log-likelihood at an estimate by path sampling (ergm's bridge sampling):
// that of the dyad-independent reference, which is exact, plus the integral along the straight
// path of the canonical parameters of (eta(estimate) - eta(reference)) . (observed - E[g]), by
// the midpoint rule over the bridges, each mean from networks drawn at its point.

#include <optional>

#include "mcmle/mcmle_control.h"
#include "mcmle/mcmle_sample.h"
#include "mcmle/mcmle_start.h"

namespace tarn {

// `observed`: the model's statistics of the observed network; the bridges are drawn from the
// estimate's end (where the source's chains stand) towards the reference, `interval` toggles
// apart, each after 8 intervals at its point: neighbouring points are a sixteenth of the path
// apart, so the chains need little to settle. Nothing when a chain
// fills the link store on the way, or when the reference's likelihood is not known.
// With missing dyads the likelihood is that of the observed dyads, log kappa_c(theta) - log
// kappa(theta) (kappa_c: the sum over the networks that complete the observed one). Its
// derivative along the path is the direction times the completions' mean less the networks'
// mean, so each bridge point draws completions too, `interval` toggles apart from where their
// chains stand; the reference's likelihood is then that of its fit over the observed dyads,
// which for a dyad-independent model is the observed dyads' own.
struct CompletionDraws {
  const SampleSource& source;
  std::int64_t interval = 0;
};

std::optional<double> bridged_log_likelihood(const Model& model, const Vector& observed,
                                             const DyadIndependentReference& reference,
                                             const Vector& estimate, std::int64_t interval,
                                             const McmleControl& control,
                                             const SampleSource& source, std::int64_t& toggles,
                                             const CompletionDraws* completions = nullptr);

}  // namespace tarn
