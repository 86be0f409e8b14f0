#pragma once
// Every network of counts on a few nodes whose dyads take the values low..high, for exact
// references of valued models: the exact probability of each network at any coefficients, and
// the exact maximum-likelihood estimate by Newton's method on the enumerated likelihood.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "numeric/matrix.h"
#include "terms/valued_graph.h"
#include "valued/valued_model.h"

namespace tarn::test {

// The networks of n nodes whose every dyad holds low..high: network `code` has the value
// low + digit d of code (base high - low + 1) at dyad d.
struct ValuedSpace {
  int n = 3;
  bool directed = true;
  int low = 0, high = 2;

  std::vector<std::pair<int, int>> dyads() const {
    std::vector<std::pair<int, int>> out;
    for (int i = 1; i <= n; ++i)
      for (int j = directed ? 1 : i + 1; j <= n; ++j)
        if (i != j) out.emplace_back(i, j);
    return out;
  }
  std::int64_t size() const {
    std::int64_t size = 1;
    for (std::size_t d = 0; d < dyads().size(); ++d) size *= high - low + 1;
    return size;
  }
  // Every dyad at low (a start for chains, the space bounded or not).
  ValuedGraph lowest() const {
    ValuedGraph g(n, directed);
    for (const auto& [i, j] : dyads()) g.set(i, j, low);
    return g;
  }
  ValuedGraph network(std::int64_t code) const {
    ValuedGraph g(n, directed);
    for (const auto& [i, j] : dyads()) {
      g.set(i, j, low + static_cast<int>(code % (high - low + 1)));
      code /= high - low + 1;
    }
    return g;
  }
  std::int64_t code(const ValuedGraph& g) const {
    std::int64_t code = 0, place = 1;
    for (const auto& [i, j] : dyads()) {
      code += place * (g.value(i, j) - low);
      place *= high - low + 1;
    }
    return code;
  }
};

// Each network's statistics and log reference weight log h(y), by code.
struct ValuedEnumeration {
  ValuedSpace space;
  std::vector<Vector> statistics;
  std::vector<double> log_weight;
};

inline ValuedEnumeration enumerate(const ValuedModel& model, const ValuedSpace& space) {
  ValuedEnumeration e{space, {}, {}};
  const ReferenceWeights weights(model.reference);
  for (std::int64_t code = 0; code < space.size(); ++code) {
    const ValuedGraph g = space.network(code);
    e.statistics.push_back(model.statistics(g));
    double log_h = 0.0;
    for (const auto& [i, j] : space.dyads()) log_h += weights.log_weight(g.value(i, j));
    e.log_weight.push_back(log_h);
  }
  return e;
}

// P(y) = h(y) exp(eta . g(y)) / kappa(eta), by code; and log kappa(eta).
inline std::vector<double> probabilities(const ValuedEnumeration& e, const Vector& eta,
                                         double* log_normaliser = nullptr) {
  std::vector<double> p(e.statistics.size());
  double largest = -HUGE_VAL;
  for (std::size_t k = 0; k < p.size(); ++k) {
    p[k] = e.log_weight[k];
    for (std::size_t s = 0; s < eta.size(); ++s) p[k] += eta[s] * e.statistics[k][s];
    largest = std::max(largest, p[k]);
  }
  double total = 0.0;
  for (double& v : p) total += v = std::exp(v - largest);
  for (double& v : p) v /= total;
  if (log_normaliser != nullptr) *log_normaliser = largest + std::log(total);
  return p;
}

struct ValuedExactFit {
  Vector estimate;
  Matrix covariance;  // the inverse of the exact information, Cov g at the estimate
  double log_likelihood = 0.0;
};

// The mean and covariance of the statistics under the weights p (summing to 1).
inline std::pair<Vector, Matrix> weighted_moments(const ValuedEnumeration& e,
                                                  const std::vector<double>& p, int q) {
  Vector mean(std::size_t(q), 0.0);
  Matrix covariance(q, q);
  for (std::size_t k = 0; k < p.size(); ++k)
    for (int s = 0; s < q; ++s) mean[std::size_t(s)] += p[k] * e.statistics[k][std::size_t(s)];
  for (std::size_t k = 0; k < p.size(); ++k)
    for (int s = 0; s < q; ++s)
      for (int t = 0; t < q; ++t)
        covariance(s, t) += p[k] * (e.statistics[k][std::size_t(s)] - mean[std::size_t(s)]) *
                            (e.statistics[k][std::size_t(t)] - mean[std::size_t(t)]);
  return {mean, covariance};
}

// The exact MLE for the observed statistics by Newton's method (the information is the
// statistics' covariance), a step halved until the log-likelihood rises; nothing when the
// information becomes singular, the steps do not end or the coefficients run off (the observed
// statistics on the hull's boundary: no MLE). `completions`: with missing dyads, by code, the
// networks that agree with the observed one on its observed dyads; the likelihood is then their
// total probability, its score E_completed[g] - E[g] and its information
// Cov[g] - Cov_completed[g] (`observed` is not read).
inline std::optional<ValuedExactFit> exact_valued_fit(
    const ValuedEnumeration& e, const Vector& observed,
    const std::vector<char>* completions = nullptr) {
  const int q = static_cast<int>(observed.size());
  struct Point {
    double log_likelihood;
    Vector score;
    Matrix information;
  };
  auto at = [&](const Vector& theta) {
    double log_kappa = 0.0;
    const std::vector<double> p = probabilities(e, theta, &log_kappa);
    const auto [mean, covariance] = weighted_moments(e, p, q);
    Point point{-log_kappa, observed, covariance};
    if (completions == nullptr) {
      for (int s = 0; s < q; ++s)
        point.log_likelihood += theta[std::size_t(s)] * observed[std::size_t(s)];
    } else {
      std::vector<double> within(p.size(), 0.0);
      double total = 0.0;
      for (std::size_t k = 0; k < p.size(); ++k)
        if ((*completions)[k]) total += within[k] = p[k];
      for (double& v : within) v /= total;
      // log of the completions' total under the unnormalised weights: log total + log kappa.
      point.log_likelihood = std::log(total);
      const auto [completed_mean, completed_covariance] = weighted_moments(e, within, q);
      point.score = completed_mean;
      for (int s = 0; s < q; ++s)
        for (int t = 0; t < q; ++t) point.information(s, t) -= completed_covariance(s, t);
    }
    for (int s = 0; s < q; ++s) point.score[std::size_t(s)] -= mean[std::size_t(s)];
    return point;
  };
  Vector theta(std::size_t(q), 0.0);
  Point point = at(theta);
  for (int iteration = 0; iteration < 200; ++iteration) {
    const auto inverse = symmetric_inverse(point.information);
    if (!inverse) return std::nullopt;
    Vector step = product(*inverse, point.score);
    double size = 0.0;
    for (const double v : step) size = std::max(size, std::fabs(v));
    if (size < 1e-13) {
      // Far out along a direction without a maximum the score rounds to 0.
      for (const double t : theta)
        if (std::fabs(t) > 25) return std::nullopt;
      return ValuedExactFit{theta, *inverse, point.log_likelihood};
    }
    // A long step lands where one network takes all the mass and the information is singular.
    for (double& v : step) v *= std::min(1.0, 2.0 / size);
    bool moved = false;
    for (int halving = 0; halving < 60 && !moved; ++halving) {
      Vector next = theta;
      for (int s = 0; s < q; ++s) next[std::size_t(s)] += step[std::size_t(s)];
      const Point there = at(next);
      if ((moved = there.log_likelihood >= point.log_likelihood - 1e-13))
        theta = next, point = there;
      for (double& v : step) v /= 2;
    }
    if (!moved) break;
  }
  return std::nullopt;
}

}  // namespace tarn::test
