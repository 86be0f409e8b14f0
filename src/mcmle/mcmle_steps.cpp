#include "mcmle/mcmle_steps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarn {

Projection::Projection(const Model& model, const Vector& theta)
    : statistics_(model.parameter_count()), coefficients_(model.coefficient_count()) {
  if (model.curved()) jacobian_ = model.canonical_jacobian(theta);
}

Vector Projection::operator()(const Vector& g) const {
  if (jacobian_.empty()) return g;
  Vector h(std::size_t(coefficients_), 0.0);
  for (int s = 0; s < statistics_; ++s) {
    const double value = g[std::size_t(s)];
    if (value == 0.0) continue;
    for (int c = 0; c < coefficients_; ++c) {
      h[std::size_t(c)] += jacobian_[std::size_t(s * coefficients_ + c)] * value;
    }
  }
  return h;
}

std::vector<Vector> Projection::operator()(const std::vector<Vector>& sample) const {
  if (jacobian_.empty()) return sample;
  std::vector<Vector> projected;
  projected.reserve(sample.size());
  for (const Vector& g : sample) projected.push_back((*this)(g));
  return projected;
}

std::optional<Vector> log_normal_step(const SampleMoments& m, const Vector& observed) {
  const int p = static_cast<int>(m.mean.size());
  std::vector<int> varying;
  for (int s = 0; s < p; ++s) {
    if (m.sd[std::size_t(s)] > 0.0) varying.push_back(s);
  }
  const int q = static_cast<int>(varying.size());
  Matrix sub(q, q);
  Vector gap(static_cast<std::size_t>(q));
  for (int a = 0; a < q; ++a) {
    const auto s = std::size_t(varying[std::size_t(a)]);
    gap[std::size_t(a)] = observed[s] - m.mean[s];
    for (int b = 0; b < q; ++b)
      sub(a, b) = m.covariance(varying[std::size_t(a)], varying[std::size_t(b)]);
  }
  Vector step(std::size_t(p), 0.0);
  if (q == 0) return step;
  const std::optional<Matrix> inverse = symmetric_inverse(sub);
  if (!inverse) return std::nullopt;
  const Vector sub_step = product(*inverse, gap);
  for (int a = 0; a < q; ++a) step[std::size_t(varying[std::size_t(a)])] = sub_step[std::size_t(a)];
  return step;
}

double weight_share(const std::vector<Vector>& sample, const Vector& change) {
  std::vector<double> log_weight;
  log_weight.reserve(sample.size());
  double largest = -std::numeric_limits<double>::infinity();
  for (const Vector& g : sample) {
    double v = 0.0;
    for (std::size_t k = 0; k < change.size(); ++k) v += change[k] * g[k];
    log_weight.push_back(v);
    largest = std::max(largest, v);
  }
  double sum = 0.0, squares = 0.0;
  for (double v : log_weight) {
    const double w = std::exp(v - largest);
    sum += w;
    squares += w * w;
  }
  return sum * sum / squares / static_cast<double>(sample.size());
}

namespace {

// The sample's mean and covariance under the importance weights exp(delta . g_k), over the
// statistics `varying`.
struct WeightedMoments {
  Vector mean;
  Matrix covariance;
  double share = 0.0;
};

WeightedMoments weighted_moments(const std::vector<Vector>& sample, const Vector& delta,
                                 const std::vector<int>& varying) {
  const std::size_t n = sample.size(), q = varying.size();
  std::vector<double> log_weight(n);
  double largest = -std::numeric_limits<double>::infinity();
  for (std::size_t k = 0; k < n; ++k) {
    double v = 0.0;
    for (std::size_t s = 0; s < delta.size(); ++s) v += delta[s] * sample[k][s];
    log_weight[k] = v;
    largest = std::max(largest, v);
  }
  WeightedMoments m{Vector(q, 0.0), Matrix(int(q), int(q)), 0.0};
  double sum = 0.0, squares = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const double w = std::exp(log_weight[k] - largest);
    log_weight[k] = w;
    sum += w;
    squares += w * w;
    for (std::size_t a = 0; a < q; ++a) m.mean[a] += w * sample[k][std::size_t(varying[a])];
  }
  for (double& v : m.mean) v /= sum;
  for (std::size_t k = 0; k < n; ++k) {
    const double w = log_weight[k] / sum;
    for (std::size_t a = 0; a < q; ++a) {
      const double da = sample[k][std::size_t(varying[a])] - m.mean[a];
      for (std::size_t b = 0; b < q; ++b) {
        m.covariance(int(a), int(b)) += w * da * (sample[k][std::size_t(varying[b])] - m.mean[b]);
      }
    }
  }
  m.share = sum * sum / squares / static_cast<double>(n);
  return m;
}

}  // namespace

Vector importance_step(const std::vector<Vector>& sample, const Vector& target, Vector delta,
                       const McmleControl& control) {
  if (sample.size() < 2) return delta;
  std::vector<int> varying;
  for (std::size_t s = 0; s < target.size(); ++s) {
    double mean = 0.0, squares = 0.0;
    for (const Vector& g : sample) mean += g[s];
    mean /= static_cast<double>(sample.size());
    for (const Vector& g : sample) squares += (g[s] - mean) * (g[s] - mean);
    if (varies(std::sqrt(squares / static_cast<double>(sample.size() - 1)), mean)) {
      varying.push_back(int(s));
    }
  }
  const std::size_t q = varying.size();
  if (q == 0) return delta;
  WeightedMoments at = weighted_moments(sample, delta, varying);
  if (at.share < control.refinement_weight_share) return delta;
  for (int iteration = 0; iteration < 20; ++iteration) {
    const std::optional<Matrix> inverse = symmetric_inverse(at.covariance);
    if (!inverse) break;
    Vector gap(q);
    for (std::size_t a = 0; a < q; ++a) gap[a] = target[std::size_t(varying[a])] - at.mean[a];
    Vector direction = product(*inverse, gap);
    // Newton's step, halved while the weights no longer speak for its end.
    bool moved = false;
    for (int halving = 0; halving < 10 && !moved; ++halving) {
      Vector next = delta;
      for (std::size_t a = 0; a < q; ++a) next[std::size_t(varying[a])] += direction[a];
      WeightedMoments there = weighted_moments(sample, next, varying);
      if (there.share >= control.refinement_weight_share) {
        delta = std::move(next);
        at = std::move(there);
        moved = true;
      } else {
        for (double& v : direction) v *= 0.5;
      }
    }
    if (!moved) break;
    double largest = 0.0;  // of the direction in units of the weighted spreads
    for (std::size_t a = 0; a < q; ++a) {
      largest =
          std::max(largest, std::fabs(direction[a]) * std::sqrt(at.covariance(int(a), int(a))));
    }
    if (largest < 1e-6) break;
  }
  return delta;
}

Vector capped_move(const Model& model, const Vector& theta, Vector move,
                   const std::vector<Vector>& canonical_sample, const McmleControl& control) {
  const std::size_t p = theta.size();
  const Vector eta = model.canonical(theta);
  // The share is of the canonical parameters' own change, so that a curved model's step is held
  // where the sample still speaks for its end, however far from linear the map.
  const auto share_of = [&](const Vector& m) {
    if (!model.curved()) return weight_share(canonical_sample, m);
    Vector to = theta;
    for (std::size_t k = 0; k < p; ++k) to[k] += m[k];
    Vector change = model.canonical(to);
    // An offset's parameter does not change, also at -Inf (where inf - inf is NaN).
    for (std::size_t s = 0; s < change.size(); ++s) {
      change[s] = change[s] == eta[s] ? 0.0 : change[s] - eta[s];
    }
    return weight_share(canonical_sample, change);
  };
  const Vector least = model.least_coefficients();
  const auto inside = [&](const Vector& m) {
    for (std::size_t k = 0; k < p; ++k) {
      if (theta[k] + m[k] < least[k]) return false;
    }
    return true;
  };
  for (int cut = 0; cut < 30 && (!inside(move) || share_of(move) < control.least_weight_share);
       ++cut) {
    for (double& v : move) v *= 0.5;
  }
  for (std::size_t k = 0; k < p; ++k) move[k] = std::max(move[k], least[k] - theta[k]);
  return move;
}

std::int64_t tuned_interval(std::int64_t interval, const SampleMoments& m,
                            const ConvergenceTest& test, const McmleControl& control,
                            std::int64_t shortest) {
  const double least = smallest_effective_size(m);
  const double wanted = control.least_effective_share * m.networks;
  if (control.interval > 0 || test.max_abs_t > control.distant_t) return interval;
  if (least < wanted) {
    const double factor = std::clamp(1.2 * wanted / std::max(least, 1.0), 1.25, 8.0);
    return static_cast<std::int64_t>(std::ceil(static_cast<double>(interval) * factor));
  }
  if (least > 2.0 * wanted) {
    const double factor = std::max(1.2 * wanted / least, 0.25);
    return std::max(shortest, static_cast<std::int64_t>(std::ceil(interval * factor)));
  }
  return interval;
}

}  // namespace tarn
