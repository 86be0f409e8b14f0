#include "dialogue/comparative_choice.h"

#include <string>

#include "dialogue/existing_file_prompt.h"
#include "network/file_access.h"
#include "report/classic_report.h"

namespace tarn {

std::unique_ptr<DataFile> choose_comparative_file(Session& session) {
  std::string name = ask_existing_file(session, " Enter name of comparative file: ", true);
  // The output file is being written: read as a network, it would hold no records yet.
  while (session.output_open() && same_file(name, session.output_name)) {
    session.screen() << ' ' << name << " is the output file of this run. Try again...\n";
    name = ask_existing_file(session, " Enter name of comparative file: ", true);
  }
  auto file = std::make_unique<DataFile>(open_for_reading(name), name);
  if (session.output_open()) {
    write_input_file_line(InputFileRole::comparative, name, session.file());
  }
  return file;
}

}  // namespace tarn
