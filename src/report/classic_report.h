#pragma once
// The report of one fitted model in the fixed-width layout of the dialogue: the fit statistics,
// the classification table and the parameter table on the screen; the same with the model
// heading, the framed classification table and the correlations of the estimates in the output
// file, closed by a form-feed line.

#include <ostream>

#include "fit/fit_result.h"
#include "model/blocking.h"
#include "model/model.h"

namespace tarn {

void write_report(const Model& model, const Blocking& blocking, const FitResult& result,
                  std::ostream& screen, std::ostream& file);

}  // namespace tarn
