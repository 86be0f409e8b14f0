#include "model/comparative_choice.h"

#include <memory>
#include <string>

#include "input/file_access.h"

namespace tarn {

void choose_comparative_file(Io& io) {
  std::string name;
  for (;;) {
    io.screen() << '\n';
    io.console.prompt(" Enter name of comparative file: ");
    name = io.console.read_file_name();
    if (!file_exists(name)) {
      io.screen() << ' ' << name << " does not exist\n";
      continue;
    }
    // The output file is being written: read as a network, it would hold no records yet.
    if (io.output_file && same_file(name, io.output_name)) {
      io.screen() << ' ' << name << " is the output file of this run. Try again...\n";
      continue;
    }
    break;
  }
  io.comparative = std::make_unique<DataFile>(open_for_reading(name), name);
  if (io.output_file) io.file() << " Comparative file: " << name << '\n';
}

}  // namespace tarn
