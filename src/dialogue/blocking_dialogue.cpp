#include "dialogue/blocking_dialogue.h"

#include <cstdint>
#include <string>
#include <vector>

#include "dialogue/block_display.h"
#include "dialogue/unblocked_nodes.h"
#include "tarnwick/classic/report.h"

namespace tarn {

namespace {

using tarnwick::classic_int_field;
using tarnwick::ClassicBlocking;
using tarnwick::ClassicCapacity;

// Asks for the blocking attribute until it is 0 (no blocking) or names a usable attribute with
// at most 16 blocks. Returns that attribute; *block_total receives its number of blocks.
int ask_blocking_attribute(const tarnwick::ClassicAttributes& attributes, Session& session,
                           int* block_total) {
  std::ostream& screen = session.screen();
  for (;;) {
    screen << '\n';
    session.console.prompt(" Enter attribute number for blocking (1-" +
                           classic_int_field(attributes.usable_count(), 2) + "): ");
    const std::int64_t attr = session.console.read_two_column_integer();
    if (attr == 0) return 0;
    // Only the usable attributes can block: their largest value is positive.
    if (attr < 1 || attr > attributes.usable_count() || attr > ClassicCapacity::attributes ||
        attributes.largest(static_cast<int>(attr)) <= 0) {
      screen << " Attribute " << attr << " cannot be used for blocking. Try again...\n";
      continue;
    }
    const int blocks = attributes.largest(static_cast<int>(attr));
    if (blocks > ClassicCapacity::blocks) {
      screen << '\n'
             << ' ' << classic_int_field(blocks, 4) << " is too many blocks! Maximum is 16\n";
      continue;
    }
    *block_total = blocks;
    return static_cast<int>(attr);
  }
}

// The structure typed row by row. A row with a value outside 0..16 is refused as a whole and
// asked again; only accepted rows reach the structure.
void type_structure(ClassicBlocking& blocking, Session& session) {
  std::ostream& screen = session.screen();
  const int nb = blocking.block_count;
  screen << '\n'
         << " Enter " << classic_int_field(nb, 2) << " rows, and " << classic_int_field(nb, 2)
         << " columns"
         << " of block types between 0 and 16\n";
  for (int r = 1; r <= nb; ++r) {
    for (;;) {
      screen << '\n';
      session.console.prompt(" Row " + classic_int_field(r, 2) + ": ");
      const std::vector<std::int64_t> row = session.console.read_integers(nb);
      bool accepted = true;
      for (std::int64_t value : row) {
        if (value > ClassicCapacity::block_types) {
          screen << classic_int_field(value, 4) << " is too large! Maximum is 16. Try again...\n";
          accepted = false;
          break;
        }
        if (value < 0) {
          screen << classic_int_field(value, 4) << " is negative! Minimum is 0. Try again...\n";
          accepted = false;
          break;
        }
      }
      if (!accepted) continue;
      for (int c = 1; c <= nb; ++c) {
        blocking.type_of(r, c) = static_cast<int>(row[static_cast<std::size_t>(c - 1)]);
      }
      break;
    }
  }
  blocking.count_block_types();
}

}  // namespace

void settle_blocking(DialogueState& state, Session& session) {
  if (!state.use_blocks) return;
  ClassicBlocking& blocking = state.blocking;
  std::ostream& screen = session.screen();

  bool keep = false;
  if (blocking.in_use()) {
    session.console.prompt(" Same blocking? ");
    keep = session.console.read_yes();
  }
  if (!keep) {
    int block_total = 0;
    const int attribute = ask_blocking_attribute(state.attributes, session, &block_total);
    if (attribute == 0) {
      blocking.attribute = 0;
      return;
    }
    blocking = ClassicBlocking::identity(attribute, block_total);
    show_block_structure(blocking, screen);
    screen << '\n';
    session.console.prompt(" Accept this block structure? (y or n): ");
    if (!session.console.read_yes()) type_structure(blocking, session);
  }
  // The kept blocking may meet new attribute values: check the blocks of the nodes either way.
  report_unblocked_nodes(state, screen);
}

}  // namespace tarn
