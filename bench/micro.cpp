// Google Benchmark timings of the inner parts: the statistics of every sender of a network, a
// whole fit, and the sampler's weighted dyad draw. The networks are built in memory from the
// scenarios' shapes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mple/pseudo_likelihood.h"
#include "mple/sender_sweep.h"
#include "model/model.h"
#include "scenarios.h"
#include "simulate/dyad_draw.h"
#include "kernel/sender_statistics.h"
#include "synthetic_network.h"

namespace tarn::bench {
namespace {

struct Fixture {
  Fixture(const NetworkShape& shape, int last_type) {
    const auto links = synthetic_links(shape);
    network = build_network(std::span<const std::pair<int, int>>(links.data(), links.size()));
    ModelDescription description;
    for (int t = 1; t <= last_type; ++t)
      description.push_back({static_cast<ConfigurationType>(t), {}});
    study.network = network;
    study.model = build_model(description, 0, TermContext{});
  }
  Network network;
  Study study;
};

NetworkShape shape_of(const char* name) {
  return find_scenario(name)->network;
}

void statistics_all_senders(benchmark::State& state, const char* name, int last_type) {
  Fixture f(shape_of(name), last_type);
  SenderStatistics statistics(kernel_source(f.study));
  const int n = f.network.node_count;
  for (auto _ : state) {
    for (int i = 1; i <= n; ++i) statistics.compute(i);
    benchmark::DoNotOptimize(statistics.column(6)[0]);
  }
  state.counters["senders"] = n;
}

void whole_fit(benchmark::State& state, const char* name, int last_type) {
  Fixture f(shape_of(name), last_type);
  for (auto _ : state) {
    const auto fit = std::make_unique<FitResult>(fit_pseudo_likelihood(f.study));
    benchmark::DoNotOptimize(fit->estimate(1));
    state.counters["newton_passes"] = fit->newton_passes;
  }
}

// Dyads drawn by the weights of edges + nodematch(dept) at -10, 8, departments of 50: from the
// table of every dyad, or from the cells of node classes that networks past 2^24 dyads take.
void weighted_dyad_draw(benchmark::State& state, int nodes, bool by_cells) {
  const std::vector<std::pair<int, int>> links = {{1, 2}, {nodes, 1}};
  Study study;
  study.network = build_network(std::span<const std::pair<int, int>>(links.data(), links.size()),
                                "Link list", command_line_limits);
  NodeCovariates attributes;
  attributes.node_count = nodes;
  std::vector<std::string> dept;
  for (int i = 0; i < nodes; ++i) dept.push_back(std::to_string(i / 50 + 1));
  attributes.columns = {{"dept", dept}};
  TermContext context;
  context.node_count = nodes;
  context.attributes = &attributes;
  study.model = model_of_formula("edges + nodematch(dept)", context);
  const DyadDraw draw = DyadDraw::for_model(study, {-10.0, 8.0}, by_cells ? 0 : most_table_dyads);
  RandomStream random(1, 0);
  std::int64_t within = 0;
  for (auto _ : state) {
    const auto [i, j] = draw.draw(random);
    within += (i - 1) / 50 == (j - 1) / 50 ? 1 : 0;
  }
  state.counters["within_share"] =
      static_cast<double>(within) / static_cast<double>(state.iterations());
}

BENCHMARK_CAPTURE(weighted_dyad_draw, table_2000_nodes, 2000, false);
BENCHMARK_CAPTURE(weighted_dyad_draw, cells_2000_nodes, 2000, true);
BENCHMARK_CAPTURE(weighted_dyad_draw, cells_100000_nodes, 100000, true);
BENCHMARK_CAPTURE(weighted_dyad_draw, cells_1000000_nodes, 1000000, true);

BENCHMARK_CAPTURE(statistics_all_senders, S1_types_1_to_15, "S1", 15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(statistics_all_senders, S1_types_1_to_7, "S1", 7)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(statistics_all_senders, S2_types_1_to_15, "S2", 15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_fit, S1_types_1_to_15, "S1", 15)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
