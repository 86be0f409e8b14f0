#pragma once
// The diagnostics of a fit by maximum likelihood by MCMC, as one figure: for each statistic of the
// last sample its trace (chain by chain, in the order drawn) and its density, each against the
// observed value, with its t-ratio, lag-1 autocorrelation and effective size; then the largest
// |t| of every iteration, and the convergence figures. SVG, or an HTML page holding the SVG and
// a table of the same figures.

#include <ostream>
#include <string>
#include <vector>

#include "tarnwick/results/estimate.h"

namespace tarn {

// The figure alone (SVG), or in an HTML page with a table of the same figures.
void write_mcmle_diagnostics_svg(const tarnwick::McmleRecord& record,
                                 const std::vector<std::string>& names, std::ostream& out);
void write_mcmle_diagnostics_html(const tarnwick::McmleRecord& record,
                                  const std::vector<std::string>& names, std::ostream& out);

}  // namespace tarn
