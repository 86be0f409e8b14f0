// Terms of the command line: numbers and names, and the messages for block terms that cannot be.
#include "model/model_terms.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/model.h"

namespace tarn {
namespace {

TEST(ModelTerms, NumbersAndNamesInAnyCase) {
  const ModelDescription got = parse_model_terms(" 1, MUTUAL ,TTriple@2,6@+1, 3.0 ", 2);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].type, ConfigurationType::edges);
  EXPECT_EQ(got[1].type, ConfigurationType::mutual);
  EXPECT_EQ(got[2].type, ConfigurationType::out_two_star);
  EXPECT_EQ(got[3].type, ConfigurationType::transitive_triad);
  EXPECT_EQ(got[3].block_types, (std::vector<int>{2, 1}));  // consecutive terms of type 6
}

TEST(ModelTerms, RefusedTermsSayWhy) {
  const struct {
    const char* list;
    std::optional<int> block_types;
    const char* says;
  } cases[] = {
      {"17", std::nullopt, "there is no configuration type 17 (1 to 16)"},
      {"tripple", std::nullopt, "unknown configuration type \"tripple\"; did you mean"},
      {"edges@1", std::nullopt, "block parameters need a blocking"},
      {"edges@3", 2, "the block type must be a number from 1 to 2, or *"},
      {"edges@1.5", 2, "the block type must be a number from 1 to 2, or *"},
      {"edges@1", 0, "the block structure has no block types"},
      {"edges@*", 0, "the block structure has no block types"},
      {"covariate@1", 1, "type 16, the covariate, has no block parameters"},
  };
  for (const auto& c : cases) {
    try {
      parse_model_terms(c.list, c.block_types);
      ADD_FAILURE() << c.list << ": accepted";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).find("from 1 to 0"), std::string::npos) << e.what();
    }
  }
}

// m2star is ergm's mixed 2-star, not the dialogue's type 10: a formula that uses it, in any letter
// case, carries the notice; one without it carries none.
TEST(ModelTerms, MixedTwoStarCarriesItsNotice) {
  TermContext context;
  context.node_count = 4;
  EXPECT_EQ(model_of_formula("edges + M2Star", context).notes,
            (std::vector<std::string>{"m2star_is_mixed_two_star"}));
  EXPECT_TRUE(model_of_formula("edges + mutual2star + twopath", context).notes.empty());
}

}  // namespace
}  // namespace tarn
