#include "dialogue/file_dialogue.h"

#include "dialogue/existing_file_prompt.h"
#include "network/attribute_file.h"
#include "network/file_access.h"
#include "network/network_file.h"
#include "report/classic_report.h"
#include "stats/statistic_range.h"

namespace tarn {

namespace {

// The network file with its progress line: " Reading ", the name, and a dot as each stage ends.
Network read_network_with_progress(DataFile& file, std::ostream& screen) {
  screen << " Reading " << file.name() << " ." << std::flush;
  Network network = read_network_file(file, [&screen] { screen << '.' << std::flush; });
  check_statistic_range(network, network_file_source(file));
  screen << ".\n" << std::flush;
  return network;
}

}  // namespace

void readin(DialogueState& state, Session& session) {
  Console& console = session.console;
  std::ostream& screen = session.screen();

  std::string network_name = ask_existing_file(session, " Enter name of network file: ", true);
  DataFile network_file(open_for_reading(network_name), network_name);

  console.prompt(" Include diagonal (y or n)? ");
  state.include_diagonal = console.read_yes();

  screen << '\n';
  console.prompt(" Fit to block parameters (y or n)? ");
  std::string attribute_name;
  std::unique_ptr<DataFile> attribute_file;
  int attribute_count = 0;
  if (console.read_yes()) {
    state.use_blocks = true;
    attribute_name = ask_existing_file(session, " Enter name of attribute file: ", false);
    attribute_file = std::make_unique<DataFile>(open_for_reading(attribute_name), attribute_name);
    console.prompt(" How many attributes (not including id)? ");
    std::int64_t count = console.read_integer();
    if (count > max_attrs) count = max_attrs;
    if (count < -1) count = -1;  // any negative count reads no values
    attribute_count = static_cast<int>(count);
  } else {
    state.use_blocks = false;
    state.blocking.attribute = 0;
  }

  session.close_output();
  for (;;) {
    screen << '\n';
    console.prompt(" Enter name of output file: ");
    std::string name = console.read_file_name();
    if (file_exists(name) && !is_folder(name)) {  // a folder fails to open below, unasked
      // Rewriting an input file before it is read would lose it.
      if (same_file(name, network_name) || (attribute_file && same_file(name, attribute_name))) {
        screen << ' ' << name << " is an input file of this run. Try again...\n";
        continue;
      }
      screen << " The present contents of " << name << '\n';
      console.prompt(" will be lost. Is this okay? (y or n): ");
      if (!console.read_yes()) continue;
    }
    session.output_file = open_for_writing(name);
    session.output_name = name;
    break;
  }

  state.network = read_network_with_progress(network_file, screen);
  if (state.use_blocks) state.attributes = read_attribute_file(*attribute_file, attribute_count);

  write_input_file_line(InputFileRole::network, network_name, session.file());
  if (state.use_blocks) {
    write_input_file_line(InputFileRole::attributes, attribute_name, session.file());
  }
}

}  // namespace tarn
