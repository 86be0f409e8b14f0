#pragma once
// The seven shared records. One Records object holds them all; every operation receives it by
// reference, so each test builds its own. Widths, capacities and 1-based indexing are fixed.

#include <cstdint>
#include <string>

#include "store/capacity.h"
#include "store/tables.h"

namespace tarn {

using int16 = std::int16_t;
using int32 = std::int32_t;

struct Nodes {
  int16 node_count = 0;
  int16 attr_count = 0;
  Vec<int16, max_attrs> attr_max;
  Table<int16, max_nodes, max_attrs> attr_value;
  Vec<int16, max_nodes> out_degree;
  Vec<int16, max_nodes> in_degree;
  Vec<int16, max_nodes> mutual_count;
};

struct Links {
  int32 link_count = 0;
  Vec<int32, max_nodes> out_start;
  Vec<int16, max_links> out_target;  // negative: the link is reciprocated
  Vec<int32, max_nodes> in_start;
  Vec<int16, max_links> in_source;
};

struct Flags {
  int32 skip_diagonal = 0;
  int32 use_blocks = 0;
  int32 output_open = 0;
  Vec<int32, 16> type_on;  // slot 1 holds triad_out_only after select
};

struct Blocks {
  int16 block_count = 0;
  int16 block_attr = 0;
  Table<int16, max_blocks, max_blocks> block_type;
  Table<int16, 16, 16> group_blocks;
  Vec<int16, 16> group_type;
  Vec<int16, 16> group_size;
  Vec<int16, 16> group_column0;
  int16 block_type_count = 0;
};

struct Compar {
  std::string compar_format = std::string(format_length, ' ');
  int16 compar_i = 0;
  int16 compar_j = 0;
  int16 compar_value = 0;
};

struct Data {
  double zero = 0.0;
  double one = 0.0;
  Vec<int16, max_nodes> tie_row;
};

struct Stats {
  int16 param_count = 0;
  Vec<int16, max_params> param_column;
  int32 dyad_count = 0;
  double abs_resid_sum = 0.0;
  double sq_resid_sum = 0.0;
  double pearson_sum = 0.0;
  double null_loglik = 0.0;
  double loglik = 0.0;
  Table<int32, 2, 2> class_table;
  Table<int16, max_nodes, max_params> change_stat;
};

// The fit's vectors and matrices: 64 slots, matrices stored column by column.
using ParamVector = Vec<double, max_params>;
using ParamMatrix = Table<double, max_params, max_params>;

struct Records {
  Nodes nodes;
  Links links;
  Flags flags;
  Blocks blocks;
  Compar compar;
  Data data;
  Stats stats;

  // The constant column 64 doubles as mutual_row while calcfr builds a sender's rows.
  int16& mutual_row(int j) { return stats.change_stat(j, max_params); }
  int32& triad_out_only() { return flags.type_on(1); }
};

}  // namespace tarn
