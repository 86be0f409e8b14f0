#include "dialogue/session.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "dialogue/dialogue_error.h"
#include "tarnwick/classic/data.h"

namespace tarn {

void Session::check_output() {
  if (!output_file) return;
  errno = 0;
  output_file->flush();
  if (output_file->fail()) {
    // The system's reason when this flush failed; an earlier write may have failed instead.
    const int error = errno;
    output_file.reset();
    throw DialogueError("Error writing the output file \"" +
                        tarnwick::classic_trimmed_name(output_name) + "\" (" +
                        (error != 0 ? std::string(std::strerror(error)) : "is the disk full?") +
                        "): the file is incomplete.");
  }
}

void Session::close_output() {
  if (!output_file) return;
  check_output();
  output_file->close();
  bool failed = output_file->fail();
  output_file.reset();
  if (failed) {
    throw DialogueError("Error closing the output file \"" +
                        tarnwick::classic_trimmed_name(output_name) + "\".");
  }
}

}  // namespace tarn
