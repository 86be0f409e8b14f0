#pragma once
// The exit statuses of the command line (also in the user guide).

namespace tarn {

enum ExitStatus : int {
  exit_ok = 0,             // the fit converged (or the command did its work)
  exit_internal = 1,       // an unexpected failure inside the program
  exit_usage = 2,          // an unknown option or term, a missing or conflicting option
  exit_bad_input = 3,      // an input file that cannot be read or is not valid, a capacity passed
  exit_fit_problem = 4,    // the fit did not converge, or the model is degenerate; outputs written
  exit_output_failed = 5,  // an output file that cannot be written
};

}  // namespace tarn
