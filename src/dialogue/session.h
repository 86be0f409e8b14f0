#pragma once
// The channels of one dialogue: the console and the output file, which stays open from the file
// dialogue that names it until the next file dialogue or the end of the run.

#include <fstream>
#include <memory>
#include <string>

#include "dialogue/console.h"

namespace tarn {

struct Session {
  Session(std::istream& in, std::ostream& out) : console(in, out) {}

  Console console;
  std::unique_ptr<std::ofstream> output_file;
  std::string output_name;  // 24-character field

  std::ostream& screen() { return console.out(); }
  std::ostream& file() { return *output_file; }
  bool output_open() const { return output_file != nullptr; }

  // Flushes and closes the output file; a failed write throws DialogueError.
  void close_output();
  // Flushes the output file and ends the run with a message if any write to it failed.
  void check_output();
};

}  // namespace tarn
