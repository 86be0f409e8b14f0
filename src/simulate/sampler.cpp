#include "simulate/sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <stdexcept>
#include <thread>

#include "network/capacity.h"
#include "simulate/chain.h"
#include "simulate/random_stream.h"
#include "simulate/sample_spread.h"

namespace tarn {

namespace {

// Lag-1 autocorrelation of each statistic, pooled over the chains: the products of deviations
// from the mean of consecutive networks of one chain, summed, over the sum of squared deviations
// of every network. By the Cauchy-Schwarz inequality it lies within [-1, 1].
std::vector<double> lag1_autocorrelation(const std::vector<std::vector<double>>& statistics,
                                         int chains) {
  const std::size_t networks = statistics.size();
  const std::size_t m = networks > 0 ? statistics[0].size() : 0;
  const auto step = static_cast<std::size_t>(chains);
  const std::size_t pairs = networks > step ? networks - step : 0;
  std::vector<double> result(m, std::numeric_limits<double>::quiet_NaN());
  if (pairs < static_cast<std::size_t>(min_autocorrelation_pairs)) return result;
  for (std::size_t p = 0; p < m; ++p) {
    const double mean = column_spread(statistics, p).mean;
    double squares = 0.0, products = 0.0;
    for (std::size_t k = 0; k < networks; ++k) {
      const double d = statistics[k][p] - mean;
      squares += d * d;
      if (k + step < networks) products += d * (statistics[k + step][p] - mean);
    }
    if (squares > 0.0) result[p] = std::clamp(products / squares, -1.0, 1.0);
  }
  return result;
}

}  // namespace

SamplerSettings default_sampler_settings(std::int64_t links, std::int64_t dyads) {
  SamplerSettings s;
  s.interval = std::max<std::int64_t>(1024, std::min(64 * links, dyads));
  s.burnin = 4 * s.interval;
  return s;
}

Warning CapacityStop::warning() const {
  Warning w{"link_capacity_reached"};
  w.add_count("toggles", toggles)
      .add_count("links", links)
      .add_count("observed_links", observed_links)
      .add_count("capacity", max_links);
  return w;
}

std::string simulation_problem(const Study& study) {
  if (study.network.has_repeated_links) {
    return "the network has links given more than once; a simulated network has each link once";
  }
  const std::string problem = study.model.distribution_problem(study.dyad_space());
  if (!problem.empty()) {
    return "the model has no network distribution to simulate from: " + problem;
  }
  return {};
}

SampleSummary sample_networks(const Study& study, const std::vector<double>& coefficients,
                              int networks, const SamplerSettings& settings,
                              const NetworkVisitor& visit, std::atomic<std::int64_t>* done,
                              ProposalRatio ratio, ChainStates* states) {
  if (const std::string problem = simulation_problem(study); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (coefficients.size() != static_cast<std::size_t>(study.model.parameter_count())) {
    throw std::invalid_argument("one coefficient per parameter is needed");
  }
  const TermGraph observed = study.graph();
  SampleSummary summary;
  summary.observed = study.model.network_statistics(observed);
  summary.statistics.assign(static_cast<std::size_t>(std::max(networks, 0)), {});
  summary.links.assign(summary.statistics.size(), 0);
  const int chains = std::max(1, settings.chains);
  if (states != nullptr && states->graphs.size() != static_cast<std::size_t>(chains)) {
    states->graphs.assign(static_cast<std::size_t>(chains), observed);
    states->statistics.assign(static_cast<std::size_t>(chains), summary.observed);
  }
  std::vector<CapacityStop> stops(static_cast<std::size_t>(chains));
  std::vector<std::int64_t> proposals(static_cast<std::size_t>(chains), 0);
  std::vector<std::int64_t> accepted(static_cast<std::size_t>(chains), 0);
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(chains));
  // The lowest-numbered chain that has filled the link store (`chains` while none has). The
  // sample reports that chain, so a chain numbered above it is called off, while the chains below
  // it walk on (they might fail too, and would be reported instead); none of them visits networks
  // any more, since such a sample is not used. The reported chain, and the chains below it,
  // walk the same for any number of threads.
  const TieNoTie proposal(
      settings.weighted_dyads
          ? DyadDraw::for_model(study, coefficients)
          : DyadDraw::uniform(study.node_count(), study.directed(), study.include_diagonal),
      study.include_diagonal, ratio);
  std::atomic<int> first_failed{chains};
  const auto note_failure = [&first_failed](int c) {
    int lowest = first_failed.load();
    while (c < lowest && !first_failed.compare_exchange_weak(lowest, c)) {
    }
  };

  auto run_chain = [&](int c) {
    const int count = networks > c ? (networks - c + chains - 1) / chains : 0;
    if (count == 0) return;
    const auto slot = static_cast<std::size_t>(c);
    Chain chain(study.model, coefficients, states ? states->graphs[slot] : observed,
                states ? states->statistics[slot] : summary.observed,
                RandomStream(settings.seed, static_cast<std::uint64_t>(c)), proposal,
                study.include_diagonal);
    // A relaxed load every 1024 proposals costs nothing measurable.
    const auto still_counted = [&first_failed, c] {
      return first_failed.load(std::memory_order_relaxed) >= c;
    };
    Chain::Walk walk = chain.run(settings.burnin, still_counted);
    for (int position = 0; walk == Chain::Walk::finished && position < count; ++position) {
      if (position > 0) walk = chain.run(settings.interval, still_counted);
      if (walk != Chain::Walk::finished) break;
      if (first_failed.load(std::memory_order_relaxed) < chains) continue;
      const int k = c + position * chains;
      summary.statistics[static_cast<std::size_t>(k)] = chain.statistics();
      summary.links[static_cast<std::size_t>(k)] = chain.graph().link_count();
      if (visit) visit(k, chain.graph(), chain.statistics());
      if (done != nullptr) ++*done;
    }
    if (walk == Chain::Walk::filled) {
      CapacityStop& stop = stops[static_cast<std::size_t>(c)];
      stop.found = true;
      stop.toggles = chain.proposals();
      stop.links = chain.graph().link_count();
      stop.observed_links = observed.link_count();
      note_failure(c);
    }
    proposals[static_cast<std::size_t>(c)] = chain.proposals();
    accepted[static_cast<std::size_t>(c)] = chain.accepted();
    if (states != nullptr) {
      states->graphs[slot] = chain.graph();
      states->statistics[slot] = chain.statistics();
    }
  };

  std::atomic<int> next_chain{0};
  auto worker = [&] {
    for (int c = next_chain++; c < chains; c = next_chain++) {
      try {
        run_chain(c);
      } catch (...) {
        failures[static_cast<std::size_t>(c)] = std::current_exception();
      }
    }
  };
  const int threads = std::clamp(settings.threads, 1, chains);
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }

  // Only the chains up to the reported one are counted: those above it may have been called off
  // at a point that depends on the threads.
  const int counted = std::min(first_failed.load(), chains - 1);
  for (int c = 0; c <= counted; ++c) {
    summary.proposals += proposals[static_cast<std::size_t>(c)];
    summary.accepted += accepted[static_cast<std::size_t>(c)];
  }
  if (first_failed.load() < chains) {
    summary.capacity_stop = stops[static_cast<std::size_t>(first_failed.load())];
    summary.statistics.clear();
    summary.links.clear();
  } else {
    summary.lag1_autocorrelation = lag1_autocorrelation(summary.statistics, chains);
    summary.evidence = draw_evidence(summary.links, observed.link_count(), study.dyad_count());
  }
  return summary;
}

}  // namespace tarn
