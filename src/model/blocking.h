#pragma once
// Blocking: one attribute divides the nodes into blocks, and the block structure gives every
// ordered pair of blocks (sender's, receiver's) a block-type number, 0 meaning none. A block
// parameter restricts a configuration type to the dyads of one block type.

#include <cstdint>
#include <vector>

#include "network/capacity.h"
#include "network/fixed_table.h"
#include "network/node_attributes.h"

namespace tarn {

struct Blocking {
  int attribute = 0;  // the blocking attribute, 1..8; 0: no blocking
  int block_count = 0;
  // structure(r, c): block type of a dyad from block r to block c, 0..16.
  Table<std::int16_t, max_blocks, max_blocks> structure;
  // The largest entry of the structure: 1 for the default (identity) structure.
  int block_type_count = 0;

  bool in_use() const { return attribute != 0; }
  // The default structure of `blocks` blocks: block type 1 within a block, 0 between blocks.
  static Blocking identity(int attribute, int blocks);
  // Block type count recomputed from the structure's rows and columns 1..block_count.
  void count_block_types();
  // True when the block type of (r, c) equals that of (c, r) for every pair of blocks.
  bool symmetric() const;
};

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

DyadBlocks dyad_blocks(const Blocking& blocking, const NodeAttributes& attributes, int node_count);

// Nodes 1..n whose blocking value is not a block 1..block_count.
int count_unblocked_nodes(const Blocking& blocking, const NodeAttributes& attributes,
                          int node_count);

}  // namespace tarn
