// build_model: the column plan, the switches the statistics need, and the limits.
#include "model/model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/blocking.h"
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

Ints columns(const Model& m) {
  Ints list;
  for (const Parameter& p : m.parameters) list.push_back(p.column);
  return list;
}

Ints switched_on(const Model& m) {
  Ints list;
  for (int t = 2; t <= type_count; ++t)
    if (m.switches(t)) list.push_back(t);
  return list;
}

TEST(BuildModel, ColumnsAndDerivedSwitches) {
  const struct {
    const char* what;
    ModelDescription description;
    int block_types;
    Ints columns, switched_on;
    bool triad_out_only;
  } cases[] = {
      {"13 needs 2, 6 and 7", {global(13)}, 0, {13}, {2, 6, 7, 13}, false},
      {"15 alone: two-paths only", {global(15)}, 0, {15}, {2, 6, 15}, true},
      {"6 and 15", {global(6), global(15)}, 0, {6, 15}, {2, 6, 15}, false},
      {"15 and 11", {global(15), global(11)}, 0, {15, 11}, {2, 6, 11, 15}, false},
      {"8 needs 2", {global(8)}, 0, {8}, {2, 8}, false},
      {"edges need nothing", {global(1)}, 0, {1}, {}, false},
      {"15 as a block parameter", {group(15, {1}), global(1)}, 1, {17, 1}, {2, 6, 15}, true},
      {"one block type: a group per entry",
       {global(1), group(3, {1}), global(2), group(6, {1})},
       1,
       {1, 17, 2, 18},
       {2, 3, 6},
       false},
      {"three block types",
       {global(4), group(3, {3, 1}), group(2, {1, 2, 3})},
       3,
       {4, 19, 17, 20, 21, 22},
       {2, 3, 4},
       false},
      {"the same type twice", {global(1), global(1)}, 0, {1, 1}, {}, false},
  };
  for (const auto& c : cases) {
    const Model m = build_model(c.description, c.block_types);
    EXPECT_EQ(columns(m), c.columns) << c.what;
    EXPECT_EQ(switched_on(m), c.switched_on) << c.what;
    EXPECT_EQ(m.switches.triad_out_only, c.triad_out_only) << c.what;
  }
}

TEST(BuildModel, BlockTypesAndGroupsOfEveryParameter) {
  const Model m = build_model({global(2), group(3, {2, 4}), group(1, {1, 2, 3, 4})}, 4);
  ASSERT_EQ(m.parameter_count(), 7);
  ASSERT_EQ(m.groups.size(), 2u);
  EXPECT_EQ(m.groups[1].first_column, 20);
  const Ints blocks = {0, 2, 4, 1, 2, 3, 4}, groups = {0, 1, 1, 2, 2, 2, 2};
  for (int p = 0; p < 7; ++p) {
    EXPECT_EQ(m.parameters[std::size_t(p)].block_type, blocks[std::size_t(p)]) << p;
    EXPECT_EQ(m.parameters[std::size_t(p)].group, groups[std::size_t(p)]) << p;
  }
}

TEST(BuildModel, RefusesWhatBreaksALimit) {
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
      build_model(c.description, c.block_types);
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
