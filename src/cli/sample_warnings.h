#pragma once
// What the command line says about a sample of networks: a degenerate model (worded for fitted
// or given coefficients, naming the model's triad terms), and lag-1 autocorrelations that are
// high or could not be estimated.

#include <optional>
#include <string>
#include <vector>

#include "model/model.h"
#include "model/study.h"
#include "network/warning.h"
#include "simulate/sampler.h"

namespace tarn {

// The term that drives a degenerate model's chains away: of the network the reported chain ran
// to, the term whose coefficients times its statistics' change from the observed network gain
// the most log-probability (a sum over the term's statistics).
struct DrivingTerm {
  std::string term;  // as written
  double gain = 0;   // its coefficients times the change of its statistics
  bool counts_raw_triads = false;
};

// Draws the degenerate sample again, keeping where each chain ends, to find the network the
// reported chain ran to; none when no term gains.
std::optional<DrivingTerm> driving_term(const Study& study, const std::vector<double>& coefficients,
                                        int networks, const SamplerSettings& settings,
                                        const Degeneracy& degeneracy);

// The sample's degeneracy with more figures: coefficients ("given" by --coef or "fitted") and
// triad_terms (terms of three nodes that a message names: the driving term when it is one; else,
// for fitted coefficients or without a driving term, the model's, comma-separated; empty when
// none); with a driving term, driving_term and driving_gain.
Warning degeneracy_warning(const Degeneracy& degeneracy, const Model& model,
                           bool coefficients_given,
                           const std::optional<DrivingTerm>& driving = std::nullopt);

// autocorrelated_sample (figures: statistics, use) when a statistic's lag-1 autocorrelation
// passes one half; autocorrelation_not_estimated (networks, chains, pairs, needed) when the
// chains gave too few consecutive pairs. `use`: "errors" or "sample", what the draws are for.
std::vector<Warning> autocorrelation_warnings(const SampleSummary& sample, const Model& model,
                                              int chains, const std::string& use);

}  // namespace tarn
