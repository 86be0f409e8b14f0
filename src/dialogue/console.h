#pragma once
// Console conventions shared by every dialogue: prompts stay on their line, "(y or n)" answers
// look at the first character only, file names are 24-character fields, and numbers are read in
// free format from as many lines as needed, the rest of the last line discarded.

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

class Console {
 public:
  Console(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

  std::ostream& out() { return out_; }

  // Writes text without a line end and flushes, so the answer is typed behind it.
  void prompt(std::string_view text);

  // Next answer line, without its line end (and without a carriage return before it).
  // The end of the keyboard input ends the run.
  std::string read_line();

  // True when the first character of the answer line is y or Y.
  bool read_yes();

  // The first 24 characters of the answer line, padded with blanks to 24.
  std::string read_file_name();

  // `count` integers in free format: separated by blanks or commas, from as many lines as it
  // takes; whatever follows the last one on its line is discarded. A token that is not an
  // integer ends the run. A count of 0 takes (and ignores) one answer line.
  std::vector<std::int64_t> read_integers(int count);
  std::int64_t read_integer() { return read_integers(1)[0]; }

  // An integer from the first two characters of the answer line; blanks count for nothing,
  // so an empty line reads as 0.
  std::int64_t read_two_column_integer();

 private:
  std::istream& in_;
  std::ostream& out_;
};

}  // namespace tarn
