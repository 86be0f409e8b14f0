#pragma once
// The library's models of counts (a network read with a response column): building one, and the
// statistics and fit of one, beside the binary paths of the same entry points.

#include "api/model_data.h"
#include "tarnwick/fit.h"
#include "tarnwick/simulate.h"
#include "tarnwick/statistics.h"

namespace tarn {

// The model of counts of `data.formula` on the network's counts, or null when the reference is
// Bernoulli (the binary model of the links, every count 0 or 1). Throws ModelError, ArgumentError.
std::shared_ptr<const ValuedModel> valued_model_of(tarnwick::Model::Data& data);

tarnwick::StatisticsReport valued_statistics_report(const tarnwick::Model::Data& data);

tarnwick::Estimate valued_fit(const tarnwick::Model::Data& data,
                              const tarnwick::FitSettings& settings,
                              const tarnwick::Progress& progress);

tarnwick::SimulationResult valued_simulate(const tarnwick::Model::Data& data,
                                           const tarnwick::SimulateSettings& settings,
                                           const tarnwick::Progress& progress);
tarnwick::GofTables valued_gof(const tarnwick::Model::Data& data,
                               const tarnwick::GofSettings& settings,
                               const tarnwick::Progress& progress);

// The coefficients of a comma list, one per statistic (`option` names the setting in the
// messages). Throws UsageError.
Vector listed_coefficients(const std::string& list, const ValuedModel& model,
                           const std::string& option);

// Refuses what a model of counts does not take yet, naming `what` (gof, tie probabilities, ...).
void refuse_valued(const tarnwick::Model::Data& data, const std::string& what);

}  // namespace tarn
