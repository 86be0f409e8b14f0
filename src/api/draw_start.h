#pragma once
// What simulate and gof start from: the coefficients to draw at (given, or the pseudo-likelihood
// estimate), the sampler's settings, and the texts both write of the sample drawn.

#include <ostream>
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
