#include "dialogue/file_dialogue.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "dialogue/existing_file_prompt.h"
#include "tarnwick/classic/report.h"

namespace tarn {

namespace {

using tarnwick::ClassicFile;
using tarnwick::ClassicInputRole;

// The network file with its progress line: " Reading ", the name, and a dot as each stage ends.
tarnwick::ClassicNetwork read_network_with_progress(ClassicFile& file, std::ostream& screen) {
  screen << " Reading " << file.name() << " ." << std::flush;
  tarnwick::ClassicNetwork network =
      tarnwick::read_classic_network(file, [&screen] { screen << '.' << std::flush; });
  screen << ".\n" << std::flush;
  return network;
}

}  // namespace

void readin(DialogueState& state, Session& session) {
  Console& console = session.console;
  std::ostream& screen = session.screen();

  std::string network_name = ask_existing_file(session, " Enter name of network file: ", true);
  ClassicFile network_file = ClassicFile::open(network_name);

  console.prompt(" Include diagonal (y or n)? ");
  state.include_diagonal = console.read_yes();

  screen << '\n';
  console.prompt(" Fit to block parameters (y or n)? ");
  std::string attribute_name;
  std::optional<ClassicFile> attribute_file;
  int attribute_count = 0;
  if (console.read_yes()) {
    state.use_blocks = true;
    attribute_name = ask_existing_file(session, " Enter name of attribute file: ", false);
    attribute_file = ClassicFile::open(attribute_name);
    console.prompt(" How many attributes (not including id)? ");
    std::int64_t count = console.read_integer();
    count = std::min<std::int64_t>(count, tarnwick::ClassicCapacity::attributes);
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
    // A folder is not asked about: it fails to open below.
    if (tarnwick::classic_file_exists(name) && !tarnwick::classic_is_folder(name)) {
      // Rewriting an input file before it is read would lose it.
      if (tarnwick::classic_same_file(name, network_name) ||
          (attribute_file && tarnwick::classic_same_file(name, attribute_name))) {
        screen << ' ' << name << " is an input file of this run. Try again...\n";
        continue;
      }
      screen << " The present contents of " << name << '\n';
      console.prompt(" will be lost. Is this okay? (y or n): ");
      if (!console.read_yes()) continue;
    }
    session.output_file = tarnwick::classic_output_file(name);
    session.output_name = name;
    break;
  }

  state.network = read_network_with_progress(network_file, screen);
  if (state.use_blocks) {
    state.attributes = tarnwick::read_classic_attributes(*attribute_file, attribute_count);
  }

  session.file() << tarnwick::classic_input_file_line(ClassicInputRole::network, network_name);
  if (state.use_blocks) {
    session.file() << tarnwick::classic_input_file_line(ClassicInputRole::attributes,
                                                        attribute_name);
  }
}

}  // namespace tarn
