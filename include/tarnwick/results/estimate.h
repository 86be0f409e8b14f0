#pragma once
// The numbers of one fit, whichever estimator made it: what was fitted (the input files, the
// network, the terms), how the fit ended, the estimates with their errors and tests, the
// pseudo-likelihood's figures, the estimator's own record (the MCMC iterations and convergence
// tests, equilibrium expectation's tasks and check, the sample of empty dyads) and the warnings
// as codes with their figures. tarnwick/reporting.h writes them as the command line's screen,
// JSON, tidy CSV and figures; nothing here is text to be parsed.

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "tarnwick/results/warning.h"

namespace tarnwick {

inline constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// A file the data were read from: its role (network, attributes, covariate, block_structure),
// its path as given and its format.
struct InputFileRecord {
  std::string role;
  std::string path;
  std::string format;
};

template <class Result, class Visit>
requires same_result<Result, InputFileRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("role", r.role), visit("path", r.path), visit("format", r.format);
}

// The network as fitted.
struct FittedNetwork {
  std::string path;  // as given (empty for a network built from arrays)
  int nodes = 0;
  std::int64_t links = 0;
  std::int64_t dyads = 0;
  bool diagonal = false;  // the self-pairs (i, i) are dyads
  bool directed = true;
  int bipartite = 0;  // a two-mode network: nodes 1..bipartite the first mode; 0: one mode
  // Node k's label (k from 0) when the nodes are labelled; empty when they are 1..n.
  std::vector<std::string> labels;
  std::int64_t missing_dyads = 0;  // dyads not observed (NA), left out of the fit's dyads
  // A network of counts: its column of counts and the model's reference measure (empty: binary).
  std::string response, reference;
};

template <class Result, class Visit>
requires same_result<Result, FittedNetwork>
void visit_fields(Result& r, Visit&& visit) {
  visit("path", r.path), visit("nodes", r.nodes), visit("links", r.links), visit("dyads", r.dyads),
      visit("diagonal", r.diagonal), visit("directed", r.directed), visit("bipartite", r.bipartite),
      visit("labels", r.labels), visit("missing_dyads", r.missing_dyads),
      visit("response", r.response), visit("reference", r.reference);
}

// Block parameters: the attribute that divides the nodes into blocks and the block types.
struct BlockingRecord {
  int attribute = 0;           // its column, from 1
  std::string attribute_name;  // as the attribute file names it, or empty
  int blocks = 0, block_types = 0;
  std::vector<std::vector<int>> structure;  // [block][block]: the block type, 0 for none
};

template <class Result, class Visit>
requires same_result<Result, BlockingRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("attribute", r.attribute), visit("attribute_name", r.attribute_name),
      visit("blocks", r.blocks), visit("block_types", r.block_types),
      visit("structure", r.structure);
}

// One term of the formula.
struct TermRecord {
  std::string text;                       // as ergm writes it
  std::vector<std::string> statistics;    // the names of its statistics
  std::vector<std::string> coefficients;  // a curved term's coefficients; empty for others
  // One of the sixteen configuration types (1 to 16; 0 for other terms) and its block type (0:
  // none).
  int configuration_type = 0;
  int block_type = 0;
  // In a model of configuration types only, as the dialogue lays it out: the type's short name,
  // its label in the menu, and its column of the statistics table (-1: not laid out).
  std::string type_name, type_label;
  int kernel_column = -1;
};

template <class Result, class Visit>
requires same_result<Result, TermRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("text", r.text), visit("statistics", r.statistics), visit("coefficients", r.coefficients),
      visit("configuration_type", r.configuration_type), visit("block_type", r.block_type),
      visit("type_name", r.type_name), visit("type_label", r.type_label),
      visit("kernel_column", r.kernel_column);
}

// One coefficient's line of the results (NaN where there is no figure).
struct CoefficientRow {
  std::string name;                // as ergm names it
  int term = 0;                    // the term it belongs to, an index into Estimate::terms
  double observed = not_a_number;  // the statistic of the observed network
  double estimate = not_a_number, std_error = not_a_number;
  double wald = not_a_number, z = not_a_number, p_value = not_a_number;
  double conf_low = not_a_number, conf_high = not_a_number;  // the 95% interval
  double exp_estimate = not_a_number;
  // An offset term's (offset(term)): the estimate is its fixed value (-Inf and Inf too), with no
  // error, test or interval.
  bool offset = false;
};

template <class Result, class Visit>
requires same_result<Result, CoefficientRow>
void visit_fields(Result& r, Visit&& visit) {
  visit("name", r.name), visit("term", r.term), visit("observed", r.observed),
      visit("estimate", r.estimate), visit("std_error", r.std_error), visit("wald", r.wald),
      visit("z", r.z), visit("p_value", r.p_value), visit("conf_low", r.conf_low),
      visit("conf_high", r.conf_high), visit("exp_estimate", r.exp_estimate),
      visit("offset", r.offset);
}

// The pseudo-likelihood's fit figures, when they describe the estimate (the estimate is the
// pseudo-likelihood's own).
struct PseudoLikelihoodFigures {
  double minus2_log_likelihood = 0, goodness_of_fit = 0, model_chisquare = 0;
  double null_log_likelihood = 0;
  double absolute_residuals = 0, squared_residuals = 0;
  // classification[observed][predicted]: dyads without (0) and with (1) a link.
  std::array<std::array<std::int64_t, 2>, 2> classification{};
  double percent_correct_no_link = 0, percent_correct_link = 0, percent_correct = 0;
  bool pass_limit = false;  // the pass limit ended the Newton passes: partial results
};

template <class Result, class Visit>
requires same_result<Result, PseudoLikelihoodFigures>
void visit_fields(Result& r, Visit&& visit) {
  visit("minus2_log_likelihood", r.minus2_log_likelihood),
      visit("goodness_of_fit", r.goodness_of_fit), visit("model_chisquare", r.model_chisquare),
      visit("null_log_likelihood", r.null_log_likelihood),
      visit("absolute_residuals", r.absolute_residuals),
      visit("squared_residuals", r.squared_residuals), visit("classification", r.classification),
      visit("percent_correct_no_link", r.percent_correct_no_link),
      visit("percent_correct_link", r.percent_correct_link),
      visit("percent_correct", r.percent_correct), visit("pass_limit", r.pass_limit);
}

// One iteration of maximum likelihood by MCMC, as it ends.
struct IterationReport {
  int number = 0;
  int networks = 0;  // drawn
  double step = 0;   // the step towards the new estimate, 0 to 1
  double max_abs_t = 0;
  double p_value = 0;  // of the Hotelling test
  std::int64_t interval = 0;
  double seconds = 0;    // since the fit began
  bool filled = false;   // a chain filled the link store: no networks
  std::string evidence;  // the draws' kind of degeneracy, or empty
  // The sample drawn after the Hotelling test passed; none follows when the sample that passed
  // it reproduced the observed statistics and served as the final sample.
  bool final_sample = false;
  double effective_size = 0;  // of the sample
  std::int64_t toggles = 0;   // proposed by the sampler in the iteration
};

template <class Result, class Visit>
requires same_result<Result, IterationReport>
void visit_fields(Result& r, Visit&& visit) {
  visit("number", r.number), visit("networks", r.networks), visit("step", r.step),
      visit("max_abs_t", r.max_abs_t), visit("p_value", r.p_value), visit("interval", r.interval),
      visit("seconds", r.seconds), visit("filled", r.filled), visit("evidence", r.evidence),
      visit("final_sample", r.final_sample), visit("effective_size", r.effective_size),
      visit("toggles", r.toggles);
}

// What the link counts of networks drawn at one set of coefficients say of the model there.
struct LinkCountEvidence {
  std::string kind;  // pile_near_empty, pile_near_full, two_modes, or empty
  int networks = 0;
  std::int64_t observed_links = 0, dyads = 0;
  double mean_links = 0, sd_links = 0;
  std::int64_t least_links = 0, most_links = 0;
  // Shares of the networks nearer the empty (complete) network than the observed one.
  double share_near_empty = 0, share_near_full = 0;
  bool two_modes = false;
  double lower_mode_links = 0, upper_mode_links = 0, lower_mode_share = 0;
};

template <class Result, class Visit>
requires same_result<Result, LinkCountEvidence>
void visit_fields(Result& r, Visit&& visit) {
  visit("kind", r.kind), visit("networks", r.networks), visit("observed_links", r.observed_links),
      visit("dyads", r.dyads), visit("mean_links", r.mean_links), visit("sd_links", r.sd_links),
      visit("least_links", r.least_links), visit("most_links", r.most_links),
      visit("share_near_empty", r.share_near_empty), visit("share_near_full", r.share_near_full),
      visit("two_modes", r.two_modes), visit("lower_mode_links", r.lower_mode_links),
      visit("upper_mode_links", r.upper_mode_links), visit("lower_mode_share", r.lower_mode_share);
}

// A chain that filled the link store.
struct LinkCapacityStop {
  std::int64_t toggles = 0, links = 0, observed_links = 0, capacity = 0;
};

template <class Result, class Visit>
requires same_result<Result, LinkCapacityStop>
void visit_fields(Result& r, Visit&& visit) {
  visit("toggles", r.toggles), visit("links", r.links), visit("observed_links", r.observed_links),
      visit("capacity", r.capacity);
}

// A chain started away from the observed network (at the empty network, or a denser one).
struct ModeProbeRecord {
  bool from_empty = true;
  std::int64_t start_links = 0;
  int networks = 0;
  double late_mean_links = 0;  // over the second half of its draws
  std::int64_t late_least_links = 0, late_most_links = 0;
  bool moving = false, filled = false, second_mode = false;
};

template <class Result, class Visit>
requires same_result<Result, ModeProbeRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("from_empty", r.from_empty), visit("start_links", r.start_links),
      visit("networks", r.networks), visit("late_mean_links", r.late_mean_links),
      visit("late_least_links", r.late_least_links), visit("late_most_links", r.late_most_links),
      visit("moving", r.moving), visit("filled", r.filled), visit("second_mode", r.second_mode);
}

struct ModeProbes {
  std::int64_t toggles = 0;
  ModeProbeRecord empty, denser;
};

template <class Result, class Visit>
requires same_result<Result, ModeProbes>
void visit_fields(Result& r, Visit&& visit) {
  visit("toggles", r.toggles), visit("empty", r.empty), visit("denser", r.denser);
}

// Where maximum likelihood by MCMC started, and why it moved from the first start.
struct McmleStartRecord {
  std::string kind = "pseudo_likelihood";  // pseudo_likelihood, given or dyad_independent
  double share = 1;  // of the first start's distance from the dyad-independent estimate kept
  struct Move {
    std::string reason;  // pile_near_empty, link_capacity, no_step, second_mode, ...
    std::optional<LinkCapacityStop> capacity;
    std::optional<LinkCountEvidence> evidence;
  };
  std::optional<Move> moved;
};

template <class Result, class Visit>
requires same_result<Result, McmleStartRecord::Move>
void visit_fields(Result& r, Visit&& visit) {
  visit("reason", r.reason), visit("capacity", r.capacity), visit("evidence", r.evidence);
}

template <class Result, class Visit>
requires same_result<Result, McmleStartRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("kind", r.kind), visit("share", r.share), visit("moved", r.moved);
}

// The convergence figures of the last sample: per statistic its t-ratio, mean, standard
// deviation, lag-1 autocorrelation and effective size; the Hotelling test of them all.
struct ConvergenceRecord {
  std::vector<double> t_ratios;
  double max_abs_t = 0, hotelling = 0, p_value = 1, effective_size = 0;
  std::vector<double> effective_sizes, mean, sd, lag1;
  int networks = 0;
  struct Check {  // every t-ratio within its allowance (widened by the Monte Carlo error)
    bool passed = false;
    std::vector<double> t_ratios, allowances;
  };
  std::optional<Check> check;
};

template <class Result, class Visit>
requires same_result<Result, ConvergenceRecord::Check>
void visit_fields(Result& r, Visit&& visit) {
  visit("passed", r.passed), visit("t_ratios", r.t_ratios), visit("allowances", r.allowances);
}

template <class Result, class Visit>
requires same_result<Result, ConvergenceRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("t_ratios", r.t_ratios), visit("max_abs_t", r.max_abs_t), visit("hotelling", r.hotelling),
      visit("p_value", r.p_value), visit("effective_size", r.effective_size),
      visit("effective_sizes", r.effective_sizes), visit("mean", r.mean), visit("sd", r.sd),
      visit("lag1", r.lag1), visit("networks", r.networks), visit("check", r.check);
}

// The best estimate found by a fit that did not converge.
struct BestEstimateRecord {
  int iteration = 0;
  std::vector<double> coefficients;
  double max_abs_t = 0, distance = 0;
};

template <class Result, class Visit>
requires same_result<Result, BestEstimateRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("iteration", r.iteration), visit("coefficients", r.coefficients),
      visit("max_abs_t", r.max_abs_t), visit("distance", r.distance);
}

// Maximum likelihood by MCMC: its start, iterations, last sample and verdict.
struct McmleRecord {
  std::string end = "converged";  // converged, not_converged or degenerate
  // converged, dyad_independent (exact, nothing drawn), iteration_limit, no_progress,
  // link_capacity, degenerate_draws, ee_check, ...
  std::string stop_reason;
  // Not empty: not an MCMC fit but this estimator's estimate ("Equilibrium expectation") judged
  // by networks drawn at it.
  std::string judged_estimate;
  int iterations = 0;
  McmleStartRecord start;
  ConvergenceRecord convergence;
  std::vector<IterationReport> history;
  std::int64_t toggles = 0;  // proposed, in all
  std::optional<ModeProbes> probes;
  // Not converged: the best estimate, the networks drawn there, or the chain that filled the
  // link store.
  BestEstimateRecord best;
  std::optional<LinkCountEvidence> evidence;
  std::optional<LinkCapacityStop> capacity;
  std::vector<double> observed, estimate, mcmc_error_percent;  // per coefficient
  std::vector<std::vector<double>> final_sample;  // [network][coefficient], network k of chain
  int final_chains = 1;                           // k mod final_chains
  double seconds = 0, sampler_seconds = 0;
  bool exact() const { return stop_reason == "dyad_independent"; }
};

template <class Result, class Visit>
requires same_result<Result, McmleRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("end", r.end), visit("stop_reason", r.stop_reason),
      visit("judged_estimate", r.judged_estimate), visit("iterations", r.iterations),
      visit("start", r.start), visit("convergence", r.convergence), visit("history", r.history),
      visit("toggles", r.toggles), visit("probes", r.probes), visit("best", r.best),
      visit("evidence", r.evidence), visit("capacity", r.capacity), visit("observed", r.observed),
      visit("estimate", r.estimate), visit("mcmc_error_percent", r.mcmc_error_percent),
      visit("final_sample", r.final_sample), visit("final_chains", r.final_chains),
      visit("seconds", r.seconds), visit("sampler_seconds", r.sampler_seconds);
}

// Equilibrium expectation: its tasks, their estimates, and the check of its estimate.
struct EquilibriumRecord {
  int tasks = 0;
  double gain = 0;
  int effective_draws = 0;  // asked for
  std::int64_t updates = 0, averaged_updates = 0, proposals_per_update = 0;
  double autocorrelation_updates = 0, effective_draws_averaged = 0;
  std::vector<double> start, estimate, task_spread;
  std::vector<std::vector<double>> task_estimates;
  std::int64_t proposals = 0, accepted = 0;
  bool filled = false;
  bool exact_draws = false;  // the statistics drawn exactly, no chains
  struct Check {             // networks drawn at the estimate
    std::int64_t networks = 0;
    int chains = 0;
    std::int64_t burnin = 0, interval = 0;
    std::vector<double> t_ratios;
    double hotelling_p_value = 0;
    bool passed = false, degenerate = false, link_capacity_reached = false;
    std::vector<double> standard_errors, mcmc_error_percent;
    bool exact_draws = false;
  };
  std::optional<Check> check;
};

template <class Result, class Visit>
requires same_result<Result, EquilibriumRecord::Check>
void visit_fields(Result& r, Visit&& visit) {
  visit("networks", r.networks), visit("chains", r.chains), visit("burnin", r.burnin),
      visit("interval", r.interval), visit("t_ratios", r.t_ratios),
      visit("hotelling_p_value", r.hotelling_p_value), visit("passed", r.passed),
      visit("degenerate", r.degenerate), visit("link_capacity_reached", r.link_capacity_reached),
      visit("standard_errors", r.standard_errors),
      visit("mcmc_error_percent", r.mcmc_error_percent), visit("exact_draws", r.exact_draws);
}

template <class Result, class Visit>
requires same_result<Result, EquilibriumRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("tasks", r.tasks), visit("gain", r.gain), visit("effective_draws", r.effective_draws),
      visit("updates", r.updates), visit("averaged_updates", r.averaged_updates),
      visit("proposals_per_update", r.proposals_per_update),
      visit("autocorrelation_updates", r.autocorrelation_updates),
      visit("effective_draws_averaged", r.effective_draws_averaged), visit("start", r.start),
      visit("estimate", r.estimate), visit("task_spread", r.task_spread),
      visit("task_estimates", r.task_estimates), visit("proposals", r.proposals),
      visit("accepted", r.accepted), visit("filled", r.filled), visit("exact_draws", r.exact_draws),
      visit("check", r.check);
}

// The pseudo-likelihood over every linked dyad and a sample of the empty ones.
struct DyadSampleRecord {
  std::int64_t linked_dyads = 0, empty_dyads = 0, controls = 0;
  bool every_empty_dyad = false;  // else drawn uniformly with replacement
  double control_weight = 0;
  std::uint64_t seed = 0;
  bool automatic = false;  // the default sample of a network too large to sweep
};

template <class Result, class Visit>
requires same_result<Result, DyadSampleRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("linked_dyads", r.linked_dyads), visit("empty_dyads", r.empty_dyads),
      visit("controls", r.controls), visit("every_empty_dyad", r.every_empty_dyad),
      visit("control_weight", r.control_weight), visit("seed", r.seed),
      visit("automatic", r.automatic);
}

struct Estimate {
  // What was fitted: the formula and the data options as command-line arguments (for a later
  // command to take the fit up), the files, the network, the blocks and the terms.
  std::string formula;
  std::string constraints;  // the sample space, as --constraints gave it; empty: every network
  std::vector<std::string> data_arguments;
  std::vector<InputFileRecord> files;
  FittedNetwork network;
  std::optional<BlockingRecord> blocking;
  std::vector<TermRecord> terms;

  std::string method;      // the estimator (estimators())
  std::string outcome;     // "converged", or what kept the fit from an estimate
  bool converged = false;  // an estimate, with the errors asked for
  bool estimated = false;  // the fit ended with estimates (the best found, if not converged)
  int passes = 0;          // of the pseudo-likelihood's Newton steps
  int iterations = 0;      // MCMC's iterations, or the Newton passes
  double seconds = 0;

  std::vector<CoefficientRow> coefficients;
  std::vector<std::vector<double>> covariance, correlation;  // NaN where there are none
  std::string errors = "naive";    // naive, godambe, bootstrap, mcmle, naive_and_sampling
  std::string errors_description;  // the method's settings in a line; empty for naive errors
  // Per coefficient, the share of its variance from sampling the empty dyads (empty: no such
  // sample) and from the MCMC (empty: no MCMC), in percent.
  std::vector<double> sampling_percent, mcmc_error_percent;
  std::optional<double> log_likelihood, aic, bic;
  std::optional<PseudoLikelihoodFigures> pseudo_likelihood;

  std::optional<McmleRecord> mcmle;
  std::optional<EquilibriumRecord> equilibrium;
  std::optional<DyadSampleRecord> dyad_sample;

  std::vector<WarningRecord> warnings;

  std::vector<std::string> names() const {
    std::vector<std::string> list;
    for (const CoefficientRow& row : coefficients) list.push_back(row.name);
    return list;
  }
  std::vector<double> estimates() const {
    std::vector<double> list;
    for (const CoefficientRow& row : coefficients) list.push_back(row.estimate);
    return list;
  }
  std::vector<double> std_errors() const {
    std::vector<double> list;
    for (const CoefficientRow& row : coefficients) list.push_back(row.std_error);
    return list;
  }
};

template <class Result, class Visit>
requires same_result<Result, Estimate>
void visit_fields(Result& r, Visit&& visit) {
  visit("formula", r.formula), visit("constraints", r.constraints),
      visit("data_arguments", r.data_arguments), visit("files", r.files),
      visit("network", r.network), visit("blocking", r.blocking), visit("terms", r.terms),
      visit("method", r.method), visit("outcome", r.outcome), visit("converged", r.converged),
      visit("estimated", r.estimated), visit("passes", r.passes), visit("iterations", r.iterations),
      visit("seconds", r.seconds), visit("coefficients", r.coefficients),
      visit("covariance", r.covariance), visit("correlation", r.correlation),
      visit("errors", r.errors), visit("errors_description", r.errors_description),
      visit("sampling_percent", r.sampling_percent),
      visit("mcmc_error_percent", r.mcmc_error_percent), visit("log_likelihood", r.log_likelihood),
      visit("aic", r.aic), visit("bic", r.bic), visit("pseudo_likelihood", r.pseudo_likelihood),
      visit("mcmle", r.mcmle), visit("equilibrium", r.equilibrium),
      visit("dyad_sample", r.dyad_sample), visit("warnings", r.warnings);
}

}  // namespace tarnwick
