#pragma once
// The command line's summary of a fit on the screen (the dialogue's report is classic_report.h):
// the network and model, the fit statistics, and a parameter table laid out as R's summary()
// lays one out: term, estimate, std. error, z value, Pr(>|z|) and significance stars, each
// column as wide as its widest entry, so that no number runs into the next.

#include <ostream>
#include <string>

#include "tarnwick/results/estimate.h"

namespace tarn {

void write_fit_screen(const tarnwick::Estimate& estimate, std::ostream& out);

// R's significance stars of a p-value: *** below 0.001, ** below 0.01, * below 0.05, . below
// 0.1, else none.
std::string significance_stars(double p_value);

}  // namespace tarn
