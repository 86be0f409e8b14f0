#pragma once
// The library's settings of equilibrium expectation as the estimator takes them, for binary
// models and models of counts alike.

#include "ee/equilibrium_expectation.h"
#include "tarnwick/fit.h"

namespace tarn {

EeSettings ee_settings_of(const tarnwick::EquilibriumSettings& given);

}  // namespace tarn
