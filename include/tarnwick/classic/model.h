#pragma once
// The classic model: parameters of the sixteen configuration types (the menu numbers 1..16),
// each over all dyads (a global parameter) or over the dyads of one block type of a blocking (a
// block parameter, types 1..15).

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tarnwick/classic/data.h"

namespace tarnwick {

inline constexpr int classic_type_count = 16;
inline constexpr int classic_comparative_type = 16;  // the comparative network's value
inline constexpr int classic_last_block_type = 15;   // type 16 has no block parameters
inline constexpr int classic_first_group_column = 16;

// One attribute divides the nodes into blocks, and the block structure gives every ordered pair
// of blocks (sender's, receiver's) a block type, 0 meaning none.
struct ClassicBlocking {
  int attribute = 0;  // the blocking attribute, 1..8; 0: no blocking
  int block_count = 0;
  // structure[r - 1][c - 1]: the block type of a dyad from block r to block c, 0..16.
  std::array<std::array<int, ClassicCapacity::blocks>, ClassicCapacity::blocks> structure{};
  int block_type_count = 0;  // the largest entry of the structure

  bool in_use() const { return attribute != 0; }
  int& type_of(int r, int c) { return structure[std::size_t(r - 1)][std::size_t(c - 1)]; }
  int type_of(int r, int c) const { return structure[std::size_t(r - 1)][std::size_t(c - 1)]; }
  // The default structure of `blocks` blocks: block type 1 within a block, 0 between blocks.
  static ClassicBlocking identity(int attribute, int blocks);
  // Sets block_type_count from the structure's rows and columns 1..block_count.
  void count_block_types();
};

// Nodes 1..node_count whose value of the blocking attribute is not a block 1..block_count.
int classic_unblocked_nodes(const ClassicBlocking& blocking, const ClassicAttributes& attributes,
                            int node_count);
// The sentence that tells of `unblocked` (1 or more) such nodes, without a line end.
std::string classic_unblocked_nodes_sentence(int unblocked, int block_count);

// One entry of a model: a global parameter of `type` (no block types), or a group of block
// parameters of `type` for the given block types, in order.
struct ClassicTerm {
  int type = 1;
  std::vector<int> block_types;
};
// The entries in the order of the parameters.
using ClassicDescription = std::vector<ClassicTerm>;

// A parameter and the column of the statistics table that holds it: a global parameter of type
// t the column t; a block parameter of group g and block type b the column
// classic_group_column(g, block_type_count) + b.
struct ClassicParameter {
  int type = 1;
  int block_type = 0;  // 0: a global parameter
  int column = 0;      // 1..64
  int group = 0;       // 1..15 for a block parameter
};

// A model as the fit computes it. Cheap to copy; a default model has no parameters.
class ClassicModel {
 public:
  ClassicModel();
  const ClassicDescription& description() const;
  const std::vector<ClassicParameter>& parameters() const;
  int parameter_count() const { return static_cast<int>(parameters().size()); }
  int block_type_count() const;  // columns per group
  bool has_block_parameter() const;
  // Whether the statistics compute type 1..16: the types of the model and those their columns
  // are built from.
  bool computes(int type) const;
  // Type 15 is the only triad type: its column 6 holds the two-paths i->k->j alone.
  bool triad_out_only() const;
  bool uses_comparative() const { return computes(classic_comparative_type); }
  // The model as the command line's list of terms: "edges,mutual,ttriple@2".
  std::string terms() const;

  struct Data;
  explicit ClassicModel(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data& data() const { return *data_; }

 private:
  std::shared_ptr<const Data> data_;
};

// The model of a description for a blocking of `block_type_count` block types (0 without
// blocking). Throws ModelError naming the entry: a type outside 1..16, a block type outside
// 1..block_type_count, a block parameter of type 16, more than 15 groups, a group whose columns
// would pass column 64, more than 64 parameters.
ClassicModel classic_model(const ClassicDescription& description, int block_type_count);

// The first column of group g (1-based) for `block_type_count` block types; the group's columns
// follow it, one per block type.
int classic_group_column(int group, int block_type_count);

}  // namespace tarnwick
