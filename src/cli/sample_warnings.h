#pragma once
// What the command line says about a sample of networks: a degenerate model (worded for fitted
// or given coefficients, naming the model's triad terms), and lag-1 autocorrelations that are
// high or could not be estimated.

#include <string>
#include <vector>

#include "model/model.h"
#include "network/warning.h"
#include "simulate/sampler.h"

namespace tarn {

// The sample's degeneracy with two more figures: coefficients ("given" by --coef or "fitted")
// and triad_terms (the model's terms of three nodes, comma-separated; empty when none).
Warning degeneracy_warning(const Degeneracy& degeneracy, const Model& model,
                           bool coefficients_given);

// autocorrelated_sample (figures: statistics, use) when a statistic's lag-1 autocorrelation
// passes one half; autocorrelation_not_estimated (networks, chains, pairs, needed) when the
// chains gave too few consecutive pairs. `use`: "errors" or "sample", what the draws are for.
std::vector<Warning> autocorrelation_warnings(const SampleSummary& sample, const Model& model,
                                              int chains, const std::string& use);

}  // namespace tarn
