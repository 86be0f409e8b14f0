#include "dialogue/comparative_choice.h"

#include <string>

#include "dialogue/existing_file_prompt.h"
#include "tarnwick/classic/report.h"

namespace tarn {

tarnwick::ClassicFile choose_comparative_file(Session& session) {
  std::string name = ask_existing_file(session, " Enter name of comparative file: ", true);
  // The output file is being written: read as a network, it would hold no records yet.
  while (session.output_open() && tarnwick::classic_same_file(name, session.output_name)) {
    session.screen() << ' ' << name << " is the output file of this run. Try again...\n";
    name = ask_existing_file(session, " Enter name of comparative file: ", true);
  }
  tarnwick::ClassicFile file = tarnwick::ClassicFile::open(name);
  if (session.output_open()) {
    session.file() << tarnwick::classic_input_file_line(tarnwick::ClassicInputRole::comparative,
                                                        name);
  }
  return file;
}

}  // namespace tarn
