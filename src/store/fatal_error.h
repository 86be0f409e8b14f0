#pragma once
// The one exception that ends a run: bad input, a file that cannot be opened, the end of the
// keyboard input, or a capacity message. main() prints the message, closes the output file and
// exits with the status it carries.

#include <stdexcept>
#include <string>

namespace tarn {

class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& message, int exit_status = 1)
      : std::runtime_error(message), status_(exit_status) {}
  int exit_status() const { return status_; }

 private:
  int status_;
};

}  // namespace tarn
