// simulate and gof of a model of counts: networks drawn at given coefficients (or at the exact
// fit of a dyad-independent model), their statistics and features against the observed ones.

#include <cmath>
#include <functional>
#include <sstream>
#include <thread>

#include "api/api_errors.h"
#include "api/records.h"
#include "api/valued_model.h"
#include "mcmle/sample_moments.h"
#include "network/capacity.h"
#include "network/network.h"
#include "report/gof_numbers.h"
#include "terms/formula.h"
#include "valued/valued_fit.h"
#include "valued/valued_gof.h"
#include "valued/valued_sampler.h"

namespace tarn {

namespace {

std::string comma_list(const std::vector<double>& values) {
  std::string list;
  for (const double v : values) list += (list.empty() ? "" : ",") + r_number_text(v);
  return list;
}

struct ValuedSample {
  Vector coefficients;
  ValuedDraws draws;
  tarnwick::SampleFigures figures;
};

using EachNetwork = std::function<void(int k, const ValuedGraph& network)>;

// The networks drawn at the settings' coefficients, or at the exact fit of a dyad-independent
// model when none are given; `each` (when given) sees every network, in order. The networks
// are drawn in batches of a few per chain and not kept: a network of counts takes megabytes
// (4096 of 300 nodes took 10 GB when kept), and the chains go on from batch to batch as one
// draw would, each network from the same chain at the same point.
ValuedSample draw_counts(const tarnwick::Model::Data& data, const tarnwick::DrawSettings& s,
                         CancelFlag cancel, const EachNetwork& each = {}) {
  if (!data.reference_given) {
    throw SettingError({"reference", "response"},
                       "{1} reads counts: give {0}, the model's reference measure, to draw "
                       "networks of counts");
  }
  if (!s.constraints.empty() || !s.offset_coef.empty() || !s.offset_coef_list.empty()) {
    throw SettingError({!s.constraints.empty() ? "constraints" : "offset_coef"},
                       "{0}: a model of counts does not take it yet");
  }
  if (s.networks < 1) {
    throw tarnwick::ArgumentError("networks: give 1 or more, not " + std::to_string(s.networks));
  }
  const ValuedModel& model = *data.valued;
  const ValuedGraph& observed = *data.input.counts;
  ValuedSample sample;
  const std::string option = s.coefficients_option.empty() ? "coefficients" : s.coefficients_option;
  if (!s.coefficient_list.empty() || !s.coefficients.empty()) {
    sample.coefficients = listed_coefficients(
        s.coefficient_list.empty() ? comma_list(s.coefficients) : s.coefficient_list, model,
        option);
  } else if (model.dyad_independent()) {
    const ValuedFit fit = fit_valued(model, observed, {}, default_proposal(model.reference));
    if (fit.outcome != "converged") {
      throw tarnwick::ModelError("the exact fit gave no estimate to draw from (" + fit.outcome +
                                 "); give the coefficients");
    }
    sample.coefficients = fit.estimate;
  } else {
    throw UsageError(option +
                     ": a model of counts with dyad-dependent terms needs its "
                     "coefficients (fit it with --method mcmle, then give them or the fit)");
  }
  const std::int64_t interval =
      s.interval > 0 ? s.interval : std::max<std::int64_t>(64, observed.dyad_count());
  const std::int64_t burnin = s.burnin >= 0 ? s.burnin : 16 * interval;
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  const int threads = s.threads > 0 ? s.threads : std::max(cores, 1);
  ValuedChains chains(model, observed, default_proposal(model.reference), s.chains, s.seed,
                      threads);
  chains.set_cancel(cancel);
  if (!each) {
    sample.draws = chains.draw(sample.coefficients, s.networks, burnin, interval);
  } else {
    const int batch = 16 * chains.chains();
    for (int first = 0; first < s.networks; first += batch) {
      const int count = std::min(batch, s.networks - first);
      ValuedDraws drawn =
          chains.draw(sample.coefficients, count, first == 0 ? burnin : 0, interval, true);
      for (int k = 0; k < count; ++k) each(first + k, drawn.networks[std::size_t(k)]);
      for (Vector& statistics : drawn.statistics)
        sample.draws.statistics.push_back(std::move(statistics));
      sample.draws.proposals = drawn.proposals;
      sample.draws.accepted = drawn.accepted;
    }
  }

  tarnwick::SampleFigures& f = sample.figures;
  f.statistic_names = model.names;
  f.observed = model.statistics(observed);
  f.statistics = sample.draws.statistics;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto p = static_cast<std::size_t>(model.statistic_count());
  f.mean.assign(p, nan);
  f.sd.assign(p, nan);
  f.lag1_autocorrelation.assign(p, nan);
  if (s.networks >= 2) {
    const SampleMoments m = sample_moments(sample.draws.statistics, chains.chains());
    f.mean = m.mean;
    for (std::size_t k = 0; k < p; ++k) f.sd[k] = std::sqrt(m.covariance(int(k), int(k)));
    f.lag1_autocorrelation = m.lag1;
  } else {
    f.mean = sample.draws.statistics.front();
  }
  f.sampler = {chains.chains(),      s.seed, burnin, interval, sample.draws.proposals,
               sample.draws.accepted};
  return sample;
}

// A network of counts as an edge list: its dyads of non-zero count, with the response column.
std::string count_list(const ValuedGraph& g, const NodeLabels& labels,
                       const std::string& response) {
  std::ostringstream out;
  out << (g.directed() ? "sender,receiver," : "node1,node2,") << response << '\n';
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const ValuedEntry& e : g.out(i)) {
      if (g.directed() || e.node > i) {
        out << labels.name(i) << ',' << labels.name(e.node) << ',' << e.value << '\n';
      }
    }
  }
  return out.str();
}

// A network drawn as the observed one with these counts: its links the dyads of non-zero count.
tarnwick::Network network_of_counts(const tarnwick::Model::Data& data, const ValuedGraph& g) {
  NetworkBuilder builder("Simulated network", command_line_limits);
  builder.declare_nodes(g.node_count());
  long k = 0;
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const ValuedEntry& e : g.out(i)) {
      if (g.directed() || e.node > i) builder.add_link(i, e.node, ++k);
    }
  }
  auto network = std::make_shared<tarnwick::Network::Data>(data.network.data());
  network->input.network = std::move(builder).finish();
  network->input.network.bipartite = data.input.network.bipartite;
  network->input.counts = std::make_shared<ValuedGraph>(g);
  network->input.notes.clear();
  return tarnwick::Network(std::move(network));
}

}  // namespace

tarnwick::SimulationResult valued_simulate(const tarnwick::Model::Data& data,
                                           const tarnwick::SimulateSettings& settings,
                                           const tarnwick::Progress& progress) {
  tarnwick::SimulationResult result;
  result.notes = records_of(data.input.notes, "data");
  EachNetwork each;
  if (settings.each_network || settings.keep_networks) {
    each = [&](int k, const ValuedGraph& g) {
      if (settings.each_network) {
        settings.each_network(k, count_list(g, data.input.labels, data.input.response));
      }
      if (settings.keep_networks) result.networks.push_back(network_of_counts(data, g));
    };
  }
  ValuedSample sample = draw_counts(data, settings, progress.cancel, each);
  check_cancel(progress);
  if (progress.counter != nullptr) *progress.counter += settings.networks;
  result.sample = std::move(sample.figures);
  result.coefficients = sample.coefficients;
  return result;
}

tarnwick::GofTables valued_gof(const tarnwick::Model::Data& data,
                               const tarnwick::GofSettings& settings,
                               const tarnwick::Progress& progress) {
  tarnwick::GofTables tables;
  tables.notes = records_of(data.input.notes, "data");
  tables.network_path = data.network.data().options.network_path;
  tables.directed = data.input.directed;
  for (const ValuedTermPointer& t : data.valued->terms) tables.terms.push_back(t->text());
  std::vector<ValuedFeatures> simulated;
  ValuedSample sample = draw_counts(
      data, settings, progress.cancel,
      [&simulated](int, const ValuedGraph& g) { simulated.push_back(valued_features(g)); });
  check_cancel(progress);
  if (progress.counter != nullptr) *progress.counter += settings.networks;
  const StatisticSample statistics{data.valued->names, sample.figures.observed,
                                   sample.figures.statistics};
  const GofSummary summary = summarize_valued_gof(valued_features(*data.input.counts), simulated,
                                                  data.input.directed, statistics);
  const tarnwick::GofTables numbers = gof_numbers(summary);
  tables.made = true;
  tables.networks = numbers.networks;
  tables.panels = numbers.panels;
  tables.rows = numbers.rows;
  tables.sample = std::move(sample.figures);
  tables.coefficients = sample.coefficients;
  return tables;
}

}  // namespace tarn
