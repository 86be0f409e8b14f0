#pragma once
// The results as text, on demand: the command line's screen, JSON, tidy CSV, figures (SVG, HTML)
// and the dialogue's report, each written from the numbers of a fit (Estimate), of networks drawn
// (SampleFigures), of a goodness-of-fit check (GofTables) or of a formula's statistics
// (StatisticsReport). The same numbers give the same bytes as the command line writes.

#include <string>

#include "tarnwick/results/estimate.h"
#include "tarnwick/results/simulation.h"

namespace tarnwick {

// A fit: the summary of the screen (R's summary() layout), the JSON results (every figure of
// the fit; simulate --fit and load_fit read it back), and one row per coefficient as a tidy CSV.
std::string fit_screen(const Estimate& estimate);
// The fit as ergm's summary() prints it (the coefficient table, deviances, AIC and BIC).
std::string ergm_summary(const Estimate& estimate);
std::string fit_json(const Estimate& estimate);
std::string fit_csv(const Estimate& estimate);

// The dialogue's output file of a pseudo-likelihood fit of the sixteen configuration types: the
// input files, the fit statistics, the classification table, the estimates and their
// correlations, in fixed-width columns. ArgumentError for another fit or model.
std::string dialogue_report(const Estimate& estimate);

// The last sample of a fit by MCMC (or the networks that judged an equilibrium-expectation
// estimate) against the observed statistics: traces, densities and convergence figures, as an
// SVG figure or an HTML page with a table. ArgumentError for a fit that drew no networks.
std::string diagnostics_svg(const Estimate& estimate);
std::string diagnostics_html(const Estimate& estimate);

// Networks drawn: per statistic the observed (or start) value and the networks' mean, standard
// deviation and lag-1 autocorrelation, then the sampler (simulate's screen); and the statistics
// of every network as CSV (simulate --stats).
std::string sample_table(const SampleFigures& sample);
std::string sample_csv(const SampleFigures& sample);

// Goodness of fit: gof's screen (the values outside the 95% band, then sample_table), the long
// CSV table, and the figure alone (SVG) or in an HTML page with the tables.
std::string gof_screen(const GofTables& tables);
std::string gof_csv(const GofTables& tables);
std::string gof_svg(const GofTables& tables);
std::string gof_html(const GofTables& tables);

// A formula's statistics: a table for the screen, JSON and CSV (name, term, value).
std::string statistics_table(const StatisticsReport& report);
std::string statistics_json(const StatisticsReport& report);
std::string statistics_csv(const StatisticsReport& report);

}  // namespace tarnwick
