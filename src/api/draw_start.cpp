#include "api/draw_start.h"

#include <algorithm>

#include "api/records.h"
#include "estimate/checked_fit.h"
#include "estimate/sampling_settings.h"
#include "model/sample_space.h"
#include "tarnwick/errors.h"

namespace tarn {

namespace {

// What the messages call the coefficients.
std::string coefficients_name(const tarnwick::DrawSettings& s) {
  return s.coefficients_option.empty() ? std::string("the coefficients") : s.coefficients_option;
}

// The pseudo-likelihood estimate to draw at, when no coefficients are given.
void take_fitted(const Study& study, const tarnwick::DrawSettings& s, DrawStart& start) {
  refuse_curved(study.model, "give its weight and decay with " + coefficients_name(s));
  // A statistic the space holds constant has no coefficient to fit; given coefficients draw it.
  if (study.space) refuse_constant_terms(study.model, study.graph(), *study.space);
  Study with_offsets = study;
  with_offsets.model = model_with_offsets(study.model, s.offset_coef, s.offset_coef_list);
  const CheckedFit fit = fit_and_check(with_offsets);
  start.fit_warnings = fit.warnings;
  start.usable = fit.usable();
  if (!start.usable) return;
  for (int p = 1; p <= study.model.parameter_count(); ++p) {
    start.coefficients.push_back(fit.result.estimate(p));
  }
}

}  // namespace

DrawStart draw_start(const Study& study, const tarnwick::DrawSettings& s, bool empty_start) {
  check_can_simulate(study);
  DrawStart start;
  const SamplingSettings sampling{s.burnin, s.interval, s.seed, s.threads, s.chains};
  start.sampler = sampling.settings(study);
  start.empty_start = empty_start;
  // Far from the empty network is where the model's networks are: a burn-in long enough to get
  // there, 4 toggles per dyad.
  if (empty_start && s.burnin < 0 && s.interval < 0) {
    start.sampler.burnin = std::max<std::int64_t>(start.sampler.burnin, 4 * study.dyad_count());
  }
  const bool listed = !s.coefficient_list.empty();
  if (!listed && s.coefficients.empty()) {
    take_fitted(study, s, start);
    return start;
  }
  if (!s.offset_coef.empty() || !s.offset_coef_list.empty()) {
    throw tarnwick::ArgumentError(
        "--offset-coef is for the fit; given coefficients hold every one, the offsets' included");
  }
  const std::string list = listed ? s.coefficient_list : comma_list(s.coefficients);
  const std::string option = s.coefficients_option.empty() ? "coefficients" : s.coefficients_option;
  // The sampler takes canonical parameters: a curved term's weight and decay mapped to them.
  start.coefficients = study.model.canonical(coefficients_of(list, study.model, option));
  start.given = true;
  return start;
}

void throw_no_estimate(const std::vector<tarnwick::WarningRecord>& fit_warnings) {
  std::string why;
  for (const tarnwick::WarningRecord& w : fit_warnings) why += " " + w.message;
  throw tarnwick::ModelError("the fit gave no estimate to simulate from; give the coefficients." +
                             why);
}

}  // namespace tarn
