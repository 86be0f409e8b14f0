#include "estimate/gof_check.h"

#include "estimate/sample_warnings.h"
#include "network/missing_dyads.h"
#include "simulate/network_features.h"

namespace tarn {

namespace {

NetworkFeatures features_of(const Network& network, bool directed) {
  return directed ? network_features(network) : undirected_network_features(network);
}

// A network's features as a list of numbers (each list its length first), for the processes of
// an MPI job, and back.
TaskResult feature_values(const NetworkFeatures& f) {
  TaskResult values{f.directed ? 1.0 : 0.0, f.unreachable, static_cast<double>(f.geodesic_sources),
                    static_cast<double>(f.node_count), static_cast<double>(f.first_mode)};
  for (const std::vector<double>* list :
       {&f.out_degree, &f.in_degree, &f.degree, &f.edgewise_shared, &f.dyadwise_shared, &f.geodesic,
        &f.mode_degree[0], &f.mode_degree[1], &f.mode_dyadwise_shared[0],
        &f.mode_dyadwise_shared[1]}) {
    values.push_back(static_cast<double>(list->size()));
    values.insert(values.end(), list->begin(), list->end());
  }
  for (const std::int64_t count : f.triad_census) values.push_back(static_cast<double>(count));
  return values;
}

NetworkFeatures features_from(const TaskResult& values) {
  ResultReader read(values);
  NetworkFeatures f;
  f.directed = read.next() != 0.0;
  f.unreachable = read.next();
  f.geodesic_sources = static_cast<std::int64_t>(read.next());
  f.node_count = static_cast<int>(read.next());
  f.first_mode = static_cast<int>(read.next());
  for (std::vector<double>* list :
       {&f.out_degree, &f.in_degree, &f.degree, &f.edgewise_shared, &f.dyadwise_shared, &f.geodesic,
        &f.mode_degree[0], &f.mode_degree[1], &f.mode_dyadwise_shared[0],
        &f.mode_dyadwise_shared[1]}) {
    *list = read.next(static_cast<std::size_t>(read.next()));
  }
  for (std::int64_t& count : f.triad_census) count = static_cast<std::int64_t>(read.next());
  return f;
}

}  // namespace

GofCheck check_gof(const Study& study, const std::vector<double>& coefficients, bool given,
                   const SamplerSettings& settings, int networks, std::atomic<std::int64_t>* done,
                   const std::function<void()>& each_network) {
  GofCheck check;
  // With missing dyads the observed network counts them as no link: every network drawn is seen
  // the same way, its features and the model's statistics counted without the links it drew on
  // them (those follow the features in its measures).
  const bool missing = study.missing_dyad_count() > 0;
  auto measure = [&](const TermGraph& graph, const std::vector<double>&) {
    if (each_network) each_network();
    if (!missing) return feature_values(features_of(graph.to_network(), graph.directed()));
    Network seen = without_missing_dyads(graph.to_network(), *study.missing, graph.directed());
    TaskResult values = feature_values(features_of(seen, graph.directed()));
    const std::vector<double> statistics = study.with_network(std::move(seen)).statistics();
    values.insert(values.end(), statistics.begin(), statistics.end());
    return values;
  };
  MeasuredSample measured = sample_measured(study, coefficients, networks, settings, measure, done);
  check.sample = std::move(measured.sample);
  std::vector<NetworkFeatures> features;
  const auto p = static_cast<std::ptrdiff_t>(study.model.statistic_names().size());
  for (std::size_t k = 0; k < measured.measures.size(); ++k) {
    TaskResult& values = measured.measures[k];
    if (missing && !values.empty() && k < check.sample.statistics.size()) {
      check.sample.statistics[k].assign(values.end() - p, values.end());
      values.erase(values.end() - p, values.end());
    }
    features.push_back(values.empty() ? NetworkFeatures{} : features_from(values));
  }
  check.draw_warnings = draw_warnings(check.sample, study.model, coefficients, given);
  check.degenerate = check.sample.capacity_stop.found || check.sample.evidence.degenerate();
  if (check.degenerate) return check;
  check.sample_warnings =
      autocorrelation_warnings(check.sample, study.model, settings.chains, "sample");
  StatisticSample statistics;
  statistics.names = study.model.statistic_names();
  statistics.observed = check.sample.observed;
  statistics.simulated = check.sample.statistics;
  check.summary = summarize_gof(features_of(study.network, study.directed()), features, statistics);
  if (check.summary.geodesics_sampled()) {
    Warning w{"geodesics_sampled"};
    w.add_count("sources", check.summary.geodesic_sources)
        .add_count("nodes", check.summary.nodes)
        .add_count("exact_nodes", geodesic_exact_nodes);
    check.feature_warnings.push_back(w);
  }
  return check;
}

}  // namespace tarn
