#pragma once
// The numbers of a goodness-of-fit comparison as the library's results hold them: every row, and
// each feature as the figure draws it (simulate/gof_spread.h: binned, standardized, the spread of
// the simulated values).

#include "simulate/gof_summary.h"
#include "tarnwick/results/simulation.h"

namespace tarn {

// The panels, rows, networks and geodesic sources of `summary`; the caller adds the title's parts,
// the sample and the warnings.
tarnwick::GofTables gof_numbers(const GofSummary& summary);

}  // namespace tarn
