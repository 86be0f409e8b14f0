#include "simulate/sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <optional>
#include <stdexcept>
#include <thread>

#include "network/capacity.h"
#include "simulate/chain.h"
#include "simulate/random_stream.h"
#include "simulate/sample_spread.h"
#include "simulate/space_proposal.h"

namespace tarn {

namespace {

// Dyad weights of an infinite offset would be 0 or infinite: such models take the uniform draw.
bool all_finite(const std::vector<double>& coefficients) {
  return std::all_of(coefficients.begin(), coefficients.end(),
                     [](double c) { return std::isfinite(c); });
}

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

SamplerSettings default_sampler_settings(int nodes, std::int64_t links, std::int64_t dyads) {
  if (nodes <= max_nodes) return default_sampler_settings(links, dyads);
  SamplerSettings s;
  s.interval = std::max<std::int64_t>(1024, std::min(8 * links, dyads));
  s.burnin = 4 * s.interval;
  return s;
}

Warning CapacityStop::warning() const {
  Warning w{"link_capacity_reached"};
  w.add_count("toggles", toggles)
      .add_count("links", links)
      .add_count("observed_links", observed_links)
      .add_count("capacity", capacity);
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

namespace {

// One sample's chains and what each leaves behind, so that the sample is assembled in chain order
// whatever the threads.
class SampleRun {
 public:
  SampleRun(const Study& study, const std::vector<double>& coefficients, int networks,
            const SamplerSettings& settings, ProposalRatio ratio)
      : study_(study),
        coefficients_(coefficients),
        networks_(networks),
        settings_(settings),
        chains_(std::max(1, settings.chains)),
        observed_(study.graph()),
        link_capacity_(
            chain_link_capacity(study.node_count(), study.network.link_count, study.dyad_count())),
        proposal_(
            settings.weighted_dyads && all_finite(coefficients)
                ? DyadDraw::for_model(study, coefficients, settings.most_table_dyads)
                : DyadDraw::uniform(study.node_count(), study.directed(), study.include_diagonal),
            study.include_diagonal, ratio),
        stops_(static_cast<std::size_t>(chains_)),
        proposals_(stops_.size(), 0),
        accepted_(stops_.size(), 0),
        failures_(stops_.size()),
        first_failed_(chains_) {
    summary_.observed = study.model.network_statistics(observed_);
    summary_.statistics.assign(static_cast<std::size_t>(std::max(networks, 0)), {});
    summary_.links.assign(summary_.statistics.size(), 0);
  }

  // Runs every chain across the threads, then assembles the sample.
  SampleSummary run(const NetworkVisitor& visit, std::atomic<std::int64_t>* done,
                    ChainStates* states);
  // Each network is measured too (before run).
  void measure_each(const NetworkMeasure& measure) {
    measure_ = measure;
    measures_.assign(summary_.statistics.size(), {});
  }
  std::vector<TaskResult> take_measures() { return std::move(measures_); }

 private:
  void run_chain(int c, const NetworkVisitor& visit, std::atomic<std::int64_t>* done,
                 ChainStates* states);
  // The chains as tasks of the spread, and what each leaves behind, read back on every process.
  void spread_chains(ChainStates* states);
  TaskResult chain_result(int c) const;
  void read_chain_result(int c, const TaskResult& result);
  void record_stop(int c, const Chain& chain);
  SampleSummary summarize();

  // The lowest-numbered chain that has filled the link store (`chains_` while none has). The
  // sample reports that chain, so a chain numbered above it is called off, while the chains
  // below it walk on (they might fail too, and would be reported instead); none of them visits
  // networks any more, since such a sample is not used. The reported chain, and the chains below
  // it, walk the same for any number of threads.
  void note_failure(int c) {
    int lowest = first_failed_.load();
    while (c < lowest && !first_failed_.compare_exchange_weak(lowest, c)) {
    }
  }
  bool failed() const { return first_failed_.load(std::memory_order_relaxed) < chains_; }

  const Study& study_;
  const std::vector<double>& coefficients_;
  const int networks_;
  const SamplerSettings& settings_;
  const int chains_;
  const TermGraph observed_;
  const std::int64_t link_capacity_;
  const TieNoTie proposal_;
  const std::optional<SpaceProposal> constrained_ =
      study_.space ? std::optional<SpaceProposal>(std::in_place, *study_.space, proposal_)
                   : std::nullopt;
  SampleSummary summary_;
  NetworkMeasure measure_;
  std::vector<TaskResult> measures_;  // [network], when measured
  std::vector<CapacityStop> stops_;
  std::vector<std::int64_t> proposals_, accepted_;
  std::vector<std::exception_ptr> failures_;
  std::atomic<int> first_failed_;
};

void SampleRun::run_chain(int c, const NetworkVisitor& visit, std::atomic<std::int64_t>* done,
                          ChainStates* states) {
  const int count = networks_ > c ? (networks_ - c + chains_ - 1) / chains_ : 0;
  if (count == 0) return;
  const auto slot = static_cast<std::size_t>(c);
  Chain chain(study_.model, coefficients_, states ? states->graphs[slot] : observed_,
              states ? states->statistics[slot] : summary_.observed,
              RandomStream(settings_.seed, static_cast<std::uint64_t>(c)),
              constrained_ ? static_cast<const Proposal&>(*constrained_) : proposal_,
              study_.include_diagonal, link_capacity_);
  // A relaxed load every 1024 proposals costs nothing measurable.
  const auto still_counted = [this, c] {
    return first_failed_.load(std::memory_order_relaxed) >= c && !cancelled(settings_.cancel);
  };
  Chain::Walk walk = chain.run(settings_.burnin, still_counted);
  stop_if_cancelled(settings_.cancel);
  for (int position = 0; walk == Chain::Walk::finished && position < count; ++position) {
    if (position > 0) walk = chain.run(settings_.interval, still_counted);
    stop_if_cancelled(settings_.cancel);
    if (walk != Chain::Walk::finished) break;
    if (failed()) continue;
    const int k = c + position * chains_;
    summary_.statistics[static_cast<std::size_t>(k)] = chain.statistics();
    summary_.links[static_cast<std::size_t>(k)] = chain.graph().link_count();
    if (visit) visit(k, chain.graph(), chain.statistics());
    if (measure_)
      measures_[static_cast<std::size_t>(k)] = measure_(chain.graph(), chain.statistics());
    if (done != nullptr) ++*done;
  }
  if (walk == Chain::Walk::filled) record_stop(c, chain);
  proposals_[slot] = chain.proposals();
  accepted_[slot] = chain.accepted();
  if (states != nullptr) {
    states->graphs[slot] = chain.graph();
    states->statistics[slot] = chain.statistics();
  }
}

void SampleRun::record_stop(int c, const Chain& chain) {
  CapacityStop& stop = stops_[static_cast<std::size_t>(c)];
  stop.found = true;
  stop.toggles = chain.proposals();
  stop.links = chain.graph().link_count();
  stop.observed_links = observed_.link_count();
  stop.capacity = link_capacity_;
  note_failure(c);
}

SampleSummary SampleRun::run(const NetworkVisitor& visit, std::atomic<std::int64_t>* done,
                             ChainStates* states) {
  if (states != nullptr && states->graphs.size() != static_cast<std::size_t>(chains_)) {
    states->graphs.assign(static_cast<std::size_t>(chains_), observed_);
    states->statistics.assign(static_cast<std::size_t>(chains_), summary_.observed);
  }
  if (settings_.spread != nullptr && !visit) {
    spread_chains(states);
    return summarize();
  }
  std::atomic<int> next_chain{0};
  auto worker = [&] {
    for (int c = next_chain++; c < chains_; c = next_chain++) {
      try {
        run_chain(c, visit, done, states);
      } catch (...) {
        failures_[static_cast<std::size_t>(c)] = std::current_exception();
      }
    }
  };
  const int threads = std::clamp(settings_.threads, 1, chains_);
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& failure : failures_) {
    if (failure) std::rethrow_exception(failure);
  }
  return summarize();
}

void SampleRun::spread_chains(ChainStates* states) {
  const int threads = std::clamp(settings_.threads, 1, chains_);
  const std::vector<TaskResult> results = settings_.spread->run(chains_, threads, [&](int c) {
    run_chain(c, {}, nullptr, states);
    return chain_result(c);
  });
  for (int c = 0; c < chains_; ++c) read_chain_result(c, results[static_cast<std::size_t>(c)]);
}

// Proposals, acceptances, the stop (found, toggles, links), then each of the chain's networks:
// whether it was drawn, and if so its links, statistics and measure (its length first).
TaskResult SampleRun::chain_result(int c) const {
  const auto slot = static_cast<std::size_t>(c);
  const CapacityStop& stop = stops_[slot];
  TaskResult result{static_cast<double>(proposals_[slot]), static_cast<double>(accepted_[slot]),
                    stop.found ? 1.0 : 0.0, static_cast<double>(stop.toggles),
                    static_cast<double>(stop.links)};
  for (int k = c; k < networks_; k += chains_) {
    const std::vector<double>& row = summary_.statistics[static_cast<std::size_t>(k)];
    result.push_back(row.empty() ? 0.0 : 1.0);
    if (row.empty()) continue;
    result.push_back(static_cast<double>(summary_.links[static_cast<std::size_t>(k)]));
    result.insert(result.end(), row.begin(), row.end());
    if (!measure_) continue;
    const TaskResult& measure = measures_[static_cast<std::size_t>(k)];
    result.push_back(static_cast<double>(measure.size()));
    result.insert(result.end(), measure.begin(), measure.end());
  }
  return result;
}

void SampleRun::read_chain_result(int c, const TaskResult& result) {
  const auto slot = static_cast<std::size_t>(c);
  ResultReader read(result);
  proposals_[slot] = static_cast<std::int64_t>(read.next());
  accepted_[slot] = static_cast<std::int64_t>(read.next());
  CapacityStop& stop = stops_[slot];
  stop.found = read.next() != 0.0;
  stop.toggles = static_cast<std::int64_t>(read.next());
  stop.links = static_cast<std::int64_t>(read.next());
  if (stop.found) {
    stop.observed_links = observed_.link_count();
    stop.capacity = link_capacity_;
    note_failure(c);
  }
  for (int k = c; k < networks_; k += chains_) {
    const auto at = static_cast<std::size_t>(k);
    if (read.next() == 0.0) {
      summary_.statistics[at].clear();
      continue;
    }
    summary_.links[at] = static_cast<std::int64_t>(read.next());
    summary_.statistics[at] = read.next(summary_.observed.size());
    if (measure_) measures_[at] = read.next(static_cast<std::size_t>(read.next()));
  }
}

SampleSummary SampleRun::summarize() {
  // Only the chains up to the reported one are counted: those above it may have been called off
  // at a point that depends on the threads.
  const int counted = std::min(first_failed_.load(), chains_ - 1);
  for (int c = 0; c <= counted; ++c) {
    summary_.proposals += proposals_[static_cast<std::size_t>(c)];
    summary_.accepted += accepted_[static_cast<std::size_t>(c)];
  }
  if (failed()) {
    summary_.capacity_stop = stops_[static_cast<std::size_t>(first_failed_.load())];
    summary_.statistics.clear();
    summary_.links.clear();
  } else {
    summary_.lag1_autocorrelation = lag1_autocorrelation(summary_.statistics, chains_);
    summary_.evidence = draw_evidence(summary_.links, observed_.link_count(), study_.dyad_count());
  }
  return std::move(summary_);
}

}  // namespace

namespace {

void check_simulable(const Study& study, const std::vector<double>& coefficients) {
  if (const std::string problem = simulation_problem(study); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (coefficients.size() != static_cast<std::size_t>(study.model.parameter_count())) {
    throw std::invalid_argument("one coefficient per parameter is needed");
  }
}

}  // namespace

SampleSummary sample_networks(const Study& study, const std::vector<double>& coefficients,
                              int networks, const SamplerSettings& settings,
                              const NetworkVisitor& visit, std::atomic<std::int64_t>* done,
                              ProposalRatio ratio, ChainStates* states) {
  check_simulable(study, coefficients);
  return SampleRun(study, coefficients, networks, settings, ratio).run(visit, done, states);
}

MeasuredSample sample_measured(const Study& study, const std::vector<double>& coefficients,
                               int networks, const SamplerSettings& settings,
                               const NetworkMeasure& measure, std::atomic<std::int64_t>* done) {
  check_simulable(study, coefficients);
  SampleRun run(study, coefficients, networks, settings, tie_no_tie_ratio);
  run.measure_each(measure);
  MeasuredSample measured;
  measured.sample = run.run({}, done, nullptr);
  measured.measures = run.take_measures();
  return measured;
}

}  // namespace tarn
