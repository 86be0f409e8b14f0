// What the link counts of networks drawn say: worked samples of each kind (a single mode, skewed
// or not; piles near the empty and the complete network; two modes, even or not), and the probes
// of chains started at the empty or a denser network that stay there or come back.
#include "simulate/degeneracy_evidence.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "simulate/random_stream.h"
#include "simulate/start_networks.h"

namespace tarn {
namespace {

// `count` link counts about `mean` with spread `sd` (Box-Muller, rounded), from `random`.
void add_normal(std::vector<std::int64_t>& links, RandomStream& random, int count, double mean,
                double sd) {
  for (int k = 0; k < count; ++k) {
    const double u = 1.0 - random.unit(), v = random.unit();
    const double z = std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    links.push_back(std::max<std::int64_t>(0, std::llround(mean + sd * z)));
  }
}

struct Case {
  const char* what;
  std::vector<std::int64_t> links;
  const char* kind;
};

// Link counts of one or two normal modes: {count, mean, sd} each.
std::vector<std::int64_t> modes(RandomStream& random,
                                std::initializer_list<std::array<double, 3>> parts) {
  std::vector<std::int64_t> links;
  for (const auto& [count, mean, sd] : parts)
    add_normal(links, random, static_cast<int>(count), mean, sd);
  return links;
}

TEST(DrawEvidence, EachKindOfSample) {
  RandomStream random(1, 0);
  std::vector<Case> cases = {
      {"one mode about the observed count", modes(random, {{1000, 195.7, 26.6}}), ""}};
  Case skewed{"one mode, skewed (squares of normal counts)", {}, ""};
  for (int k = 0; k < 1000; ++k) {
    const std::int64_t one = modes(random, {{1, 10.0, 3.0}})[0];
    skewed.links.push_back(one * one + 90);
  }
  cases.push_back(skewed);
  cases.push_back({"every network empty", std::vector<std::int64_t>(256, 0), "pile_near_empty"});
  cases.push_back(
      {"near the complete network", modes(random, {{300, 400.0, 5.0}}), "pile_near_full"});
  cases.push_back({"two modes, half each", modes(random, {{500, 175.0, 20.0}, {500, 356.0, 15.0}}),
                   "two_modes"});
  const Case minor{"two modes, a tenth in the second",
                   modes(random, {{900, 175.0, 22.0}, {100, 350.0, 20.0}}), "two_modes"};
  cases.push_back(minor);
  cases.push_back({"twenty draws, two modes far apart",
                   modes(random, {{10, 26.0, 15.0}, {10, 369.0, 20.0}}), "two_modes"});
  cases.push_back({"fewer than 20 draws give no modes", {100, 101, 102, 400, 401, 402}, ""});
  for (std::uint64_t seed = 0; seed < 50; ++seed) {
    RandomStream again(7, seed);
    cases.push_back(
        {"a chance cluster in a small sample of one mode", modes(again, {{40, 190.0, 13.0}}), ""});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DrawEvidence e = draw_evidence(c.links, 190, 420);
    EXPECT_STREQ(e.kind(), c.kind);
    EXPECT_EQ(e.degenerate(), *c.kind != '\0');
    EXPECT_EQ(e.networks, static_cast<int>(c.links.size()));
  }
  const DrawEvidence minor_modes = draw_evidence(minor.links, 190, 420);
  EXPECT_NEAR(minor_modes.lower_mode_share, 0.9, 0.03);
  EXPECT_NEAR(minor_modes.lower_mode_links, 175.0, 5.0);
  EXPECT_NEAR(minor_modes.upper_mode_links, 350.0, 10.0);
}

TEST(DrawEvidence, FiguresOfASample) {
  const DrawEvidence e = draw_evidence({100, 120, 140, 160}, 190, 420);
  EXPECT_DOUBLE_EQ(e.mean_links, 130.0);
  EXPECT_NEAR(e.sd_links, std::sqrt(2000.0 / 3.0), 1e-12);
  EXPECT_EQ(e.least_links, 100);
  EXPECT_EQ(e.most_links, 160);
  EXPECT_TRUE(e.observed_outside());
  EXPECT_FALSE(e.degenerate()) << "far, but no pile: 100 is nearer 190 than the empty network";
  EXPECT_FALSE(draw_evidence({180, 200}, 190, 420).observed_outside());
  const Warning w = evidence_warning("draws_far_from_observed", e);
  EXPECT_EQ(w.count("observed_links"), 190);
  EXPECT_EQ(w.count("most_links"), 160);
}

TEST(ModeProbe, AChainThatStaysIsASecondModeAndOneThatComesBackIsNot) {
  const std::vector<std::int64_t> stuck_empty(64, 0);
  EXPECT_TRUE(mode_probe(stuck_empty, true, 0, 190, 420).second_mode());
  std::vector<std::int64_t> rising;
  for (int k = 0; k < 64; ++k) rising.push_back(k);  // still climbing at 63 of 190
  const ModeProbe on_its_way = mode_probe(rising, true, 0, 190, 420);
  EXPECT_TRUE(on_its_way.moving);
  EXPECT_FALSE(on_its_way.second_mode());
  std::vector<std::int64_t> back;
  for (int k = 0; k < 64; ++k) back.push_back(k < 8 ? 400 - 30 * k : 185 + k % 10);
  EXPECT_FALSE(mode_probe(back, false, 420, 190, 420).second_mode());
  const std::vector<std::int64_t> stays_full(64, 395);
  EXPECT_TRUE(mode_probe(stays_full, false, 420, 190, 420).second_mode());
  EXPECT_FALSE(mode_probe({0, 0}, true, 0, 190, 420).second_mode()) << "too short to tell";
}

TEST(StartNetworks, EmptyAndDenser) {
  TermGraph observed(6, true);
  observed.toggle(1, 2);
  observed.toggle(3, 4);
  EXPECT_EQ(empty_like(observed).link_count(), 0);
  RandomStream random(3, 0);
  const TermGraph denser = denser_than(observed, 10, random);
  EXPECT_EQ(denser.link_count(), 10);
  EXPECT_TRUE(denser.has_link(1, 2) && denser.has_link(3, 4)) << "the observed links stay";
  for (int a = 1; a <= 6; ++a) EXPECT_FALSE(denser.has_link(a, a));
  EXPECT_EQ(dense_start_links(190, 420), 420) << "a small network starts complete";
  EXPECT_EQ(dense_start_links(11331, 999000), 22662) << "a large one at twice its links";
  EXPECT_EQ(dense_start_links(0, 1000000), 1);
}

}  // namespace
}  // namespace tarn
