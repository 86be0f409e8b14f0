#pragma once
// What simulate and gof write of the networks drawn: the screen's table (per statistic the
// observed or start value, the mean, standard deviation and lag-1 autocorrelation of the networks
// drawn, then the sampler's settings) and the model's statistics of every network as CSV.

#include <ostream>

#include "tarnwick/results/simulation.h"

namespace tarn {

void write_sample_table(const tarnwick::SampleFigures& sample, std::ostream& out);

// network,<statistics>: the observed network (or the start), then each network drawn.
void write_sample_statistics_csv(const tarnwick::SampleFigures& sample, std::ostream& out);

}  // namespace tarn
