#pragma once
// The columns of a model of the sixteen configuration types, as the fused kernel of the
// statistics computes them: an ordered list of parameters, each the change statistic of one
// configuration type, over all dyads (a global parameter) or over the dyads of one block type (a
// block parameter).
//
// Every parameter names a column of the statistics table: a global parameter of type t the
// column t (1..16); a block parameter the column 16 + block_type_count * (g - 1) + b of its group
// g and block type b, since each group owns one column per block type (up to column 64).
// A group is one configuration type taken as block parameters for some of the block types.

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "terms/configuration_type.h"
#include "terms/term.h"

namespace tarn {

inline constexpr int first_group_column = 16;

struct Parameter {
  ConfigurationType type = ConfigurationType::edges;
  int block_type = 0;  // 0: a global parameter
  int column = 0;      // 1..64
  int group = 0;       // 1..15 for a block parameter, 0 for a global one
};

struct ParameterGroup {
  ConfigurationType type = ConfigurationType::edges;
  // The group's columns are first_column + b for the block types b = 1..block_type_count.
  int first_column = first_group_column;
};

// Which type columns the statistics compute: the types in the model and the types whose
// columns others are built from.
struct TypeSwitches {
  std::array<bool, type_count + 1> on{};  // on[t] for t = 1..16
  // Type 15 is the only triad type chosen: column 6 need only hold the two-paths i->k->j.
  bool triad_out_only = false;

  bool operator()(ConfigurationType type) const {
    return on[static_cast<std::size_t>(number(type))];
  }
  bool operator()(int t) const { return on[static_cast<std::size_t>(t)]; }
};

// Switches for the chosen types (as global or block parameters).
TypeSwitches derive_type_switches(const std::array<bool, type_count + 1>& chosen);

struct KernelLayout {
  std::vector<Parameter> parameters;
  std::vector<ParameterGroup> groups;
  int block_type_count = 0;  // columns per group
  TypeSwitches switches;

  int parameter_count() const { return static_cast<int>(parameters.size()); }
  bool has_block_parameter() const { return !groups.empty(); }
  bool uses(ConfigurationType type) const { return switches(type); }
};

// One entry of a model description: a global parameter (no block types), or a group of block
// parameters of one type for the given block types, in order.
struct ModelEntry {
  ConfigurationType type = ConfigurationType::edges;
  std::vector<int> block_types;
};

// The entries in the order of the parameter list. The short dialogue gives them in the order
// typed, each block parameter a group of its own with block type 1; the global and group
// dialogues give the global parameters first, then the groups.
using ModelDescription = std::vector<ModelEntry>;

// The layout of a description, for a blocking of `block_type_count` block types (0 without
// blocking). Refuses with a ModelError naming the entry: a block type outside
// 1..block_type_count, a block parameter of type 16, more than 15 groups, a group whose columns
// would pass column 64, and more than 64 parameters.
KernelLayout build_kernel_layout(const ModelDescription& description, int block_type_count);

// The first column of group g (1-based) for `block_type_count` block types.
inline int group_first_column(int g, int block_type_count) {
  return first_group_column + block_type_count * (g - 1);
}

}  // namespace tarn
