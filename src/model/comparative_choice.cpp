#include "model/comparative_choice.h"

#include <memory>
#include <string>

#include "input/existing_file_prompt.h"
#include "input/file_access.h"

namespace tarn {

void choose_comparative_file(Io& io) {
  std::string name = ask_existing_file(io, " Enter name of comparative file: ", true);
  // The output file is being written: read as a network, it would hold no records yet.
  while (io.output_file && same_file(name, io.output_name)) {
    io.screen() << ' ' << name << " is the output file of this run. Try again...\n";
    name = ask_existing_file(io, " Enter name of comparative file: ", true);
  }
  io.comparative = std::make_unique<DataFile>(open_for_reading(name), name);
  if (io.output_file) io.file() << " Comparative file: " << name << '\n';
}

}  // namespace tarn
