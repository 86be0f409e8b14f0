#pragma once
// The one exception that ends a run: bad input, a file that cannot be opened, the end of the
// keyboard input, or a capacity passed. The front end prints the message, closes its output
// file and exits with a non-zero status.

#include <stdexcept>
#include <string>

namespace tarn {

class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tarn
