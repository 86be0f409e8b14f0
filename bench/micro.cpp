// Google Benchmark timings of the inner parts: calcfr for every sender of a network, and a whole
// fit with its report thrown away. The networks are built in memory from the scenarios' shapes.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>

#include "fit/pseudo_likelihood.h"
#include "input/comparative_file.h"
#include "input/link_store.h"
#include "model/type_switches.h"
#include "scenarios.h"
#include "stats/calcfr.h"
#include "synthetic_network.h"

namespace tarn::bench {
namespace {

struct Fixture {
  explicit Fixture(const NetworkShape& shape, int last_type) {
    const auto links = synthetic_links(shape);
    build_link_store(*rec, std::span<const std::pair<int, int>>(links.data(), links.size()));
    rec->data.zero = 0.0;
    rec->data.one = 1.0;
    rec->flags.skip_diagonal = 1;
    rec->stats.param_count = 0;
    for (int t = 1; t <= last_type; ++t) {
      rec->flags.type_on(t) = 1;
      rec->stats.param_column(++rec->stats.param_count) = static_cast<int16>(t);
    }
    derive_type_switches(*rec);
  }
  std::unique_ptr<Records> rec = std::make_unique<Records>();
  std::istringstream keyboard;
  std::ostringstream screen;
  Io io{keyboard, screen};
};

NetworkShape shape_of(const char* name) {
  return find_scenario(name)->network;
}

void calcfr_all_senders(benchmark::State& state, const char* name, int last_type) {
  Fixture f(shape_of(name), last_type);
  const int n = f.rec->nodes.node_count;
  for (auto _ : state) {
    for (int i = 1; i <= n; ++i) calcfr(*f.rec, f.io, static_cast<int16>(i));
    benchmark::DoNotOptimize(f.rec->stats.change_stat(1, 6));
  }
  state.counters["senders"] = n;
}

void whole_fit(benchmark::State& state, const char* name, int last_type) {
  Fixture f(shape_of(name), last_type);
  for (auto _ : state) {
    auto fit = std::make_unique<FitState>();
    f.screen.str("");
    benchmark::DoNotOptimize(run_fit(*f.rec, f.io, *fit));
    state.counters["newton_passes"] = fit->newton_passes;
  }
}

BENCHMARK_CAPTURE(calcfr_all_senders, S1_types_1_to_15, "S1", 15)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcfr_all_senders, S1_types_1_to_7, "S1", 7)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(calcfr_all_senders, S2_types_1_to_15, "S2", 15)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_fit, S1_types_1_to_15, "S1", 15)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
