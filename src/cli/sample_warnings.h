#pragma once
// What the command line says about a sample of networks: draws that fill the link store, pile up
// near the empty or complete network, split into two modes or lie away from the observed network
// (worded for fitted or given coefficients, naming the model's triad terms), and lag-1
// autocorrelations that are high or could not be estimated.

#include <string>
#include <vector>

#include "model/model.h"
#include "network/warning.h"
#include "simulate/sampler.h"

namespace tarn {

// What the draws say, if anything: link_capacity_reached (a chain filled the link store: no
// networks), degenerate_draws (the draws pile up or split: DrawEvidence's figures), or
// draws_far_from_observed (the observed link count outside every draw's); each with two more
// figures: coefficients ("given" by --coef or "fitted") and triad_terms (the model's terms of
// three nodes, comma-separated; empty when none).
std::vector<Warning> draw_warnings(const SampleSummary& sample, const Model& model,
                                   bool coefficients_given);

// Adds the figures triad_terms (the model's raw counts of triads) and gw_terms (its
// geometrically weighted terms), comma-separated, that the advice on a degenerate model reads.
Warning& add_dependence_terms(Warning& warning, const Model& model);

// autocorrelated_sample (figures: statistics, use) when a statistic's lag-1 autocorrelation
// passes one half; autocorrelation_not_estimated (networks, chains, pairs, needed) when the
// chains gave too few consecutive pairs. `use`: "errors" or "sample", what the draws are for.
std::vector<Warning> autocorrelation_warnings(const SampleSummary& sample, const Model& model,
                                              int chains, const std::string& use);

}  // namespace tarn
