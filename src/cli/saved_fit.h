#pragma once
// A fit taken up again from the JSON results it wrote (fit --json): its model as given, its data
// options, its coefficients and the size of the network it fitted, so that simulate --fit and
// gof --fit draw networks from the fitted model without its estimates pasted into --coef.

#include <string>

#include "io/input_data.h"

namespace tarn {

struct SavedFit {
  StudyOptions study;        // the data options of the fit, paths as it was given them
  std::string model;         // as it was given
  std::string coefficients;  // its estimates, as --coef takes them (empty without an estimate)
  std::string outcome;       // "converged", or why the fit has no estimate
  int nodes = 0, links = 0;  // of the network it fitted

  bool converged() const { return outcome == "converged"; }
};

// Throws FatalError, naming the file, for a file that is no JSON results file of tarnwick fit.
SavedFit read_saved_fit(const std::string& path);

}  // namespace tarn
