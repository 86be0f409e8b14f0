#pragma once
// The program's channels: the console, the output file (unit 3) and the comparative network
// file (unit 7). Passed by reference with the records to every operation.

#include <fstream>
#include <memory>
#include <string>

#include "input/console.h"
#include "input/data_file.h"

namespace tarn {

struct PassTiming;

struct Io {
  Io(std::istream& in, std::ostream& out) : console(in, out) {}

  Console console;
  std::unique_ptr<std::ofstream> output_file;
  std::string output_name;  // 24-character field
  std::unique_ptr<DataFile> comparative;
  PassTiming* timing = nullptr;  // benchmark hook: per-sweep times of the fit; null in the program

  std::ostream& screen() { return console.out(); }
  std::ostream& file() { return *output_file; }

  // Flushes and closes the output file; a failed write is reported as a fatal error.
  void close_output();
  // Flushes the output file and ends the run with a message if any write to it failed.
  void check_output();
};

}  // namespace tarn
