// The kernel layout's limits, and the blocks of the dyads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/blocking.h"
#include "model/kernel_layout.h"
#include "network/node_attributes.h"

namespace tarn {
namespace {

using Ints = std::vector<int>;

ModelEntry global(int t) {
  return {static_cast<ConfigurationType>(t), {}};
}
ModelEntry group(int t, Ints blocks) {
  return {static_cast<ConfigurationType>(t), std::move(blocks)};
}

TEST(KernelLayout, RefusesWhatBreaksALimit) {
  ModelDescription sixty_five(65, global(1));
  ModelDescription four_groups_of_16 = {group(1, {1}), group(2, {1}), group(3, {1}), group(4, {1})};
  ModelDescription sixteen_groups;
  for (int g = 0; g < 16; ++g) sixteen_groups.push_back(group(1 + g % 15, {1}));
  const struct {
    const char* what;
    ModelDescription description;
    int block_types;
    std::string message;
  } cases[] = {
      {"65 parameters", sixty_five, 0, "more than 64 parameters"},
      {"a fourth group of 16 block types", four_groups_of_16, 16, "would pass column 64"},
      {"16 groups", sixteen_groups, 1, "more than 15 groups"},
      {"block type 3 of 2", {group(4, {1, 3})}, 2, "block type 3 is outside 1..2"},
      {"block type 0", {group(4, {0})}, 2, "block type 0 is outside"},
      {"type 16 per block", {group(16, {1})}, 1, "type 16 has no block parameters"},
      {"no blocking", {group(1, {1})}, 0, "there are no block types"},
  };
  for (const auto& c : cases) {
    try {
      build_kernel_layout(c.description, c.block_types);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(Blocking, BlockTypesOfDyadsAndNodesWithoutAValidBlock) {
  NodeAttributes attributes;
  const Ints block_of = {1, 0, 2, 3, 1, 17};  // node 2 has no record; 3 and 17 exceed 2 blocks
  for (int i = 1; i <= 6; ++i)
    attributes.value[0][std::size_t(i - 1)] = std::int16_t(block_of[std::size_t(i - 1)]);
  Blocking blocking;
  blocking.attribute = 1;
  blocking.block_count = 2;
  blocking.structure(1, 1) = 1, blocking.structure(1, 2) = 2, blocking.structure(2, 1) = 0;
  blocking.structure(2, 2) = 1;
  blocking.count_block_types();
  EXPECT_EQ(blocking.block_type_count, 2);
  EXPECT_FALSE(blocking.symmetric());
  const DyadBlocks d = dyad_blocks(blocking, attributes, 6);
  EXPECT_EQ(d.block_type(1, 5), 1);
  EXPECT_EQ(d.block_type(1, 3), 2);
  EXPECT_EQ(d.block_type(3, 1), 0);
  for (int other = 1; other <= 6; ++other) {
    for (int unblocked : {2, 4, 6}) {
      EXPECT_EQ(d.block_type(unblocked, other), 0);
      EXPECT_EQ(d.block_type(other, unblocked), 0);
    }
  }
  EXPECT_EQ(count_unblocked_nodes(blocking, attributes, 6), 3);
  EXPECT_EQ(count_unblocked_nodes(blocking, attributes, 1), 0);
  EXPECT_TRUE(Blocking::identity(1, 3).symmetric());
}

}  // namespace
}  // namespace tarn
