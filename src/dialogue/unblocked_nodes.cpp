#include "dialogue/unblocked_nodes.h"

namespace tarn {

void report_unblocked_nodes(const DialogueState& state, std::ostream& screen) {
  const int count =
      count_unblocked_nodes(state.blocking, state.attributes, state.network.node_count);
  if (count == 0) return;
  screen << ' ' << count << (count == 1 ? " node has" : " nodes have")
         << " no valid block (value outside 1 to " << state.blocking.block_count
         << (count == 1 ? "); its" : "); their") << " dyads belong to no block type.\n";
}

}  // namespace tarn
