#pragma once
// The pseudo-likelihood over the links and a sample of the empty dyads (mple/case_control.h):
// when it is used, how many empty dyads it draws, the seeded draw, and the estimate with its
// sampling error.
//
// It is used when --dyad-sample is given, and, with the default size, for a model that the dyad
// classes cannot fit on a network with more dyads than the sweep takes (largest_sweep), with the
// note dyad_sample_used. The default size is ergm's for the pseudo-likelihood it starts MCMC
// from (control.ergm's init.MPLE.samplesize): 8 max(sqrt(dyads), links, 40). Eight controls per
// case keep about 8/9 of the efficiency of the full pseudo-likelihood where the controls
// resemble each other; the reported sampling share says how much is lost where they do not.
// A size of at least the empty dyads takes every empty dyad once: the full pseudo-likelihood.

#include <cstdint>

#include "estimate/estimate.h"
#include "model/study.h"

namespace tarn {

// True when the fit samples the empty dyads.
bool samples_dyads(const Study& study, const EstimatorSettings& settings);

// The default number of controls: 8 max(sqrt(dyads), links, 40).
std::int64_t default_dyad_sample(std::int64_t dyads, std::int64_t links);

// Throws SettingError for a dyad sample below 1 or given with simulated errors.
void check_dyad_sample_settings(const EstimatorSettings& settings);

// The fit, its existence check, its errors (the inverse Hessian plus the sampling covariance)
// with the sampling shares, its record (section dyad_sample) and its warnings.
Estimate fit_by_dyad_sample(const Study& study, const EstimatorSettings& settings);

}  // namespace tarn
