#include "model/parameter_selection.h"

#include "model/comparative_choice.h"
#include "model/global_dialogue.h"
#include "model/group_dialogue.h"
#include "model/parameter_menu.h"
#include "model/short_dialogue.h"
#include "model/type_switches.h"

namespace tarn {

namespace {

void reset_model(Records& rec, Io& io) {
  Blocks& blocks = rec.blocks;
  if (blocks.block_attr != 0) {
    for (int g = 1; g <= 16; ++g) {
      blocks.group_type(g) = 0;
      blocks.group_size(g) = 0;
      blocks.group_column0(g) = static_cast<int16>(16 + blocks.block_type_count * (g - 1));
    }
  }
  // The previous model's comparative network file is still open.
  if (rec.flags.type_on(16) == 1) io.comparative.reset();
  for (int t = 1; t <= 16; ++t) rec.flags.type_on(t) = 0;
  rec.stats.param_count = 0;
  for (int p = 1; p <= max_params; ++p) rec.stats.param_column(p) = 0;
}

}  // namespace

void choose_parameters(Records& rec, Io& io) {
  reset_model(rec, io);
  show_parameter_menu(io.screen());
  if (rec.blocks.block_attr != 0 && rec.blocks.block_type_count == 1) {
    run_short_dialogue(rec, io);
  } else {
    run_global_dialogue(rec, io);
    if (rec.blocks.block_attr != 0) run_group_dialogue(rec, io);
  }
  derive_type_switches(rec);
  if (rec.flags.type_on(16) == 1) choose_comparative_file(io);
}

}  // namespace tarn
