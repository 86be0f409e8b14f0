#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/select.h"

namespace tarn::testing {
namespace {

using Ints = std::vector<int>;

// A model dialogue driven from a string of answers.
struct Dialogue {
  explicit Dialogue(const std::string& answers, int blocks = 0, int block_types = 1)
      : in(answers), session(in, out), state(std::make_unique<DialogueState>()) {
    if (blocks == 0) return;  // else start from a blocking settled earlier
    state->blocking.attribute = 1;
    state->blocking.block_count = blocks;
    state->blocking.block_type_count = block_types;
  }
  void select() { model = tarn::select_model(*state, session).model; }
  Ints columns() const {
    Ints list;
    for (const tarnwick::ClassicParameter& p : model.parameters()) list.push_back(p.column);
    return list;
  }
  Ints types_on() const {
    Ints list;
    for (int t = 2; t <= 16; ++t)
      if (model.computes(t)) list.push_back(t);
    return list;
  }
  int occurrences(const std::string& part) const {
    const std::string text = out.str();
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }
  std::istringstream in;
  std::ostringstream out;
  Session session;
  std::unique_ptr<DialogueState> state;
  tarnwick::ClassicModel model;
};

std::string repeated(const std::string& item, int times) {
  std::string text;
  while (times-- > 0) text += item;
  return text;
}

TEST(ParameterList, ColumnsTypesAndDerivedSwitches) {
  struct Case {
    std::string answers;
    int blocks;  // 0: no blocking
    Ints columns, types;
    int triad_out_only;
  };
  const Case cases[] = {
      {"1\n13\n", 0, {13}, {2, 6, 7, 13}, 0},
      {"1\n15\n", 0, {15}, {2, 6, 15}, 1},
      {"2\n6 15\n", 0, {6, 15}, {2, 6, 15}, 0},
      {"2\n15 11\n", 0, {15, 11}, {2, 6, 11, 15}, 0},
      {"1\n8\n", 0, {8}, {2, 8}, 0},
      {"1\n1\n", 0, {1}, {}, 0},
      {"4\n3 5 0 7\n", 0, {3, 5}, {2, 3, 5}, 0},  // 0 ends the list
      {"4\n17 -4 2 116\n", 0, {2}, {2}, 0},       // types outside 1..16 dropped
      {"65\n-1\n1\n2\n", 0, {2}, {2}, 0},         // counts outside 0..64 asked again
      {"4\n116 100 4 -101\n", 3, {4}, {4}, 0},
      {"0\n\n2\n0 5\n1\n2\n", 3, {2}, {2}, 0},  // count 0 still takes its line
      {"2\n113 1\n", 2, {17, 1}, {2, 6, 7, 13}, 0},
  };
  for (const Case& c : cases) {
    Dialogue s(c.answers, c.blocks);
    s.select();
    EXPECT_EQ(s.columns(), c.columns) << c.answers;
    EXPECT_EQ(s.types_on(), c.types) << c.answers;
    EXPECT_EQ(s.model.triad_out_only(), c.triad_out_only == 1) << c.answers;
  }
}

TEST(ParameterList, SixtyFourFit) {
  Dialogue s("64\n" + repeated("1 ", 64) + "\n");
  s.select();
  EXPECT_EQ(s.model.parameter_count(), 64);
}

// Blocking with a 3-block structure of 3 block types.
void three_types(Dialogue& s) {
  const int rows[3][3] = {{1, 2, 0}, {0, 3, 0}, {0, 0, 1}};
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) s.state->blocking.type_of(r, c) = rows[r - 1][c - 1];
  s.select();
}

TEST(GroupDialogue, TypesCountsAndBlockTypesOutsideTheirRangesAreAskedAgain) {
  Dialogue s("0\n16 1\n2 4\n-3 1\n3 0\n3 -2\n3 2\n0 1\n4 1\n-1 2\n2 2\n0 0\n", 3, 3);
  three_types(s);
  EXPECT_EQ(s.occurrences(" too large. Try again...\n"), 2);
  EXPECT_EQ(s.occurrences(" too small. Try again...\n"), 3);
  EXPECT_EQ(s.occurrences(" does not exist; use 1 to 3. Try again...\n"), 3);
  EXPECT_EQ(s.columns(), (Ints{18, 18}));
  EXPECT_EQ(s.types_on(), (Ints{3}));
}

TEST(GroupDialogue, AGroupThatWouldPassSixtyFourParametersIsRefused) {
  Dialogue s("63\n" + repeated("1 ", 63) + "\n1 2\n1 1\n3\n0 0\n", 3, 3);
  three_types(s);
  EXPECT_EQ(s.occurrences(" Too many parameters! Maximum is 64. Try again...\n"), 1);
  ASSERT_EQ(s.model.parameter_count(), 64);
  EXPECT_EQ(s.model.parameters()[63].column, 19);
}

TEST(GroupDialogue, EndsByItselfAfterFifteenGroups) {
  std::string answers = "0\n";
  for (int g = 1; g <= 15; ++g) answers += std::to_string(g) + " 2\n";
  Dialogue s(answers + "left over\n", 2, 2);
  s.select();
  EXPECT_EQ(s.occurrences(" Parameter, number of Blocks: "), 15);
  ASSERT_EQ(s.model.parameter_count(), 30);
  EXPECT_EQ(s.model.parameters()[29].column, 16 + 2 * 14 + 2);
  EXPECT_EQ(s.model.parameters()[29].group, 15);
  EXPECT_EQ(s.model.parameters()[29].type, 15);  // i<>j<>k<>i
  std::string rest;
  std::getline(s.in, rest);
  EXPECT_EQ(rest, "left over");
}

// The same description typed into the dialogue and given to classic_model makes the same model.
TEST(BuildModel, SameModelAsTheDialogue) {
  auto g = [](int t, Ints blocks = {}) { return tarnwick::ClassicTerm{t, blocks}; };
  const struct {
    const char* what;
    std::string answers;
    int blocks, block_types;
    tarnwick::ClassicDescription description;
  } cases[] = {
      {"global", "4\n6 1 16 2\ncomp.dat\n", 0, 1, {g(6), g(1), g(16), g(2)}},
      {"short", "4\n1 103 2 115\n", 3, 1, {g(1), g(3, {1}), g(2), g(15, {1})}},
      {"group", "2\n2 1\n3 2\n3 1\n4 3\n0 0\n", 3, 3, {g(2), g(1), g(3, {3, 1}), g(4, {1, 2, 3})}},
  };
  for (const auto& c : cases) {
    std::ofstream("comp.dat") << "(3I4)\n   1   2   1\n";
    Dialogue s(c.answers, c.blocks, c.block_types);
    if (c.block_types == 3)
      three_types(s);
    else
      s.select();
    const tarnwick::ClassicModel built =
        tarnwick::classic_model(c.description, c.blocks == 0 ? 0 : c.block_types);
    ASSERT_EQ(s.model.parameter_count(), built.parameter_count()) << c.what;
    for (int p = 0; p < built.parameter_count(); ++p) {
      const tarnwick::ClassicParameter &a = s.model.parameters()[std::size_t(p)],
                                       &b = built.parameters()[std::size_t(p)];
      EXPECT_EQ(a.type, b.type) << c.what << p;
      EXPECT_EQ(a.block_type, b.block_type) << c.what << p;
      EXPECT_EQ(a.column, b.column) << c.what << p;
    }
    for (int t = 1; t <= 16; ++t) EXPECT_EQ(s.model.computes(t), built.computes(t)) << c.what << t;
    EXPECT_EQ(s.model.triad_out_only(), built.triad_out_only()) << c.what;
    std::remove("comp.dat");
  }
}

}  // namespace
}  // namespace tarn::testing
