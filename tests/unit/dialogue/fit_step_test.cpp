// The fit step of the dialogue: its progress line and the messages of a failed fit.
#include "dialogue/fit_step.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "support/link_list.h"
#include "tarnwick/classic/model.h"

namespace tarn {
namespace {

// The screen of one fit, without an output file.
std::string screen_of(const test::LinkList& links, std::initializer_list<int> types) {
  auto state = std::make_unique<DialogueState>();
  state->network = tarnwick::classic_network_of_links(links);
  tarnwick::ClassicDescription description;
  for (int t : types) description.push_back({t, {}});
  ChosenModel chosen;
  chosen.model = tarnwick::classic_model(description, 0);
  std::istringstream keyboard;
  std::ostringstream screen;
  Session session(keyboard, screen);
  fit_model(*state, chosen, session);
  return screen.str();
}

TEST(FitStep, NewtonFailureEndsTheProgressLineWithItsMessage) {
  const test::LinkList links = {{1, 5}, {1, 6}, {1, 4}, {1, 2}, {2, 1}, {2, 7}, {3, 5}, {3, 4},
                                {4, 3}, {4, 1}, {4, 6}, {5, 1}, {5, 3}, {6, 4}, {6, 1}, {7, 2}};
  EXPECT_EQ(screen_of(links, {7, 13}),
            " Pass  1.. 2.. 3.. 4.. 5.. 6.. 7.. 8\n Error in inverting wxsq matrix!\n");
}

TEST(FitStep, DependentStatisticsEndAfterPassOne) {
  EXPECT_EQ(screen_of({{1, 2}, {2, 3}, {3, 1}}, {1, 1}),
            " Pass  1\n Statistics linearly dependent! Try again...\n");
}

TEST(FitStep, AConvergedFitShowsEveryPassThenTheReport) {
  test::LinkList chain = {{1, 2}};  // the worked example: 18 links among 10 nodes, edges alone
  for (int i = 2; i <= 9; ++i) chain.push_back({i, i - 1}), chain.push_back({i, i + 1});
  chain.push_back({10, 9});
  const std::string screen = screen_of(chain, {1});
  EXPECT_EQ(
      screen.rfind(" Pass  1.. 2.. 3.. Final\n\n -2 Log Likelihood =               90.072\n", 0),
      0u)
      << screen;
}

}  // namespace
}  // namespace tarn
