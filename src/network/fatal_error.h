#pragma once
// The one exception that ends a run: bad input, a file that cannot be opened, the end of the
// keyboard input, or a capacity passed. The front end prints the message, closes its output
// file and exits with a non-zero status.

#include <stdexcept>
#include <string>
#include <utility>

namespace tarn {

// Where in an input file the fault is, as data beside the message that words it: the file
// (empty: no file), the line (0: the file as a whole) and the column (0: not known).
struct InputPlace {
  std::string file;
  long line = 0;
  int column = 0;
};

class FatalError : public std::runtime_error {
 public:
  explicit FatalError(const std::string& message, InputPlace place = {})
      : std::runtime_error(message), place_(std::move(place)) {}
  const InputPlace& place() const { return place_; }

 private:
  InputPlace place_;
};

// A capacity passed ("Too many links!"): the input may be valid, but larger than the program
// holds.
class CapacityPassed : public FatalError {
 public:
  using FatalError::FatalError;
};

// The place as messages name it: "FILE", line L, and ", column C" when the column is known.
inline std::string place_text(const InputPlace& place) {
  std::string text = "\"" + place.file + "\", line " + std::to_string(place.line);
  if (place.column > 0) text += ", column " + std::to_string(place.column);
  return text;
}

// "Input error in PLACE: DETAIL", carrying the place.
inline FatalError input_error(InputPlace place, const std::string& detail) {
  const std::string message = "Input error in " + place_text(place) + ": " + detail;
  return FatalError(message, std::move(place));
}

// The same for a capacity passed at a place.
inline CapacityPassed capacity_passed(InputPlace place, const std::string& detail) {
  const std::string message = "Input error in " + place_text(place) + ": " + detail;
  return CapacityPassed(message, std::move(place));
}

}  // namespace tarn
