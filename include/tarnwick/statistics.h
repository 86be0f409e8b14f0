#pragma once
// The observed network statistics of a model, as the command line's summary gives them (the
// numbers of tarnwick/results/simulation.h; tarnwick/reporting.h writes them).

#include "tarnwick/model.h"
#include "tarnwick/network.h"
#include "tarnwick/results/simulation.h"

namespace tarnwick {

StatisticsReport statistics_report(const Model& model);

}  // namespace tarnwick
