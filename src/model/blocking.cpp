#include "model/blocking.h"

#include <algorithm>

namespace tarn {

namespace {

bool valid_block(int block, int block_count) {
  return block >= 1 && block <= std::min(block_count, max_blocks);
}

}  // namespace

Blocking Blocking::identity(int attribute, int blocks) {
  Blocking b;
  b.attribute = attribute;
  b.block_count = blocks;
  for (int r = 1; r <= blocks; ++r) {
    for (int c = 1; c <= blocks; ++c) b.structure(r, c) = r == c ? 1 : 0;
  }
  b.block_type_count = 1;
  return b;
}

void Blocking::count_block_types() {
  int largest = 0;
  for (int r = 1; r <= block_count; ++r) {
    for (int c = 1; c <= block_count; ++c) largest = std::max<int>(largest, structure(r, c));
  }
  block_type_count = largest;
}

bool Blocking::symmetric() const {
  return symmetric_structure(structure, block_count);
}

DyadBlocks dyad_blocks(const Blocking& blocking, const NodeAttributes& attributes, int node_count) {
  DyadBlocks d;
  d.node_count = node_count;
  d.block_count = blocking.block_count;
  d.block_type_count = blocking.block_type_count;
  d.structure = blocking.structure;
  d.block_of.assign(static_cast<std::size_t>(node_count), 0);
  if (blocking.attribute < 1 || blocking.attribute > max_attrs) return d;
  for (int i = 1; i <= node_count; ++i) {
    const int block = attributes.of(i, blocking.attribute);
    if (valid_block(block, blocking.block_count)) {
      d.block_of[static_cast<std::size_t>(i - 1)] = static_cast<std::int16_t>(block);
    }
  }
  return d;
}

int count_unblocked_nodes(const Blocking& blocking, const NodeAttributes& attributes,
                          int node_count) {
  if (blocking.attribute < 1 || blocking.attribute > max_attrs) return 0;
  int count = 0;
  for (int i = 1; i <= node_count; ++i) {
    const int block = attributes.of(i, blocking.attribute);
    if (block < 1 || block > blocking.block_count) ++count;
  }
  return count;
}

}  // namespace tarn
