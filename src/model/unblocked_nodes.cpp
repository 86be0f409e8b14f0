#include "model/unblocked_nodes.h"

#include <string>

namespace tarn {

int count_unblocked_nodes(const Records& rec) {
  const Blocks& blocks = rec.blocks;
  const int attr = blocks.block_attr;
  if (attr < 1 || attr > max_attrs) return 0;
  int count = 0;
  for (int i = 1; i <= rec.nodes.node_count; ++i) {
    const int block = rec.nodes.attr_value(i, attr);
    if (block < 1 || block > blocks.block_count) ++count;
  }
  return count;
}

void report_unblocked_nodes(const Records& rec, std::ostream& screen) {
  const int count = count_unblocked_nodes(rec);
  if (count == 0) return;
  screen << ' ' << count << (count == 1 ? " node has" : " nodes have")
         << " no valid block (value outside 1 to " << rec.blocks.block_count
         << (count == 1 ? "); its" : "); their") << " dyads belong to no block type.\n";
}

}  // namespace tarn
