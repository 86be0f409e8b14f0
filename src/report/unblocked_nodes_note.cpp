#include "report/unblocked_nodes_note.h"

namespace tarn {

std::string unblocked_nodes_sentence(int unblocked, int block_count) {
  const bool one = unblocked == 1;
  return std::to_string(unblocked) + (one ? " node has" : " nodes have") +
         " no valid block (value outside 1 to " + std::to_string(block_count) + "); " +
         (one ? "its" : "their") + " dyads belong to no block type.";
}

}  // namespace tarn
