#pragma once
// The numbers of networks drawn from a model (simulate), of the goodness-of-fit check that
// compares them with the observed network (gof), and of a formula's statistics (summary).
// tarnwick/reporting.h writes them as the command line's tables, CSV and figures.

#include <cstdint>
#include <string>
#include <vector>

#include "tarnwick/results/estimate.h"
#include "tarnwick/results/warning.h"

namespace tarnwick {

// How drawing went.
enum class DrawOutcome {
  drawn,
  no_estimate,  // no coefficients given, and the pseudo-likelihood fit gave no estimate
  degenerate,   // a chain filled the link store; gof: the networks also pile up or split
};

// The chains that drew a sample and what they did.
struct SamplerRecord {
  int chains = 0;
  std::uint64_t seed = 0;
  std::int64_t burnin = 0, interval = 0;  // proposed toggles
  std::int64_t proposals = 0, accepted = 0;
};

template <class Result, class Visit>
requires same_result<Result, SamplerRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("chains", r.chains), visit("seed", r.seed), visit("burnin", r.burnin),
      visit("interval", r.interval), visit("proposals", r.proposals), visit("accepted", r.accepted);
}

// The model's statistics of the networks drawn, against those of the observed network (or of
// the start, for draws from an empty network).
struct SampleFigures {
  std::vector<std::string> statistic_names;
  std::vector<double> observed;
  bool empty_start = false;  // `observed` is the start's: the empty network of the nodes
  std::vector<std::vector<double>> statistics;  // [network][statistic]
  // Per statistic: the mean and standard deviation of the networks drawn (NaN for fewer than
  // two) and the lag-1 autocorrelation within the chains (NaN when they give too few pairs).
  std::vector<double> mean, sd, lag1_autocorrelation;
  SamplerRecord sampler;
};

template <class Result, class Visit>
requires same_result<Result, SampleFigures>
void visit_fields(Result& r, Visit&& visit) {
  visit("statistic_names", r.statistic_names), visit("observed", r.observed),
      visit("empty_start", r.empty_start), visit("statistics", r.statistics), visit("mean", r.mean),
      visit("sd", r.sd), visit("lag1_autocorrelation", r.lag1_autocorrelation),
      visit("sampler", r.sampler);
}

// One value of one feature of the goodness of fit: the observed figure and the simulated ones'
// minimum, mean, maximum, 2.5% and 97.5% points, and the Monte Carlo p-value.
struct GofRow {
  std::string feature;  // out_degree, in_degree, degree, edgewise_shared, ..., model
  std::string value;    // "0", "1", ..., "inf", a triad type or a statistic's name
  double observed = 0, min = 0, mean = 0, max = 0, lower = 0, upper = 0, p_value = 0;
};

template <class Result, class Visit>
requires same_result<Result, GofRow>
void visit_fields(Result& r, Visit&& visit) {
  visit("feature", r.feature), visit("value", r.value), visit("observed", r.observed),
      visit("min", r.min), visit("mean", r.mean), visit("max", r.max), visit("lower", r.lower),
      visit("upper", r.upper), visit("p_value", r.p_value);
}

// One value of a feature as the figure draws it: the observed value and the spread of the
// simulated ones (quartiles, median, range and the 95% band; `simulated` false without any).
struct GofDrawnValue {
  std::string label;
  double observed = 0;
  bool simulated = false;
  double min = 0, first_quartile = 0, median = 0, third_quartile = 0, max = 0;
  double lower = 0, upper = 0;
};

template <class Result, class Visit>
requires same_result<Result, GofDrawnValue>
void visit_fields(Result& r, Visit&& visit) {
  visit("label", r.label), visit("observed", r.observed), visit("simulated", r.simulated),
      visit("min", r.min), visit("first_quartile", r.first_quartile), visit("median", r.median),
      visit("third_quartile", r.third_quartile), visit("max", r.max), visit("lower", r.lower),
      visit("upper", r.upper);
}

// One feature (a panel of the figure, a table of the rows).
struct GofPanel {
  std::string key;         // as GofRow::feature
  std::string title;       // "Out-degree"
  std::string axis_label;  // "out-degree"
  bool numeric = false;    // the values are counts (degrees, partners, distances), not categories
  // As drawn: counts past 40 values binned in widths that double, model statistics standardized
  // by the simulated mean and standard deviation.
  std::string drawn_axis_label;
  bool standardized = false;
  std::vector<GofDrawnValue> drawn;
};

template <class Result, class Visit>
requires same_result<Result, GofPanel>
void visit_fields(Result& r, Visit&& visit) {
  visit("key", r.key), visit("title", r.title), visit("axis_label", r.axis_label),
      visit("numeric", r.numeric), visit("drawn_axis_label", r.drawn_axis_label),
      visit("standardized", r.standardized), visit("drawn", r.drawn);
}

struct GofTables {
  DrawOutcome outcome = DrawOutcome::drawn;
  // False when there are no tables: no estimate to draw from, or degenerate draws.
  bool made = false;
  std::string network_path;  // for the title
  bool directed = true;
  std::vector<std::string> terms;  // the model's terms as written
  int networks = 0;                // simulated
  std::vector<GofPanel> panels;
  std::vector<GofRow> rows;  // every value of every panel, panel by panel
  // Geodesic distances counted from fewer sources than nodes are estimated shares.
  std::int64_t nodes = 0, geodesic_sources = 0;
  SampleFigures sample;              // the model's statistics of the networks drawn
  std::vector<double> coefficients;  // drawn from, canonical
  std::vector<WarningRecord> notes;  // of the data and the model
  std::vector<WarningRecord> warnings;
};

template <class Result, class Visit>
requires same_result<Result, GofTables>
void visit_fields(Result& r, Visit&& visit) {
  visit("outcome", r.outcome), visit("made", r.made), visit("network_path", r.network_path),
      visit("directed", r.directed), visit("terms", r.terms), visit("networks", r.networks),
      visit("panels", r.panels), visit("rows", r.rows), visit("nodes", r.nodes),
      visit("geodesic_sources", r.geodesic_sources), visit("sample", r.sample),
      visit("coefficients", r.coefficients), visit("notes", r.notes), visit("warnings", r.warnings);
}

// The observed statistics of a formula (summary).
struct StatisticRow {
  std::string name;
  std::string term;  // the term it comes from, as written
  double value = 0;
};

template <class Result, class Visit>
requires same_result<Result, StatisticRow>
void visit_fields(Result& r, Visit&& visit) {
  visit("name", r.name), visit("term", r.term), visit("value", r.value);
}

struct StatisticsReport {
  std::vector<InputFileRecord> files;
  int nodes = 0;
  std::int64_t links = 0;
  bool directed = true;
  int bipartite = 0;               // a two-mode network: nodes 1..bipartite the first mode
  std::int64_t missing_dyads = 0;  // dyads not observed (NA), counted as no link
  std::vector<StatisticRow> statistics;
  std::vector<WarningRecord> warnings;  // the model's notes
};

template <class Result, class Visit>
requires same_result<Result, StatisticsReport>
void visit_fields(Result& r, Visit&& visit) {
  visit("files", r.files), visit("nodes", r.nodes), visit("links", r.links),
      visit("directed", r.directed), visit("bipartite", r.bipartite),
      visit("missing_dyads", r.missing_dyads), visit("statistics", r.statistics),
      visit("warnings", r.warnings);
}

}  // namespace tarnwick
