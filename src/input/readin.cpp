#include "input/readin.h"

#include "input/attribute_file.h"
#include "input/existing_file_prompt.h"
#include "input/file_access.h"
#include "input/network_file.h"

namespace tarn {

void readin(Records& rec, Io& io) {
  Console& console = io.console;
  std::ostream& screen = io.screen();

  if (rec.flags.type_on(16) == 1) io.comparative.reset();

  std::string network_name = ask_existing_file(io, " Enter name of network file: ", true);
  DataFile network(open_for_reading(network_name), network_name);

  console.prompt(" Include diagonal (y or n)? ");
  rec.flags.skip_diagonal = console.read_yes() ? 0 : 1;

  screen << '\n';
  console.prompt(" Fit to block parameters (y or n)? ");
  std::string attribute_name;
  std::unique_ptr<DataFile> attributes;
  if (console.read_yes()) {
    rec.flags.use_blocks = 1;
    attribute_name = ask_existing_file(io, " Enter name of attribute file: ", false);
    attributes = std::make_unique<DataFile>(open_for_reading(attribute_name), attribute_name);
    console.prompt(" How many attributes (not including id)? ");
    std::int64_t count = console.read_integer();
    if (count > max_attrs) count = max_attrs;
    if (count < -1) count = -1;  // any negative count reads no values
    rec.nodes.attr_count = static_cast<int16>(count);
  } else {
    rec.flags.use_blocks = 0;
    rec.blocks.block_attr = 0;
  }

  if (rec.flags.output_open == 1) {
    io.close_output();
    rec.flags.output_open = 0;
  }

  for (;;) {
    screen << '\n';
    console.prompt(" Enter name of output file: ");
    std::string name = console.read_file_name();
    if (file_exists(name) && !is_folder(name)) {  // a folder fails to open below, unasked
      // Rewriting an input file before it is read would lose it.
      if (same_file(name, network_name) || (attributes && same_file(name, attribute_name))) {
        screen << ' ' << name << " is an input file of this run. Try again...\n";
        continue;
      }
      screen << " The present contents of " << name << '\n';
      console.prompt(" will be lost. Is this okay? (y or n): ");
      if (!console.read_yes()) continue;
    }
    io.output_file = open_for_writing(name);
    io.output_name = name;
    break;
  }
  rec.flags.output_open = 1;

  read_network(rec, io, network);
  if (rec.flags.use_blocks == 1) read_attributes(rec, *attributes);

  io.file() << " Network file:   " << network_name << '\n';
  if (rec.flags.use_blocks == 1) io.file() << " Attribute file: " << attribute_name << '\n';
}

}  // namespace tarn
