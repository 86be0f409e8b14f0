#include "stats/block_split.h"

#include <algorithm>
#include <array>

namespace tarn {

void block_split(Records& rec, int16 i) {
  const Blocks& blocks = rec.blocks;
  const int attr = blocks.block_attr;
  if (attr < 1 || attr > max_attrs) return;
  const int n = rec.nodes.node_count;
  const int type_count = blocks.block_type_count;
  if (type_count < 1 || type_count > max_block_types) return;
  const int block_limit = std::min<int>(blocks.block_count, max_blocks);
  auto in_range = [block_limit](int block) { return block >= 1 && block <= block_limit; };

  // Block-type number of every dyad (i, j) of this sender; 0 for none.
  std::array<int16, max_nodes> kind;
  const int16* block_of = rec.nodes.attr_value.column(attr);
  const int sender_block = block_of[i - 1];
  if (in_range(sender_block)) {
    for (int j = 0; j < n; ++j) {
      const int receiver_block = block_of[j];
      int b = in_range(receiver_block) ? blocks.block_type(sender_block, receiver_block) : 0;
      if (b < 0 || b > type_count) b = 0;
      kind[static_cast<unsigned>(j)] = static_cast<int16>(b);
    }
  } else {
    std::fill_n(kind.begin(), n, int16{0});
  }

  auto& table = rec.stats.change_stat;
  for (int e = 1; e <= max_groups; ++e) {
    if (blocks.group_size(e) == 0) continue;
    const int t = blocks.group_type(e);
    const int c0 = blocks.group_column0(e);
    if (t < 1 || t > 15 || c0 < 16 || c0 + type_count > max_params) continue;
    for (int b = 1; b <= type_count; ++b) std::fill_n(table.column(c0 + b), n, int16{0});
    const int16* source = table.column(t);
    // Column c0 + b begins (b - 1) columns after column c0 + 1.
    int16* first = table.column(c0 + 1);
    for (int j = 0; j < n; ++j) {
      const int b = kind[static_cast<unsigned>(j)];
      if (b != 0) first[(b - 1) * table.rows() + j] = source[j];
    }
  }
}

}  // namespace tarn
