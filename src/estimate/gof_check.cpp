#include "estimate/gof_check.h"

#include "estimate/sample_warnings.h"
#include "simulate/network_features.h"

namespace tarn {

namespace {

NetworkFeatures features_of(const Network& network, bool directed) {
  return directed ? network_features(network) : undirected_network_features(network);
}

}  // namespace

GofCheck check_gof(const Study& study, const std::vector<double>& coefficients, bool given,
                   const SamplerSettings& settings, int networks, std::atomic<std::int64_t>* done,
                   const std::function<void()>& each_network) {
  GofCheck check;
  std::vector<NetworkFeatures> features(static_cast<std::size_t>(networks));
  auto visit = [&](int k, const TermGraph& graph, const std::vector<double>&) {
    if (each_network) each_network();
    features[static_cast<std::size_t>(k)] = features_of(graph.to_network(), graph.directed());
  };
  check.sample = sample_networks(study, coefficients, networks, settings, visit, done);
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
