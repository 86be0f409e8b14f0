#pragma once
// The numbers that simulate and gof give of the sample drawn, and each network drawn as an edge
// list.

#include <string>

#include "api/draw_start.h"
#include "model/study.h"
#include "simulate/sampler.h"
#include "tarnwick/results/simulation.h"

namespace tarn {

// Per statistic the observed (or start) value, the mean, standard deviation and lag-1
// autocorrelation of the networks drawn, every network's statistics, and the sampler's settings.
tarnwick::SampleFigures sample_figures(const Study& study, const DrawStart& start,
                                       const SampleSummary& sample);

// One network drawn as an edge list with the observed network's labels; undirected, each edge
// once, under a header that names no direction.
std::string edge_list(const TermGraph& graph, const NodeLabels& labels);

}  // namespace tarn
