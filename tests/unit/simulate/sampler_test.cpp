// The sampler against exact distributions: every network of 3 and 4 nodes (every undirected one
// of 5 nodes) enumerated, its probability exp(theta . g(y)) / Z computed, and the sampler's
// frequencies of the statistic vectors compared by a chi-square test; a sampler with a wrong
// acceptance ratio must fail it.
#include "simulate/sampler.h"

#include <gtest/gtest.h>

#include <barrier>
#include <cmath>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "model/blocking.h"
#include "simulate/random_stream.h"
#include "support/chi_square.h"
#include "support/models.h"
#include "support/networks.h"

namespace tarn {
namespace {

using Vector = std::vector<double>;

struct World {
  int n;
  test::ModelChoice choice;
  Blocking blocking;
  DyadBlocks blocks;
  ComparativeNetwork covariate;
  Vector theta;
  // The study whose chains start at `start`.
  Study on(const Network& start) const { return test::study_of(start, choice, blocks, covariate); }
};

double sampler_fit(const World& w, int draws, std::uint64_t seed, ProposalRatio ratio);

// A statistic vector with its entries rounded to 1e-6: the sampler's running sums of real change
// statistics and a network's statistics counted afresh differ in their last bits.
Vector rounded(Vector g) {
  for (double& v : g) v = std::round(v * 1e6) / 1e6;
  return g;
}

// The exact probability of each statistic vector, over every network of the nodes (no
// self-links; with the self-pairs, every network with its self-links; undirected, every graph,
// each edge {i, j} the link i->j, i < j).
std::map<Vector, double> exact_distribution(const Model& model, int n, const Vector& theta,
                                            bool diagonal = false) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= n; ++i)
    for (int j = model.directed ? 1 : i + 1; j <= n; ++j)
      if (i != j || diagonal) dyads.emplace_back(i, j);
  std::map<Vector, double> weight;
  double total = 0.0;
  for (std::uint32_t mask = 0; mask < (1u << dyads.size()); ++mask) {
    test::LinkList links;
    for (std::size_t d = 0; d < dyads.size(); ++d)
      if (mask >> d & 1u) links.push_back(dyads[d]);
    const Vector g = model.network_statistics(
        TermGraph(test::network_of(links), model.directed, model.partner_tables()));
    double gain = 0.0;
    for (std::size_t p = 0; p < g.size(); ++p) gain += theta[p] * g[p];
    weight[rounded(g)] += std::exp(gain);
    total += std::exp(gain);
  }
  for (auto& [g, p] : weight) p /= total;
  return weight;
}

// The chi-square p-value of the sampler's frequencies against the exact distribution, the
// chains started at the study's network.
// `exact`: the exact distribution when known already (2^20 networks on 5 directed nodes take a
// while to list).
double sampler_fit(const Study& study, const Vector& theta, int draws, std::uint64_t seed,
                   ProposalRatio ratio, bool weighted_dyads = true,
                   std::int64_t most_table_dyads = tarn::most_table_dyads,
                   const std::map<Vector, double>* known = nullptr) {
  const std::map<Vector, double> exact =
      known ? *known
            : exact_distribution(study.model, study.network.node_count, theta,
                                 study.include_diagonal);
  SamplerSettings settings;
  settings.burnin = 200;
  settings.interval = 40;
  settings.chains = 4;
  settings.seed = seed;
  settings.threads = 2;
  settings.weighted_dyads = weighted_dyads;
  settings.most_table_dyads = most_table_dyads;
  const SampleSummary s = sample_networks(study, theta, draws, settings, {}, nullptr, ratio);
  EXPECT_FALSE(s.capacity_stop.found);
  std::map<Vector, double> count;
  for (const Vector& g : s.statistics) count[rounded(g)] += 1;
  for (const auto& [g, c] : count) EXPECT_TRUE(exact.count(g)) << "a vector outside the support";
  return test::chi_square_p(exact, count, draws);
}

double sampler_fit(const World& w, int draws, std::uint64_t seed, ProposalRatio ratio) {
  return sampler_fit(w.on(test::network_of({{1, 2}, {w.n, 1}})), w.theta, draws, seed, ratio);
}

World world(int n, std::vector<ModelEntry> description, Vector theta, bool blocked = false,
            bool symmetric = true) {
  World w{n, {}, {}, {}, {}, std::move(theta)};
  NodeAttributes attributes;
  for (int i = 1; i <= n; ++i) attributes.value[0][std::size_t(i - 1)] = std::int16_t(1 + i % 2);
  if (blocked) {
    w.blocking.attribute = 1;
    w.blocking.block_count = 2;
    w.blocking.structure(1, 1) = 1, w.blocking.structure(2, 2) = 1;
    w.blocking.structure(1, 2) = 2, w.blocking.structure(2, 1) = symmetric ? 2 : 3;
    w.blocking.count_block_types();
  }
  w.choice = test::model_choice(std::move(description), w.blocking.block_type_count);
  w.blocks = dyad_blocks(w.blocking, attributes, n);
  std::vector<std::array<int, 3>> records;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      if (i != j) records.push_back({i, j, (i * 3 + j) % 4 - 1});
  w.covariate = test::comparative_of(n, records);
  return w;
}

ModelEntry term(int t, std::vector<int> blocks = {}) {
  return {static_cast<ConfigurationType>(t), std::move(blocks)};
}

// Every configuration type on 3 nodes (6000 draws), and their combinations, the block terms
// among them, on 4 (12000 draws).
TEST(Sampler, FrequenciesMatchTheExactDistributionOnThreeAndFourNodes) {
  std::vector<World> worlds = {world(3, {term(1)}, {0.7}),
                               world(3, {term(1), term(16)}, {-0.2, 0.6})};
  for (int t = 2; t <= 15; ++t)
    worlds.push_back(world(3, {term(1), term(t)}, {-0.4, t <= 5 ? 0.5 : 0.3}));
  for (World& w : std::vector<World>{
           world(4, {term(1), term(2), term(6)}, {-0.6, 0.8, 0.2}),
           world(4, {term(1), term(7), term(10)}, {-0.3, 0.3, 0.2}),
           world(4, {term(1), term(3), term(4), term(5)}, {-0.2, 0.15, 0.1, -0.2}),
           world(4, {term(1), term(11), term(12), term(13), term(14), term(15)},
                 {-0.5, 0.2, 0.1, 0.15, 0.1, 0.2}),
           world(4, {term(1, {1, 2, 3})}, {-0.5, 0.3, 0.8}, true, false),  // block edges
           world(4, {term(1), term(2, {1, 2})}, {-0.4, 0.9, -0.5}, true),  // block mutual
           world(4, {term(1), term(8), term(9), term(16)}, {-0.5, 0.2, 0.1, 0.5})})
    worlds.push_back(std::move(w));
  std::uint64_t seed = 1;
  for (const World& w : worlds) {
    SCOPED_TRACE(seed);
    EXPECT_GT(sampler_fit(w, w.n == 3 ? 6000 : 12000, seed++, tie_no_tie_ratio), 1e-3);
  }
}

// Terms of the table (a network of 4 nodes with the attributes level 1, 2, 2, 3 and age 30.5,
// 41, 29, 52.25) against the exact distribution over every network of 4 nodes.
TEST(Sampler, TermsOfTheTableMatchTheExactDistributionOnFourNodes) {
  const std::pair<const char*, Vector> models[] = {
      {"edges + gwesp(0.5, fixed=TRUE)", {-1.0, 0.6}},
      {"edges + mutual + dgwesp(0.3, fixed=TRUE, type=\"RTP\")", {-1.2, 0.8, 0.5}},
      {"edges + dgwesp(1, fixed=TRUE, type=\"ISP\")", {-0.8, 0.4}},
      {"edges + gwidegree(0.5, fixed=TRUE) + gwodegree(0.2, fixed=TRUE)", {-0.5, 1.0, -0.8}},
      {"edges + istar(3) + nodematch(level)", {-0.7, 0.4, 0.9}},
      {"edges + nodeicov(age)", {-2.0, 0.04}},
  };
  std::uint64_t seed = 40;
  for (const auto& [formula, theta] : models) {
    const Study study = test::formula_study(
        formula, {{1, 2}, {4, 1}}, 4, true,
        {{"level", {"1", "2", "2", "3"}}, {"age", {"30.5", "41", "29", "52.25"}}});
    EXPECT_GT(sampler_fit(study, theta, 12000, seed++, tie_no_tie_ratio), 1e-3) << formula;
  }
}

// The dyad half of the proposal weighted by the dyad-independent terms (from the table of dyads
// or by cells of node classes), and uniform: each draws the exact distribution, directed and
// undirected, and the weighted one is the one in use.
TEST(Sampler, WeightedAndUniformDyadsBothMatchTheExactDistribution) {
  std::uint64_t seed = 80;
  for (bool directed : {true, false}) {
    const char* formula = directed ? "edges + mutual + nodematch(level) + nodeicov(age)"
                                   : "edges + gwesp(0.5, fixed=TRUE) + nodematch(level)";
    const Vector theta = directed ? Vector{-1.5, 0.8, 1.6, 0.03} : Vector{-1.4, 0.5, 1.8};
    const Study study = test::formula_study(
        formula, {{1, 2}, {2, 5}, {3, 4}}, 5, directed,
        {{"level", {"1", "2", "1", "2", "1"}}, {"age", {"30", "41", "29", "52", "35"}}});
    ASSERT_TRUE(DyadDraw::for_model(study, theta).weighted()) << formula;
    ASSERT_TRUE(DyadDraw::for_model(study, theta, 0).weighted_by_cells()) << formula;
    const std::map<Vector, double> exact =
        exact_distribution(study.model, study.network.node_count, theta);
    for (bool weighted : {true, false}) {
      EXPECT_GT(sampler_fit(study, theta, 12000, seed++, tie_no_tie_ratio, weighted,
                            most_table_dyads, &exact),
                1e-3)
          << formula << (weighted ? ", weighted" : ", uniform");
    }
    EXPECT_GT(sampler_fit(study, theta, 12000, seed++, tie_no_tie_ratio, true, 0, &exact), 1e-3)
        << formula << ", weighted by cells";
  }
}

// Dyads come out of the weighted draw as often as their weights say, every pair of nodes once:
// from the table of dyads, and from the cells of node classes that large networks take (two
// match keys and a class by level, so that a cell's draw rejects pairs that agree on more keys).
TEST(DyadDraw, DrawsEachDyadByItsWeight) {
  for (bool directed : {true, false}) {
    const Study study = test::formula_study(
        "edges + nodematch(group) + nodematch(team) + nodefactor(level) + gwesp(0.5, fixed=TRUE)",
        {{1, 2}, {4, 3}, {6, 5}}, 6, directed,
        {{"group", {"a", "b", "a", "a", "b", "c"}},
         {"team", {"x", "x", "y", "x", "y", "y"}},
         {"level", {"1", "2", "2", "1", "1", "2"}}});
    const Vector theta = {-1.0, 2.0, -0.7, 0.4, 0.9};
    for (std::int64_t most_dyads : {most_table_dyads, std::int64_t{0}}) {
      const DyadDraw draw = DyadDraw::for_model(study, theta, most_dyads);
      ASSERT_TRUE(draw.weighted());
      EXPECT_EQ(draw.weighted_by_cells(), most_dyads == 0);
      const int dyads = directed ? 30 : 15;
      double total = 0.0;
      for (int i = 1; i <= 6; ++i)
        for (int j = directed ? 1 : i + 1; j <= 6; ++j)
          if (i != j) total += draw.probability(i, j);
      EXPECT_NEAR(total, 1.0, 1e-12);
      // 1 and 4 agree on group and team, 1 and 3 on group only, 1 and 2 on team only; nodefactor
      // counts the ends of level 2 (1 and 4 are of level 1, 2 and 3 of level 2).
      EXPECT_NEAR(draw.probability(1, 4) / draw.probability(1, 2), std::exp(2.0 - 0.4), 1e-9);
      EXPECT_NEAR(draw.probability(1, 3) / draw.probability(1, 2), std::exp(2.0 + 0.7), 1e-9);
      RandomStream random(5, 0);
      std::map<std::pair<int, int>, int> seen;
      const int draws = 300000;
      for (int k = 0; k < draws; ++k) {
        auto [i, j] = draw.draw(random);
        if (!directed && i > j) std::swap(i, j);
        ++seen[{i, j}];
      }
      EXPECT_EQ(static_cast<int>(seen.size()), dyads);
      for (const auto& [pair, count] : seen) {
        const auto [i, j] = pair;
        EXPECT_NE(i, j);
        const double expected = draws * draw.probability(i, j);
        EXPECT_NEAR(count, expected, 5.0 * std::sqrt(expected)) << i << "," << j;
      }
    }
  }
}

// A cell's dyads are drawn from their group again until one of the cell comes: 199 nodes of one
// level and 1 of another put the 398 dyads between levels among the 39800 of their group. At
// nodematch -3 they hold a sixth of the weight (18 draws a dyad on average), and the draw is by
// cells; at -6 four fifths (80 draws), and it is uniform. Either way the probabilities of the
// dyads add up to one.
TEST(DyadDraw, CellsDrawnTooRarelyGiveWayToUniformDraws) {
  std::vector<std::string> level(200, "a");
  level[199] = "b";
  const Study study = test::formula_study("edges + nodematch(level)", {{1, 2}, {200, 1}}, 200, true,
                                          {{"level", level}});
  for (const double nodematch : {-3.0, -6.0}) {
    const DyadDraw draw = DyadDraw::for_model(study, {-2.0, nodematch}, 0);
    EXPECT_EQ(draw.weighted_by_cells(), nodematch == -3.0);
    if (!draw.weighted()) continue;
    double total = 0.0;
    for (int i = 1; i <= 200; ++i)
      for (int j = 1; j <= 200; ++j)
        if (i != j) total += draw.probability(i, j);
    EXPECT_NEAR(total, 1.0, 1e-9);
    EXPECT_NEAR(draw.probability(1, 200) / draw.probability(1, 2), std::exp(3.0), 1e-9);
  }
}

// With the self-pairs as dyads (the types that are changes of a count then: 1, 3, 4, 5, 15):
// every network of 3 nodes with its self-links.
TEST(Sampler, SelfPairsAsDyadsMatchTheExactDistribution) {
  std::uint64_t seed = 60;
  for (const std::vector<ModelEntry>& terms : {std::vector<ModelEntry>{term(1)},
                                               {term(1), term(3), term(4)},
                                               {term(1), term(5), term(15)}}) {
    World w = world(3, terms, Vector(terms.size(), 0.0));
    w.theta[0] = -0.3;
    for (std::size_t k = 1; k < terms.size(); ++k) w.theta[k] = 0.2;
    Study study = w.on(test::network_of({{1, 1}, {1, 2}, {3, 1}}));
    study.include_diagonal = true;
    EXPECT_GT(sampler_fit(study, w.theta, 6000, seed++, tie_no_tie_ratio), 1e-3);
  }
}

// Undirected models against every graph on 5 nodes (1024): the dyad move draws an ordered pair
// for its edge, the tie move an edge, and the acceptance ratio counts n(n - 1)/2 dyads. Node
// levels 1, 2, 1, 2, 1.
TEST(Sampler, UndirectedModelsMatchTheExactDistributionOnFiveNodes) {
  const std::pair<const char*, Vector> models[] = {
      {"edges + triangle", {-0.8, 0.6}},
      {"edges + gwesp(0.5, fixed=TRUE)", {-1.2, 0.8}},
      {"edges + kstar(2) + nodematch(level)", {-0.6, -0.2, 0.9}},
      {"edges + gwdegree(0.7, fixed=TRUE)", {-0.3, -1.0}},
      {"edges + degree(1)", {-0.5, 0.7}},
  };
  std::uint64_t seed = 60;
  for (const auto& [formula, theta] : models) {
    const Study study = test::formula_study(formula, {{1, 2}, {2, 5}, {3, 4}}, 5, false,
                                            {{"level", {"1", "2", "1", "2", "1"}}});
    ASSERT_FALSE(study.directed());
    ASSERT_EQ(study.dyad_count(), 10);
    EXPECT_GT(sampler_fit(study, theta, 12000, seed++, tie_no_tie_ratio), 1e-3) << formula;
  }
}

// The proposal ratio left out (as if both moves were symmetric): the test must see it.
double symmetric_ratio(bool, std::int64_t, std::int64_t) {
  return 1.0;
}

TEST(Sampler, AWrongAcceptanceRatioFailsTheTest) {
  EXPECT_LT(sampler_fit(world(4, {term(1), term(2)}, {-0.4, 0.5}), 12000, 3, symmetric_ratio),
            1e-8);
  const Study study = test::formula_study("edges + triangle", {{1, 2}, {2, 5}}, 5, false);
  EXPECT_LT(sampler_fit(study, {-0.8, 0.6}, 12000, 5, symmetric_ratio), 1e-8);
}

// The same seed gives the same networks for any number of threads, and the first networks of a
// larger sample are those of a smaller one.
TEST(Sampler, SameSeedSameNetworksForAnyThreads) {
  const World w = world(4, {term(1), term(2), term(6)}, {-0.6, 0.8, 0.2});
  SamplerSettings settings;
  settings.burnin = 100, settings.interval = 30, settings.seed = 77;
  const Network start = test::network_of({{1, 2}, {3, 4}});
  std::vector<std::vector<std::vector<std::pair<int, int>>>> runs;
  for (auto [threads, networks] : {std::pair{1, 40}, {2, 40}, {3, 25}}) {
    settings.threads = threads;
    std::vector<std::vector<std::pair<int, int>>> links(static_cast<std::size_t>(networks));
    sample_networks(
        w.on(start), w.theta, networks, settings,
        [&](int k, const TermGraph& g, const Vector&) { links[std::size_t(k)] = g.link_list(); });
    runs.push_back(links);
  }
  EXPECT_EQ(runs[0], runs[1]);
  EXPECT_TRUE(std::equal(runs[2].begin(), runs[2].end(), runs[0].begin()));
}

// No band stops a chain: coefficients whose networks lie far from the observed one give those
// networks, and the draws carry the evidence.
TEST(Sampler, FarCoefficientsDrawTheirOwnNetworksWithTheEvidence) {
  const World w = world(12, {term(1)}, {6.0});  // every dyad wants a link
  SamplerSettings settings;
  settings.burnin = 10000, settings.interval = 100;
  const SampleSummary s =
      sample_networks(w.on(test::network_of({{1, 2}, {12, 1}})), w.theta, 40, settings);
  EXPECT_FALSE(s.capacity_stop.found);
  ASSERT_EQ(s.links.size(), 40u);
  for (const std::int64_t links : s.links) EXPECT_GT(links, 120) << "P(link) = 0.9975 on 132 dyads";
  EXPECT_STREQ(s.evidence.kind(), "pile_near_full");
  EXPECT_EQ(s.evidence.observed_links, 2);
  EXPECT_EQ(s.evidence.dyads, 132);
}

// The processes of an MPI job played by threads of this one: process `rank` runs the tasks t with
// t % processes == rank (as the MPI job deals them) and then reads every process's results.
class PlayedJob {
 public:
  explicit PlayedJob(int processes) : processes_(processes), meeting_(processes) {}

  std::vector<TaskResult> exchange(int rank, int count, int threads, const IndexedTask& task) {
    std::vector<int> own;
    for (int t = rank; t < count; t += processes_) own.push_back(t);
    const LocalRun local = run_on_threads(own, threads, task);
    {
      const std::lock_guard<std::mutex> lock(posting_);
      posted_.resize(static_cast<std::size_t>(count));
      for (std::size_t i = 0; i < own.size(); ++i) {
        posted_[static_cast<std::size_t>(own[i])] = local.results[i];
      }
    }
    meeting_.arrive_and_wait();
    std::vector<TaskResult> all = posted_;
    meeting_.arrive_and_wait();  // every process has read before the next round posts
    return all;
  }
  int processes() const { return processes_; }

 private:
  const int processes_;
  std::barrier<> meeting_;
  std::mutex posting_;
  std::vector<TaskResult> posted_;
};

class PlayedProcess final : public TaskSpread {
 public:
  PlayedProcess(PlayedJob& job, int rank) : job_(job), rank_(rank) {}
  std::vector<TaskResult> run(int count, int threads, const IndexedTask& task) const override {
    return job_.exchange(rank_, count, threads, task);
  }
  bool writes_results() const override { return rank_ == 0; }

 private:
  PlayedJob& job_;
  int rank_;
};

// `draw` on each process of a played job of two.
std::vector<SampleSummary> on_two_processes(
    const SamplerSettings& settings,
    const std::function<SampleSummary(const SamplerSettings&)>& draw) {
  PlayedJob job(2);
  std::vector<SampleSummary> runs(2);
  auto process = [&](int rank) {
    const PlayedProcess spread(job, rank);
    SamplerSettings s = settings;
    s.spread = &spread;
    runs[static_cast<std::size_t>(rank)] = draw(s);
  };
  std::thread second(process, 1);
  process(0);
  second.join();
  return runs;
}

// A network at the link capacity: an edges model at a density a little above its own steps past
// the capacity at once. The chains stop there, the lowest-numbered one is reported, the others
// are called off early, and none of it depends on the threads; chains dealt to the processes of a
// job report it on each, as on one process.
TEST(Sampler, PassingTheCapacityStopsTheSampleAlikeForAnyThreads) {
  test::LinkList links;
  for (int i = 1; i <= 1000; ++i)
    for (int k = 1; k <= 500; ++k) links.push_back({i, 1 + (i + k - 1) % 1000});
  const Network full = test::network_of(links);
  ASSERT_EQ(full.link_count, max_links);
  const World w = world(1000, {term(1)}, {0.5});
  SamplerSettings settings;
  settings.burnin = 1000, settings.interval = 100, settings.chains = 3;
  const auto draw = [&](const SamplerSettings& s) {
    return sample_networks(w.on(full), w.theta, 3, s);
  };
  std::vector<SampleSummary> runs = on_two_processes(settings, draw);
  for (int threads : {1, 3}) {
    settings.threads = threads;
    runs.push_back(draw(settings));
  }
  for (const SampleSummary& s : runs) {
    ASSERT_TRUE(s.capacity_stop.found);
    EXPECT_EQ(s.capacity_stop.links, max_links + 1);
    EXPECT_EQ(s.capacity_stop.toggles, runs[0].capacity_stop.toggles);
    EXPECT_EQ(s.proposals, runs[0].proposals);
    EXPECT_TRUE(s.statistics.empty());
    EXPECT_EQ(s.capacity_stop.warning().code, "link_capacity_reached");
    EXPECT_EQ(s.capacity_stop.warning().count("capacity"), 500000);
  }
}

// Block mutual ties under a block structure that is not symmetric; a network with a link twice.
TEST(Sampler, RefusesAModelWithoutANetworkDistributionAndRepeatedLinks) {
  const World w = world(4, {term(1), term(2, {2})}, {-0.4, 0.9}, true, false);
  SamplerSettings settings;
  settings.burnin = 10, settings.interval = 10;
  try {
    sample_networks(w.on(test::network_of({{1, 2}, {4, 1}})), w.theta, 4, settings);
    ADD_FAILURE() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("symmetric block structure"), std::string::npos)
        << e.what();
  }
  const World plain = world(4, {term(1)}, {-0.4});
  EXPECT_THROW(sample_networks(plain.on(test::network_of({{1, 2}, {1, 2}, {4, 1}})), plain.theta, 4,
                               settings),
               std::invalid_argument);
}

}  // namespace
}  // namespace tarn
