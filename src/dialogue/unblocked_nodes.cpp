#include "dialogue/unblocked_nodes.h"

#include "report/unblocked_nodes_note.h"

namespace tarn {

void report_unblocked_nodes(const DialogueState& state, std::ostream& screen) {
  const int count =
      count_unblocked_nodes(state.blocking, state.attributes, state.network.node_count);
  if (count == 0) return;
  screen << ' ' << unblocked_nodes_sentence(count, state.blocking.block_count) << '\n';
}

}  // namespace tarn
