// Whole fits on seeded random networks, compared character for character with the screen and
// output-file texts in tests/corpus/. Set TARNWICK_CORPUS_REGENERATE to rewrite them.
#include "support/corpus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/fit_step.h"
#include "support/repository.h"
#include "tarnwick/classic/data.h"
#include "tarnwick/classic/model.h"

namespace tarn {
namespace {

using test::LinkList;
using namespace test::corpus;

void set_up(DialogueState& state, ChosenModel& chosen, const Case& c, const LinkList& links) {
  state.network = tarnwick::classic_network_of_links(links);
  state.include_diagonal = c.diagonal;
  const Blocks& b = c.blocking;
  state.use_blocks = b.block_count > 0;
  tarnwick::ClassicDescription description;
  for (int t : c.globals) description.push_back({t, {}});
  int block_types = 0;
  if (b.block_count > 0) {
    Draw draw(c.net.seed * 7919u + 13u);
    std::vector<int> blocks(std::size_t(state.network.node_count()));
    for (int& block : blocks) block = draw.unit() < b.unblocked ? 0 : 1 + draw.below(b.block_count);
    state.attributes = tarnwick::classic_attributes_of({blocks});
    state.blocking = tarnwick::ClassicBlocking::identity(1, b.block_count);
    for (int r = 1; r <= b.block_count; ++r)
      for (int col = 1; col <= b.block_count; ++col)
        if (!b.matrix.empty()) state.blocking.type_of(r, col) = b.matrix[r - 1u][col - 1u];
    state.blocking.count_block_types();
    block_types = state.blocking.block_type_count;
    for (const Group& group : b.groups) description.push_back({group.type, group.blocks});
  }
  chosen.model = tarnwick::classic_model(description, block_types);
  if (chosen.model.uses_comparative()) {
    chosen.comparative_file.emplace(
        std::make_unique<std::istringstream>(comparative_text(c, links)),
        tarnwick::classic_name_field("compar.dat"));
  }
}

std::string read_file(const std::filesystem::path& path) {
  std::ostringstream all;
  all << std::ifstream(path, std::ios::binary).rdbuf();
  return all.str();
}

class Corpus : public ::testing::TestWithParam<Case> {};

TEST_P(Corpus, ReportsUnchanged) {
  const Case& c = GetParam();
  const LinkList links = corpus_network(c.net);
  auto state = std::make_unique<DialogueState>();
  ChosenModel chosen;
  set_up(*state, chosen, c, links);
  const auto out_path = std::filesystem::path(::testing::TempDir()) /
                        (std::string("tarnwick_corpus_") + c.name + ".out");
  std::istringstream keyboard;
  std::ostringstream screen_text;
  Session session(keyboard, screen_text);
  session.output_file = std::make_unique<std::ofstream>(out_path);
  fit_model(*state, chosen, session);
  session.output_file->close();
  const std::string screen = screen_text.str(), file = read_file(out_path);
  std::filesystem::remove(out_path);
  const std::string golden = test::repository_file(std::string("tests/corpus/") + c.name);
  if (std::getenv("TARNWICK_CORPUS_REGENERATE") != nullptr) {
    std::ofstream(golden + ".screen", std::ios::binary) << screen;
    std::ofstream(golden + ".out", std::ios::binary) << file;
  }
  ASSERT_TRUE(std::filesystem::exists(golden + ".screen")) << golden;
  EXPECT_EQ(screen, read_file(golden + ".screen"));
  EXPECT_EQ(file, read_file(golden + ".out"));
}

INSTANTIATE_TEST_SUITE_P(Fits, Corpus, ::testing::ValuesIn(corpus_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarn
