#pragma once
// Every network on a few nodes, grouped by their statistics, for exact references: the exact
// distribution of a model's statistics at any coefficients, exact means and covariances, and a
// sample source (mcmle/mcmle_sample.h) that draws independent networks from that distribution,
// so that each step of maximum likelihood by MCMC can be tested against the exact answer.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "mcmle/mcmle_sample.h"
#include "model/model.h"
#include "numeric/matrix.h"
#include "simulate/random_stream.h"

namespace tarn::test {

struct NetworkClass {
  Vector statistics;
  std::int64_t links = 0;
  double count = 0.0;  // networks with these statistics and links
};

// Every network on n nodes (every dyad of the model's kind; no self-pairs), by Gray code: one
// dyad toggled per step, the statistics moved by its change.
inline std::vector<NetworkClass> every_network(const Model& model, int n) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= n; ++i)
    for (int j = model.directed ? 1 : i + 1; j <= n; ++j)
      if (i != j) dyads.emplace_back(i, j);
  TermGraph g(n, model.directed, model.partner_tables());
  std::map<std::pair<Vector, std::int64_t>, double> count;
  Vector statistics = model.network_statistics(g), delta(statistics.size());
  const std::uint32_t networks = 1u << dyads.size();
  for (std::uint32_t k = 0; k < networks; ++k) {
    if (k > 0) {
      const auto& [i, j] = dyads[std::size_t(__builtin_ctz(k))];
      model.add_changes(g, i, j, delta.data());
      const double sign = g.has_link(i, j) ? -1.0 : 1.0;
      for (std::size_t s = 0; s < delta.size(); ++s) statistics[s] += sign * delta[s];
      g.toggle(i, j);
    }
    Vector key = statistics;  // the sums drift in their last bits
    for (double& v : key) v = std::round(v * 1e7) / 1e7;
    count[{key, g.link_count()}] += 1.0;
  }
  std::vector<NetworkClass> classes;
  for (const auto& [key, c] : count) classes.push_back({key.first, key.second, c});
  return classes;
}

// The probabilities of the classes at canonical parameters eta.
inline std::vector<double> class_probabilities(const std::vector<NetworkClass>& classes,
                                               const Vector& eta) {
  std::vector<double> log_weight;
  double largest = -1e300;
  for (const NetworkClass& c : classes) {
    double v = std::log(c.count);
    for (std::size_t s = 0; s < eta.size(); ++s) v += eta[s] * c.statistics[s];
    log_weight.push_back(v);
    largest = std::max(largest, v);
  }
  double total = 0.0;
  for (double& v : log_weight) total += v = std::exp(v - largest);
  for (double& v : log_weight) v /= total;
  return log_weight;
}

struct ExactMoments {
  Vector mean;
  Matrix covariance;
};

inline ExactMoments exact_moments(const std::vector<NetworkClass>& classes, const Vector& eta) {
  const std::vector<double> p = class_probabilities(classes, eta);
  const int q = static_cast<int>(eta.size());
  ExactMoments m{Vector(std::size_t(q), 0.0), Matrix(q, q)};
  for (std::size_t k = 0; k < classes.size(); ++k)
    for (int a = 0; a < q; ++a)
      m.mean[std::size_t(a)] += p[k] * classes[k].statistics[std::size_t(a)];
  for (std::size_t k = 0; k < classes.size(); ++k)
    for (int a = 0; a < q; ++a)
      for (int b = 0; b < q; ++b)
        m.covariance(a, b) += p[k] *
                              (classes[k].statistics[std::size_t(a)] - m.mean[std::size_t(a)]) *
                              (classes[k].statistics[std::size_t(b)] - m.mean[std::size_t(b)]);
  return m;
}

// Independent draws from the exact distribution at the request's canonical parameters, seeded
// from (seed, the request's stream), as `chains` chains would give them (their order is that of
// the draws: independent draws have no autocorrelation to keep).
inline SampleSource exact_source(std::vector<NetworkClass> classes, std::uint64_t seed,
                                 int chains = 8) {
  return [classes = std::move(classes), seed, chains](const SampleRequest& request) {
    const std::vector<double> p = class_probabilities(classes, request.eta);
    std::vector<double> cumulative(p.size());
    double running = 0.0;
    for (std::size_t k = 0; k < p.size(); ++k) cumulative[k] = running += p[k];
    RandomStream random(seed, request.stream);
    DrawnSample drawn;
    drawn.chains = request.probe ? 2 : chains;
    for (int k = 0; k < request.networks; ++k) {
      const double u = random.unit() * running;
      const std::size_t at = std::size_t(std::upper_bound(cumulative.begin(), cumulative.end(), u) -
                                         cumulative.begin());
      const NetworkClass& c = classes[std::min(at, classes.size() - 1)];
      drawn.statistics.push_back(c.statistics);
      drawn.links.push_back(c.links);
    }
    return drawn;
  };
}

}  // namespace tarn::test
