#pragma once
// The diagnostics of a fit by maximum likelihood by MCMC, as one figure: for each statistic of the
// last sample its trace (chain by chain, in the order drawn) and its density, each against the
// observed value, with its t-ratio, lag-1 autocorrelation and effective size; then the largest
// |t| of every iteration, and the convergence figures. SVG, or an HTML page holding the SVG and
// a table of the same figures.

#include <ostream>
#include <string>
#include <vector>

#include "mcmle/mcmle.h"

namespace tarn {

// HTML when `path` ends in .html or .htm (any case), SVG otherwise.
void write_mcmle_diagnostics(const McmleResult& result, const std::vector<std::string>& names,
                             const std::string& path, std::ostream& out);

}  // namespace tarn
