#pragma once
// The command line's own error beside the library's (tarnwick/errors.h): an output file that
// cannot be written, which ends the run with exit_output_failed. Options that do not fit each
// other are the library's ArgumentError (exit_usage).

#include <stdexcept>

#include "tarnwick/errors.h"

namespace tarn {

class OutputFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tarn
