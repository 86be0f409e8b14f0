#include "model/blocking.h"

#include <cstdint>
#include <string>
#include <vector>

#include "model/block_display.h"
#include "model/unblocked_nodes.h"
#include "report/fixed_field.h"

namespace tarn {

namespace {

// Asks for the blocking attribute until it is 0 (no blocking) or names a usable attribute with
// at most 16 blocks. Returns that attribute; *block_total receives its number of blocks.
int ask_blocking_attribute(const Nodes& nodes, Io& io, int* block_total) {
  std::ostream& screen = io.screen();
  for (;;) {
    screen << '\n';
    io.console.prompt(" Enter attribute number for blocking (1-" + int_field(nodes.attr_count, 2) +
                      "): ");
    const std::int64_t attr = io.console.read_two_column_integer();
    if (attr == 0) return 0;
    // Only the usable attributes can block: those counted in attr_count have attr_max > 0.
    if (attr < 1 || attr > nodes.attr_count || attr > max_attrs ||
        nodes.attr_max(static_cast<int>(attr)) <= 0) {
      screen << " Attribute " << attr << " cannot be used for blocking. Try again...\n";
      continue;
    }
    const int blocks = nodes.attr_max(static_cast<int>(attr));
    if (blocks > max_blocks) {
      screen << '\n' << ' ' << int_field(blocks, 4) << " is too many blocks! Maximum is 16\n";
      continue;
    }
    *block_total = blocks;
    return static_cast<int>(attr);
  }
}

void set_identity_structure(Blocks& blocks, int block_total) {
  blocks.block_count = static_cast<int16>(block_total);
  blocks.block_type_count = 1;
  for (int r = 1; r <= block_total; ++r) {
    for (int c = 1; c <= block_total; ++c) blocks.block_type(r, c) = r == c ? 1 : 0;
  }
}

// The structure typed row by row. A row with a value outside 0..16 is refused as a whole and
// asked again; only accepted rows reach the structure.
void type_structure(Blocks& blocks, Io& io) {
  std::ostream& screen = io.screen();
  const int nb = blocks.block_count;
  screen << '\n'
         << " Enter " << int_field(nb, 2) << " rows, and " << int_field(nb, 2) << " columns"
         << " of block types between 0 and 16\n";
  for (int r = 1; r <= nb; ++r) {
    for (;;) {
      screen << '\n';
      io.console.prompt(" Row " + int_field(r, 2) + ": ");
      const std::vector<std::int64_t> row = io.console.read_integers(nb);
      bool accepted = true;
      for (std::int64_t value : row) {
        if (value > max_block_types) {
          screen << int_field(value, 4) << " is too large! Maximum is 16. Try again...\n";
          accepted = false;
          break;
        }
        if (value < 0) {
          screen << int_field(value, 4) << " is negative! Minimum is 0. Try again...\n";
          accepted = false;
          break;
        }
      }
      if (!accepted) continue;
      for (int c = 1; c <= nb; ++c) {
        blocks.block_type(r, c) = static_cast<int16>(row[static_cast<std::size_t>(c - 1)]);
      }
      break;
    }
  }
  int largest = 0;
  for (int r = 1; r <= nb; ++r) {
    for (int c = 1; c <= nb; ++c) {
      if (blocks.block_type(r, c) > largest) largest = blocks.block_type(r, c);
    }
  }
  blocks.block_type_count = static_cast<int16>(largest);
}

}  // namespace

void settle_blocking(Records& rec, Io& io) {
  if (rec.flags.use_blocks == 0) return;
  Blocks& blocks = rec.blocks;
  std::ostream& screen = io.screen();

  bool keep = false;
  if (blocks.block_attr != 0) {
    io.console.prompt(" Same blocking? ");
    keep = io.console.read_yes();
  }
  if (!keep) {
    int block_total = 0;
    blocks.block_attr = static_cast<int16>(ask_blocking_attribute(rec.nodes, io, &block_total));
    if (blocks.block_attr == 0) return;
    set_identity_structure(blocks, block_total);
    show_block_structure(blocks, screen);
    screen << '\n';
    io.console.prompt(" Accept this block structure? (y or n): ");
    if (!io.console.read_yes()) type_structure(blocks, io);
  }
  // The kept blocking may meet new attribute values: check the blocks of the nodes either way.
  report_unblocked_nodes(rec, screen);
}

}  // namespace tarn
