#pragma once
// Every network on a few nodes, grouped by their statistics, for exact references: the exact
// distribution of a model's statistics at any coefficients, exact means and covariances, and a
// sample source (mcmle/mcmle_sample.h) that draws independent networks from that distribution,
// so that each step of maximum likelihood by MCMC can be tested against the exact answer.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "mcmle/mcmle_sample.h"
#include "model/model.h"
#include "model/study.h"
#include "numeric/matrix.h"
#include "simulate/random_stream.h"

namespace tarn::test {

struct NetworkClass {
  Vector statistics;
  std::int64_t links = 0;
  double count = 0.0;  // networks with these statistics and links
};

// Every network over the given dyads, the others as in g, by Gray code: one dyad toggled per
// step, the statistics moved by its change.
inline std::vector<NetworkClass> every_network_over(const Model& model, TermGraph g,
                                                    const std::vector<std::pair<int, int>>& dyads) {
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

// Every network on n nodes (every dyad of the model's kind; no self-pairs); of a two-mode
// network whose first mode is 1..first_mode, every dyad between the modes.
inline std::vector<NetworkClass> every_network(const Model& model, int n, int first_mode = 0) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= (first_mode ? first_mode : n); ++i)
    for (int j = first_mode ? first_mode + 1 : model.directed ? 1 : i + 1; j <= n; ++j)
      if (i != j) dyads.emplace_back(i, j);
  TermGraph g(n, model.directed, model.partner_tables());
  g.set_bipartite(first_mode);
  return every_network_over(model, std::move(g), dyads);
}

// The probabilities of the classes at canonical parameters eta. An entry of -Inf (an offset)
// forbids the classes whose statistic is not 0 and leaves the others alone.
inline std::vector<double> class_probabilities(const std::vector<NetworkClass>& classes,
                                               const Vector& eta) {
  std::vector<double> log_weight;
  double largest = -1e300;
  for (const NetworkClass& c : classes) {
    double v = std::log(c.count);
    for (std::size_t s = 0; s < eta.size(); ++s)
      if (c.statistics[s] != 0.0) v += eta[s] * c.statistics[s];
    log_weight.push_back(v);
    largest = std::max(largest, v);
  }
  double total = 0.0;
  for (double& v : log_weight) total += v = std::exp(v - largest);
  for (double& v : log_weight) v /= total;
  return log_weight;
}

// log sum_c count_c exp(eta . statistics_c), as class_probabilities weighs the classes.
inline double log_total(const std::vector<NetworkClass>& classes, const Vector& eta) {
  double largest = -HUGE_VAL;
  std::vector<double> log_weight;
  for (const NetworkClass& c : classes) {
    double v = std::log(c.count);
    for (std::size_t s = 0; s < eta.size(); ++s)
      if (c.statistics[s] != 0.0) v += eta[s] * c.statistics[s];
    log_weight.push_back(v);
    largest = std::max(largest, v);
  }
  double total = 0.0;
  for (double v : log_weight) total += std::exp(v - largest);
  return largest + std::log(total);
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

// The exact likelihood of a model's free coefficients (offsets held at their values): the
// statistics of every network, and those observed; with missing dyads, the classes of every
// completion of the observed network instead, whose likelihood is their sum.
struct ExactLikelihood {
  Model model;
  std::vector<NetworkClass> networks;
  Vector observed;
  std::vector<NetworkClass> completions;  // empty: no dyad missing
};

struct ExactPoint {
  double log_likelihood = 0.0;
  Vector score;        // of the free coefficients
  Matrix information;  // of the free coefficients
};

// The log-likelihood, its score J' (E[g | observed] - E g) and the information
// J' (Cov g - Cov[g | observed]) J, J the Jacobian of the canonical parameters in the free
// coefficients (the identity for a linear model).
inline ExactPoint exact_point(const ExactLikelihood& x, const Vector& free) {
  const std::vector<std::optional<double>> fixed = x.model.fixed_coefficients();
  const std::vector<int> which = x.model.free_coefficients();
  Vector coefficients(fixed.size());
  for (std::size_t k = 0, f = 0; k < fixed.size(); ++k)
    coefficients[k] = fixed[k] ? *fixed[k] : free[f++];
  const Vector eta = x.model.canonical(coefficients);
  const Vector jacobian = x.model.canonical_jacobian(coefficients);
  const int s = static_cast<int>(eta.size()), q = static_cast<int>(which.size());
  const int all = static_cast<int>(fixed.size());
  auto J = [&](int a, int c) { return jacobian[std::size_t(a * all + which[std::size_t(c)])]; };
  const ExactMoments every = exact_moments(x.networks, eta);
  const std::vector<NetworkClass> observed = {{x.observed, 0, 1.0}};
  const std::vector<NetworkClass>& given_classes = x.completions.empty() ? observed : x.completions;
  const ExactMoments given = exact_moments(given_classes, eta);
  const double log_given = log_total(given_classes, eta);
  ExactPoint p{log_given - log_total(x.networks, eta), Vector(std::size_t(q), 0.0), Matrix(q, q)};
  for (int c = 0; c < q; ++c)
    for (int a = 0; a < s; ++a)
      p.score[std::size_t(c)] +=
          J(a, c) * (given.mean[std::size_t(a)] - every.mean[std::size_t(a)]);
  for (int c = 0; c < q; ++c)
    for (int d = 0; d < q; ++d)
      for (int a = 0; a < s; ++a)
        for (int b = 0; b < s; ++b)
          p.information(c, d) +=
              J(a, c) * (every.covariance(a, b) - given.covariance(a, b)) * J(b, d);
  return p;
}

struct ExactFit {
  Vector estimate;  // of the free coefficients
  Matrix inverse_fisher;
  double log_likelihood = 0.0;
};

// The exact maximum-likelihood estimate by Fisher scoring (Newton's method for a linear model)
// from the free coefficients start, a step halved until the log-likelihood rises.
inline ExactFit exact_fit(const ExactLikelihood& x, Vector start) {
  ExactPoint at = exact_point(x, start);
  for (int iteration = 0; iteration < 500; ++iteration) {
    Vector step = product(symmetric_inverse(at.information).value(), at.score);
    double size = 0.0;
    for (double v : step) size = std::max(size, std::fabs(v));
    bool moved = false;
    for (int halving = 0; size >= 1e-12 && halving < 60 && !moved; ++halving) {
      Vector next = start;
      for (std::size_t k = 0; k < step.size(); ++k) next[k] += step[k];
      const ExactPoint there = exact_point(x, next);
      if ((moved = there.log_likelihood >= at.log_likelihood - 1e-13)) {
        start = next;
        at = there;
      }
      for (double& v : step) v *= 0.5;
    }
    if (!moved) break;
  }
  return {start, symmetric_inverse(at.information).value(), at.log_likelihood};
}

// A study's exact likelihood: every network of its nodes (of a two-mode one, between its modes).
inline ExactLikelihood exact_likelihood(const Study& study) {
  return {study.model,
          every_network(study.model, study.node_count(), study.network.bipartite),
          study.statistics(),
          {}};
}

inline ExactFit exact_fit(const Study& study) {
  return exact_fit(exact_likelihood(study), Vector(study.model.free_coefficients().size(), 0.0));
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
