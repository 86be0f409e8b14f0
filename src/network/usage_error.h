#pragma once
// A command line that asks for something the program cannot do: the message names the option or
// term, and the run ends with the usage status before any file is read or written.

#include <stdexcept>
#include <string>

namespace tarn {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A formula that the term table refuses, or a term that does not fit the data: a usage error of
// --model, which a library caller knows as an error of its model.
class FormulaError : public UsageError {
 public:
  using UsageError::UsageError;
};

// An output file that cannot be written.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tarn
