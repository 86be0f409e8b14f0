// Coverage of 95% intervals: networks drawn from known coefficients, each fitted by
// pseudo-likelihood with naive, Godambe and bootstrap errors; the share of intervals that cover
// the true value, per parameter and method.
//
//   tarnwick_coverage [--networks 200] [--replicates 500] [--nodes 60] [--seed 1] [--threads T]
//
// The model is edges, mutual ties and transitive triads at coefficients that give networks of
// a realistic density; naive and Godambe intervals are Wald intervals, the bootstrap's are its
// percentile intervals.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mple/fit_summary.h"
#include "mple/fit_warnings.h"
#include "mple/pseudo_likelihood.h"
#include "simulate/sampler.h"
#include "simulate/simulation_errors.h"

int main(int argc, char** argv) {
  using namespace tarn;
  int networks = 200, replicates = 500, nodes = 60, threads = 2;
  std::uint64_t seed = 1;
  for (int k = 1; k + 1 < argc; k += 2) {
    const std::string option = argv[k];
    const long value = std::atol(argv[k + 1]);
    if (option == "--networks") networks = static_cast<int>(value);
    if (option == "--replicates") replicates = static_cast<int>(value);
    if (option == "--nodes") nodes = static_cast<int>(value);
    if (option == "--seed") seed = static_cast<std::uint64_t>(value);
    if (option == "--threads") threads = static_cast<int>(value);
  }
  const Model model = build_model({{ConfigurationType::edges, {}},
                                   {ConfigurationType::mutual, {}},
                                   {ConfigurationType::transitive_triad, {}}},
                                  0, TermContext{});
  const std::vector<double> truth = {-3.0, 1.6, 0.12};
  const char* names[] = {"edges", "mutual", "ttriple"};
  const std::int64_t dyads = static_cast<std::int64_t>(nodes) * (nodes - 1);

  // The true networks: one long chain from a ring, every network after a full interval.
  std::vector<std::pair<int, int>> ring;
  for (int i = 1; i <= nodes; ++i) ring.emplace_back(i, i % nodes + 1);
  std::sort(ring.begin(), ring.end());
  Study ring_study;
  ring_study.network = build_network(ring);
  ring_study.model = model;
  SamplerSettings draw;
  draw.burnin = 100 * dyads;
  draw.interval = 20 * dyads;
  draw.seed = seed;
  draw.threads = threads;
  std::vector<Network> observed(static_cast<std::size_t>(networks));
  const SampleSummary drawn =
      sample_networks(ring_study, truth, networks, draw,
                      [&observed](int k, const TermGraph& g, const std::vector<double>&) {
                        observed[std::size_t(k)] = g.to_network();
                      });
  if (drawn.capacity_stop.found) {
    std::printf("the true model fills the link store: %lld links\n",
                static_cast<long long>(drawn.capacity_stop.links));
    return 1;
  }
  double mean_links = 0;
  for (const Network& n : observed) mean_links += n.link_count;
  std::printf(
      "%d networks of %d nodes, %.1f links on average; true coefficients %.2f %.2f %.2f; "
      "%d replicates per interval\n",
      networks, nodes, mean_links / networks, truth[0], truth[1], truth[2], replicates);

  const auto start_time = std::chrono::steady_clock::now();
  int covered[3][3] = {}, fitted = 0, not_converged = 0, degenerate = 0, too_few_refits = 0;
  for (int k = 0; k < networks; ++k) {
    const Study data = ring_study.with_network(observed[std::size_t(k)]);
    const auto fit = std::make_unique<FitResult>(fit_pseudo_likelihood(data));
    if (!fit_converged(*fit)) {
      ++not_converged;
      continue;
    }
    SamplerSettings settings = default_sampler_settings(observed[std::size_t(k)].link_count, dyads);
    settings.seed = seed * 1000 + static_cast<std::uint64_t>(k);
    settings.threads = threads;
    const ParameterErrors naive = naive_errors(*fit);
    // Both methods from one sample: each alone would draw these same networks.
    const std::vector<SimulationErrors> simulated = simulation_errors(
        {ErrorMethod::godambe, ErrorMethod::bootstrap}, data, *fit, replicates, settings);
    const SimulationErrors& godambe = simulated[0];
    const SimulationErrors& bootstrap = simulated[1];
    if (godambe.degenerate()) {
      ++degenerate;
      continue;
    }
    if (godambe.too_few_replicates || bootstrap.too_few_replicates) {
      ++too_few_refits;
      continue;
    }
    const ParameterErrors* methods[] = {&naive, &godambe.errors, &bootstrap.errors};
    for (int m = 0; m < 3; ++m) {
      const std::vector<ParameterRow> rows = parameter_rows(*fit, *methods[m]);
      for (int p = 0; p < 3; ++p) {
        const ParameterRow& row = rows[std::size_t(p)];
        covered[m][p] +=
            row.conf_low <= truth[std::size_t(p)] && truth[std::size_t(p)] <= row.conf_high;
      }
    }
    ++fitted;
    if ((k + 1) % 20 == 0) {
      std::printf(
          "  %d networks done, %.0f s\n", k + 1,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start_time).count());
      std::fflush(stdout);
    }
  }
  std::printf(
      "\ncoverage of 95%% intervals over %d fitted networks (left out: %d whose fit did not "
      "converge, %d whose fit simulates degenerate networks, %d with fewer than two converged "
      "refits)\n",
      fitted, not_converged, degenerate, too_few_refits);
  std::printf("  %-10s %8s %8s %10s\n", "parameter", "naive", "godambe", "bootstrap");
  for (int p = 0; p < 3; ++p) {
    std::printf("  %-10s %8.3f %8.3f %10.3f\n", names[p], covered[0][p] / double(fitted),
                covered[1][p] / double(fitted), covered[2][p] / double(fitted));
  }
  return 0;
}
