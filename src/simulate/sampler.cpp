#include "simulate/sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <stdexcept>
#include <thread>

#include "network/capacity.h"
#include "simulate/portable_exp.h"
#include "simulate/random_stream.h"
#include "simulate/sample_spread.h"

namespace tarn {

namespace {

// How a chain's run of proposals ended.
enum class Walk {
  finished,    // every proposal made
  filled,      // the link count passed the capacity
  called_off,  // a lower-numbered chain has failed, so this chain's outcome no longer matters
};

// One chain's walk.
class Chain {
 public:
  // `first_failed` is the lowest number of a chain that has failed so far (the chain count while
  // none has).
  // The chain starts at `start`; `observed_links` is the observed network's link count.
  Chain(const Study& study, const std::vector<double>& coefficients, const TermGraph& start,
        const std::vector<double>& start_statistics, std::int64_t observed_links, int index,
        const SamplerSettings& settings, ProposalRatio ratio, const DyadDraw& dyad_draw,
        const std::atomic<int>& first_failed)
      : model_(study.model),
        coefficients_(coefficients),
        include_diagonal_(study.include_diagonal),
        graph_(start),
        statistics_(start_statistics),
        random_(settings.seed, static_cast<std::uint64_t>(index)),
        delta_(start_statistics.size(), 0.0),
        ratio_(ratio),
        dyad_draw_(dyad_draw),
        index_(index),
        first_failed_(first_failed) {
    const std::int64_t n = graph_.node_count();
    dyads_ = !graph_.directed() ? n * (n - 1) / 2 : include_diagonal_ ? n * n : n * (n - 1);
    if (!include_diagonal_ && graph_.directed()) {
      for (int a = 1; a <= n; ++a) fixed_links_ += graph_.has_link(a, a) ? 1 : 0;
    }
    observed_links_ = observed_links;
  }

  // `count` proposals, or fewer when the chain fills the link store or is called off.
  Walk run(std::int64_t count) {
    for (std::int64_t k = 0; k < count; ++k) {
      // A relaxed load every 1024 proposals costs nothing measurable.
      if ((k & 1023) == 0 && first_failed_.load(std::memory_order_relaxed) < index_) {
        return Walk::called_off;
      }
      if (propose() && graph_.link_count() > max_links) return Walk::filled;
    }
    return Walk::finished;
  }

  const TermGraph& graph() const { return graph_; }
  const std::vector<double>& statistics() const { return statistics_; }
  std::int64_t proposals() const { return proposals_; }
  std::int64_t accepted() const { return accepted_; }
  CapacityStop capacity_stop() const {
    CapacityStop stop;
    stop.found = true;
    stop.toggles = proposals_;
    stop.links = graph_.link_count();
    stop.observed_links = observed_links_;
    return stop;
  }

 private:
  // One Metropolis-Hastings step; true when it changed the graph.
  bool propose() {
    ++proposals_;
    if (dyads_ == 0) return false;
    const std::int64_t toggleable = graph_.link_count() - fixed_links_;
    int i = 0, j = 0;
    // One draw decides the move (its lowest bit) and the acceptance (its top 53 bits).
    const std::uint64_t draw = random_.next();
    if ((draw & 1u) != 0 && toggleable > 0) {
      do {  // a fixed self-link is no dyad of the model: draw again
        const auto link = graph_.link_at(static_cast<std::int64_t>(
            random_.below(static_cast<std::uint64_t>(graph_.link_count()))));
        i = link.first;
        j = link.second;
      } while (i == j && !include_diagonal_);
    } else {
      // A dyad by the proposal's dyad half; uniform: sender and receiver (the receiver among the
      // n - 1 others, or all n), and undirected the ordered pair stands for its edge.
      const auto pair = dyad_draw_.draw(random_);
      i = pair.first;
      j = pair.second;
    }
    const bool adding = !graph_.has_link(i, j);
    model_.add_changes(graph_, i, j, delta_.data());
    double gain = 0.0;
    for (std::size_t p = 0; p < delta_.size(); ++p) gain += coefficients_[p] * delta_[p];
    const double log_weight = adding ? gain : -gain;
    const double ratio = dyad_draw_.weighted()
                             ? weighted_tie_no_tie_ratio(adding, toggleable, dyad_probability())
                             : ratio_(adding, toggleable, dyads_);
    // A weight of at least 1 accepts whatever the draw (exp(0) = 1 and exp rises), so its exp
    // is not needed; the decisions are those of the weight itself.
    if (!(log_weight >= 0.0 && ratio >= 1.0)) {
      const double weight = exp_of(log_weight) * ratio;
      if (!(RandomStream::unit_of(draw) < weight)) return false;
    }
    graph_.toggle(i, j);
    const double sign = adding ? 1.0 : -1.0;
    for (std::size_t p = 0; p < delta_.size(); ++p) statistics_[p] += sign * delta_[p];
    ++accepted_;
    return true;
  }

  // The weighted dyad draw's probability of the dyad whose changes delta_ holds, its exponential
  // remembered as the gains' are (a few attribute classes give a few values).
  double dyad_probability() {
    const double weight = std::max(exp_of(dyad_draw_.log_weight(delta_.data())), 1e-12);
    return weight / dyad_draw_.total_weight();
  }

  // exp(x), remembered for the few values that the gains of a model take.
  double exp_of(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    Remembered& slot = remembered_[(bits * 0x9e3779b97f4a7c15ULL) >> 60];
    if (!(slot.x == x)) slot = {x, portable_exp(x)};
    return slot.value;
  }

  struct Remembered {
    double x = std::numeric_limits<double>::quiet_NaN();
    double value = 0.0;
  };
  Remembered remembered_[16];
  const Model& model_;
  const std::vector<double>& coefficients_;
  bool include_diagonal_;
  TermGraph graph_;
  std::vector<double> statistics_;
  RandomStream random_;
  std::vector<double> delta_;
  ProposalRatio ratio_;
  const DyadDraw& dyad_draw_;
  int index_;
  const std::atomic<int>& first_failed_;
  std::int64_t dyads_ = 0, fixed_links_ = 0, observed_links_ = 0;
  std::int64_t proposals_ = 0, accepted_ = 0;
};

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

double tie_no_tie_ratio(bool adding, std::int64_t links, std::int64_t dyads) {
  // Adding a link among L: forward, the dyad move only, 1/(2D) (1/D when L = 0, the tie move
  // being impossible); reverse, either move may pick the new link, 1/(2(L + 1)) + 1/(2D).
  // Removing: forward 1/(2L) + 1/(2D), reverse 1/(2D) (1/D when L - 1 = 0). The ratios reversed
  // over forward, each with one division:
  const auto d = static_cast<double>(dyads);
  const auto l = static_cast<double>(links);
  if (adding) return links > 0 ? (d + l + 1.0) / (l + 1.0) : (d + 1.0) / 2.0;
  return (links > 1 ? 1.0 : 2.0) * l / (d + l);
}

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
  const DyadDraw dyad_draw =
      settings.weighted_dyads
          ? DyadDraw::for_model(study, coefficients)
          : DyadDraw::uniform(study.node_count(), study.directed(), study.include_diagonal);
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
    Chain chain(study, coefficients, states ? states->graphs[slot] : observed,
                states ? states->statistics[slot] : summary.observed, observed.link_count(), c,
                settings, ratio, dyad_draw, first_failed);
    Walk walk = chain.run(settings.burnin);
    for (int position = 0; walk == Walk::finished && position < count; ++position) {
      if (position > 0) walk = chain.run(settings.interval);
      if (walk != Walk::finished) break;
      if (first_failed.load(std::memory_order_relaxed) < chains) continue;
      const int k = c + position * chains;
      summary.statistics[static_cast<std::size_t>(k)] = chain.statistics();
      summary.links[static_cast<std::size_t>(k)] = chain.graph().link_count();
      if (visit) visit(k, chain.graph(), chain.statistics());
      if (done != nullptr) ++*done;
    }
    if (walk == Walk::filled) {
      stops[static_cast<std::size_t>(c)] = chain.capacity_stop();
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
