#pragma once
// The named benchmark scenarios: a synthetic network (with its attribute and comparative files
// where the model needs them), a model, and the targets for one whole run.

#include <string>
#include <vector>

#include "synthetic_network.h"

namespace tarn::bench {

// One block-parameter group: a configuration type and its chosen block-type numbers.
struct BlockGroup {
  int type = 1;
  std::vector<int> blocks;
};

struct Scenario {
  std::string name;
  std::string summary;
  NetworkShape network;
  bool diagonal = false;
  std::vector<int> globals;  // global parameters (types 1..16), in the order of the menu answer
  // Blocking: an attribute file with one attribute of `block_categories` values; the block
  // structure is `structure` (rows of block-type numbers), or the identity when it is empty.
  int block_categories = 0;
  std::vector<std::vector<int>> structure;
  std::vector<BlockGroup> groups;
  // Type 16 reads a comparative file: a second synthetic network with values 1..3.
  NetworkShape comparative;
  double target_seconds = 0.0;
  double target_megabytes = 32.0;

  bool blocked() const { return block_categories > 0; }
  bool uses_comparative() const;
  int parameter_count() const;
};

const std::vector<Scenario>& scenarios();
// Null when there is no scenario of that name (case-insensitive).
const Scenario* find_scenario(const std::string& name);

}  // namespace tarn::bench
