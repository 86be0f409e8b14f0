#pragma once
// The results of one fit as JSON, for programs: everything the fit knows (see json_results.cpp
// and the user guide for the fields). Numbers without a finite value are null.

#include <ostream>

#include "tarnwick/results/estimate.h"

namespace tarn {

void write_fit_json(const tarnwick::Estimate& estimate, std::ostream& out);

}  // namespace tarn
