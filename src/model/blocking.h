#pragma once
// Blocking: one attribute divides the nodes into blocks, and the block structure gives every
// ordered pair of blocks (sender's, receiver's) a block-type number, 0 meaning none. A block
// parameter restricts a configuration type to the dyads of one block type.

#include <cstdint>
#include <vector>

#include "network/capacity.h"
#include "network/node_attributes.h"
#include "numeric/fixed_table.h"
#include "terms/dyad_blocks.h"

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

DyadBlocks dyad_blocks(const Blocking& blocking, const NodeAttributes& attributes, int node_count);

// Nodes 1..n whose blocking value is not a block 1..block_count.
int count_unblocked_nodes(const Blocking& blocking, const NodeAttributes& attributes,
                          int node_count);

}  // namespace tarn
