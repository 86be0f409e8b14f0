#pragma once
// What the command line says about a sample of networks: draws that fill the link store, pile up
// near the empty or complete network, split into two modes or lie away from the observed network
// (worded for fitted or given coefficients, naming the model's triad terms), and lag-1
// autocorrelations that are high or could not be estimated.

#include <optional>
#include <string>
#include <vector>

#include "mcmle/sample_moments.h"
#include "model/model.h"
#include "model/study.h"
#include "network/warning.h"
#include "simulate/sampler.h"

namespace tarn {

// The term that drives degenerate draws away: the term whose coefficients times its statistics'
// change from the observed network to the draws' mean gain the most log-probability (a sum over
// the term's statistics).
struct DrivingTerm {
  std::string term;  // as written
  double gain = 0;   // its coefficients times the change of its statistics
  bool counts_raw_triads = false;
};
std::optional<DrivingTerm> driving_term(const SampleSummary& sample, const Model& model,
                                        const std::vector<double>& coefficients);

// What the draws say, if anything: link_capacity_reached (a chain filled the link store: no
// networks), degenerate_draws (the draws pile up or split: DrawEvidence's figures), or
// draws_far_from_observed (the observed link count outside every draw's); each with more
// figures: coefficients ("given" by --coef or "fitted"), the driving term (driving_term,
// driving_gain) of degenerate draws, and triad_terms (terms of three nodes a message names: the
// driving term when it is one; else, for fitted coefficients or without a driving term, the
// model's, comma-separated; empty when none) and gw_terms (add_dependence_terms).
std::vector<Warning> draw_warnings(const SampleSummary& sample, const Model& model,
                                   const std::vector<double>& coefficients,
                                   bool coefficients_given);

// Adds the figures triad_terms (the model's raw counts of triads) and gw_terms (its
// geometrically weighted terms), comma-separated, that the advice on a degenerate model reads.
Warning& add_dependence_terms(Warning& warning, const Model& model);
// The model's geometrically weighted terms, comma-separated.
std::string gw_terms_of(const Model& model);

// autocorrelated_sample (figures: statistics, use) when a statistic's lag-1 autocorrelation
// passes one half; autocorrelation_not_estimated (networks, chains, pairs, needed) when the
// chains gave too few consecutive pairs. `use`: "errors" or "sample", what the draws are for.
std::vector<Warning> autocorrelation_warnings(const SampleSummary& sample, const Model& model,
                                              int chains, const std::string& use);

// errors_less_precise when the sample that gave the errors ended short of the effective size
// that `asked` (a relative Monte Carlo error) needs: its effective size, and the precision it
// reached and the one asked, in percent.
std::optional<Warning> errors_precision_warning(const SampleMoments& final_moments,
                                                int coefficients, double asked);

}  // namespace tarn
