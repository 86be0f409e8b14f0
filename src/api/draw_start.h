#pragma once
// What simulate and gof start from: the coefficients to draw at (given, or the pseudo-likelihood
// estimate) and the sampler's settings.

#include <string>
#include <vector>

#include "model/study.h"
#include "network/warning.h"
#include "simulate/sampler.h"
#include "tarnwick/simulate.h"

namespace tarn {

struct DrawStart {
  std::vector<double> coefficients;  // canonical, as the sampler takes them
  bool given = false;                // by the caller, not fitted
  bool empty_start = false;          // the chains start at an empty network of its nodes
  SamplerSettings sampler;
  // Without given coefficients: the pseudo-likelihood fit's warnings, and whether it gave an
  // estimate to draw from.
  std::vector<Warning> fit_warnings;
  bool usable = true;
};

// Checks that the study's model can be simulated and takes the coefficients. Throws ArgumentError
// for coefficients that do not fit the model.
DrawStart draw_start(const Study& study, const tarnwick::DrawSettings& settings, bool empty_start);

// The library's refusal of a draw without coefficients where the fit gave no estimate, with
// the fit's warnings.
[[noreturn]] void throw_no_estimate(const std::vector<tarnwick::WarningRecord>& fit_warnings);

}  // namespace tarn
