#pragma once
// Which block type every dyad of a network has, for the block parameters of the configuration
// types (model/blocking.h builds it from an attribute and a block structure).

#include <cstdint>
#include <vector>

#include "network/capacity.h"
#include "numeric/fixed_table.h"

namespace tarn {

// The block of every node and the block type of every dyad of one network.
struct DyadBlocks {
  int node_count = 0;
  int block_count = 0;
  int block_type_count = 0;
  // Node i's block at i - 1: 1..block_count, or 0 when its attribute value is outside that range
  // (a node without a record has 0), so that it belongs to no block pair as sender or receiver.
  std::vector<std::int16_t> block_of;
  Table<std::int16_t, max_blocks, max_blocks> structure;

  // Block type 1..block_type_count of the dyad (i, j), or 0.
  int block_type(int i, int j) const {
    const int r = block_of[static_cast<std::size_t>(i - 1)];
    const int c = block_of[static_cast<std::size_t>(j - 1)];
    if (r == 0 || c == 0) return 0;
    const int b = structure(r, c);
    return b >= 1 && b <= block_type_count ? b : 0;
  }
};

// True when the block type of (r, c) equals that of (c, r) for every pair of the first
// `block_count` blocks.
inline bool symmetric_structure(const Table<std::int16_t, max_blocks, max_blocks>& structure,
                                int block_count) {
  for (int r = 1; r <= block_count; ++r) {
    for (int c = r + 1; c <= block_count; ++c) {
      if (structure(r, c) != structure(c, r)) return false;
    }
  }
  return true;
}
inline bool symmetric_structure(const DyadBlocks& blocks) {
  return symmetric_structure(blocks.structure, blocks.block_count);
}

}  // namespace tarn
