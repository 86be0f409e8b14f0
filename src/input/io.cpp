#include "input/io.h"

#include "store/fatal_error.h"

namespace tarn {

void Io::check_output() {
  if (!output_file) return;
  output_file->flush();
  if (output_file->fail()) {
    output_file.reset();
    throw FatalError("Error writing the output file \"" + trimmed_name(output_name) +
                     "\" (is the disk full?).");
  }
}

void Io::close_output() {
  if (!output_file) return;
  check_output();
  output_file->close();
  bool failed = output_file->fail();
  output_file.reset();
  if (failed) {
    throw FatalError("Error closing the output file \"" + trimmed_name(output_name) + "\".");
  }
}

}  // namespace tarn
