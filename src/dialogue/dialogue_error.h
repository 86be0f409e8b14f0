#pragma once
// The dialogue's own end of a run: the end of the keyboard input, an answer that is not a whole
// number or too long, an output file that takes no writes. The run ends with its message, as it
// does with the library's InputError and CapacityError.

#include <stdexcept>

namespace tarn {

class DialogueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tarn
