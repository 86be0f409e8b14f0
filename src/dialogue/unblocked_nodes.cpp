#include "dialogue/unblocked_nodes.h"

#include "tarnwick/classic/model.h"

namespace tarn {

void report_unblocked_nodes(const DialogueState& state, std::ostream& screen) {
  const int count = tarnwick::classic_unblocked_nodes(state.blocking, state.attributes,
                                                      state.network.node_count());
  if (count == 0) return;
  screen << ' ' << tarnwick::classic_unblocked_nodes_sentence(count, state.blocking.block_count)
         << '\n';
}

}  // namespace tarn
