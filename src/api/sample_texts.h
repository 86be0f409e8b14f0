#pragma once
// The texts that simulate and gof write of the sample drawn: the screen's table, the --stats CSV,
// and each network as an edge list.

#include <ostream>
#include <string>

#include "api/draw_start.h"
#include "model/study.h"
#include "simulate/sampler.h"

namespace tarn {

// The sampler's figures on the screen: per statistic the observed (or start) value, the simulated
// mean and standard deviation and the lag-1 autocorrelation; then the sampler's settings.
void write_sample_table(const Study& study, const DrawStart& start, const SampleSummary& sample,
                        std::ostream& out);

// The model's statistics of the observed network (or the start) and of every network drawn.
void write_statistics_csv(const Study& study, bool empty_start, const SampleSummary& sample,
                          std::ostream& out);

// One network drawn as an edge list with the observed network's labels; undirected, each edge
// once, under a header that names no direction.
std::string edge_list(const TermGraph& graph, const NodeLabels& labels);

}  // namespace tarn
