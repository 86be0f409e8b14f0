#pragma once
// A fit taken up again from the JSON results it wrote (the command line's fit --json): its model,
// its data, its estimates and the size of the network it fitted, so that networks are drawn from
// the fitted model without its estimates written out again.

#include <string>
#include <vector>

namespace tarnwick {

struct SavedFit {
  std::string formula;      // as it was given
  std::string constraints;  // the sample space it was fitted over; empty: every network
  // The data options of the fit as command-line arguments, the network first, its path as it
  // was given.
  std::vector<std::string> data_arguments;
  std::vector<double> coefficients;  // its estimates (empty without one)
  std::string outcome;               // "converged", or why the fit has no estimate
  int nodes = 0, links = 0;          // of the network it fitted

  bool converged() const { return outcome == "converged"; }
};

// Throws InputError, naming the file, for a file that is no JSON results of a fit.
SavedFit read_saved_fit(const std::string& path);

}  // namespace tarnwick
