// Google Benchmark timings of the inner parts: the statistics of every sender of a network, and a
// whole fit. The networks are built in memory from the scenarios' shapes.
#include <benchmark/benchmark.h>

#include <memory>

#include "fit/pseudo_likelihood.h"
#include "fit/sender_sweep.h"
#include "scenarios.h"
#include "stats/sender_statistics.h"
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

BENCHMARK_CAPTURE(statistics_all_senders, S1_types_1_to_15, "S1", 15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(statistics_all_senders, S1_types_1_to_7, "S1", 7)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(statistics_all_senders, S2_types_1_to_15, "S2", 15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_fit, S1_types_1_to_15, "S1", 15)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
