#include "mcmle/sample_moments.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "mcmle/autoregression.h"
#include "mcmle/f_distribution.h"

namespace tarn {

namespace {

// Autocovariance of statistic s at `lag`, within the chains, about the pooled mean.
double autocovariance(const std::vector<Vector>& x, int chains, std::size_t s, double mean,
                      int lag) {
  const std::size_t n = x.size();
  const std::size_t shift = static_cast<std::size_t>(chains) * static_cast<std::size_t>(lag);
  double sum = 0.0;
  for (std::size_t k = 0; k + shift < n; ++k) sum += (x[k][s] - mean) * (x[k + shift][s] - mean);
  return sum / static_cast<double>(n);
}

struct Autocorrelation {
  double tau = 1.0, spread_tau = 1.0, lag1 = std::numeric_limits<double>::quiet_NaN();
};

// Geyer's initial positive sequence: the sums of consecutive pairs of autocorrelations while
// they are positive.
Autocorrelation autocorrelation_of(const std::vector<Vector>& x, int chains, std::size_t s,
                                   double mean) {
  Autocorrelation a;
  const double gamma0 = autocovariance(x, chains, s, mean, 0);
  if (!(gamma0 > 0.0)) return a;
  const int length = static_cast<int>(x.size()) / chains;
  a.lag1 = autocovariance(x, chains, s, mean, 1) / gamma0;
  double sum = 0.0, squares = 0.0;
  for (int k = 0; 2 * k + 1 < length; ++k) {
    const double even = k == 0 ? 1.0 : autocovariance(x, chains, s, mean, 2 * k) / gamma0;
    const double odd = autocovariance(x, chains, s, mean, 2 * k + 1) / gamma0;
    if (!(even + odd > 0.0)) break;
    sum += even + odd;
    squares += (k == 0 ? 0.0 : even * even) + odd * odd;
  }
  const auto n = static_cast<double>(x.size());
  a.tau = std::clamp(2.0 * sum - 1.0, 1.0, n);
  a.spread_tau = std::clamp(1.0 + 2.0 * squares, 1.0, n);
  return a;
}

}  // namespace

SampleMoments sample_moments(const std::vector<Vector>& x, int chains) {
  SampleMoments m;
  m.networks = static_cast<int>(x.size());
  m.chains = std::max(chains, 1);
  const std::size_t p = x.empty() ? 0 : x.front().size();
  const auto n = static_cast<double>(x.size());
  m.mean.assign(p, 0.0);
  for (const Vector& row : x)
    for (std::size_t s = 0; s < p; ++s) m.mean[s] += row[s];
  for (double& v : m.mean) v /= n;
  m.covariance = Matrix(int(p), int(p));
  for (const Vector& row : x) {
    for (std::size_t a = 0; a < p; ++a) {
      const double da = row[a] - m.mean[a];
      if (da == 0.0) continue;
      for (std::size_t b = 0; b < p; ++b) m.covariance(int(a), int(b)) += da * (row[b] - m.mean[b]);
    }
  }
  std::vector<int> varying;
  for (std::size_t s = 0; s < p; ++s) {
    for (std::size_t b = 0; b < p; ++b) m.covariance(int(s), int(b)) /= n - 1.0;
  }
  for (std::size_t s = 0; s < p; ++s) {
    m.sd.push_back(std::sqrt(std::max(m.covariance(int(s), int(s)), 0.0)));
    if (!varies(m.sd.back(), m.mean[s])) {
      m.sd.back() = 0.0;
      for (std::size_t b = 0; b < p; ++b)
        m.covariance(int(s), int(b)) = m.covariance(int(b), int(s)) = 0.0;
    }
    if (m.sd.back() > 0.0) varying.push_back(int(s));
    const Autocorrelation a = autocorrelation_of(x, m.chains, s, m.mean[s]);
    m.autocorrelation_time.push_back(a.tau);
    m.effective_size.push_back(n / a.tau);
    m.spread_effective_size.push_back(n / a.spread_tau);
    m.lag1.push_back(a.lag1);
  }
  m.long_run_covariance = Matrix(int(p), int(p));
  if (!varying.empty()) {
    const LongRunCovariance lr = long_run_covariance(x, m.chains, m.mean, varying);
    for (std::size_t a = 0; a < varying.size(); ++a)
      for (std::size_t b = 0; b < varying.size(); ++b)
        m.long_run_covariance(varying[a], varying[b]) = lr.covariance(int(a), int(b));
    m.autoregression_order = lr.order;
    m.multivariate_effective_size = lr.effective_size;
  }
  return m;
}

Matrix mean_covariance(const SampleMoments& m) {
  return scaled(m.long_run_covariance, 1.0 / std::max(m.networks, 1));
}

double smallest_effective_size(const SampleMoments& m) {
  double least = static_cast<double>(m.networks);
  for (std::size_t s = 0; s < m.sd.size(); ++s) {
    if (m.sd[s] > 0.0) least = std::min(least, m.effective_size[s]);
  }
  return least;
}

namespace {

// The t ratios of mean - observed; the statistics that vary in the sample go to `varying`. False
// when a statistic that does not vary misses its observed value.
bool t_ratios(const SampleMoments& m, const Vector& observed, ConvergenceTest& test,
              std::vector<int>& varying) {
  bool fixed_miss = false;
  for (std::size_t s = 0; s < m.mean.size(); ++s) {
    const double d = m.mean[s] - observed[s];
    double t = 0.0;
    if (m.sd[s] > 0.0) {
      t = d / m.sd[s];
      varying.push_back(int(s));
    } else if (!same_value(m.mean[s], observed[s])) {
      t = d > 0 ? std::numeric_limits<double>::infinity()
                : -std::numeric_limits<double>::infinity();
      fixed_miss = true;
    }
    test.t_ratio.push_back(t);
    test.max_abs_t = std::max(test.max_abs_t, std::fabs(t));
  }
  return !fixed_miss;
}

// The differences of the varying statistics, their sample covariance, and the covariance of
// mean - observed: the sample mean's, and the estimate's own when it is a full step from an
// earlier sample (its mean's Monte Carlo error moved the estimate).
struct VaryingMoments {
  Vector difference;
  Matrix covariance, of_difference;
};

VaryingMoments varying_moments(const SampleMoments& m, const Vector& observed,
                               const std::vector<int>& varying, const StepNoise* step) {
  const int q = static_cast<int>(varying.size());
  VaryingMoments v{Vector(std::size_t(q), 0.0), Matrix(q, q), Matrix(q, q)};
  for (int a = 0; a < q; ++a) {
    const int s = varying[std::size_t(a)];
    v.difference[std::size_t(a)] = m.mean[std::size_t(s)] - observed[std::size_t(s)];
    for (int b = 0; b < q; ++b) {
      const int t = varying[std::size_t(b)];
      v.covariance(a, b) = m.covariance(s, t);
      v.of_difference(a, b) =
          m.long_run_covariance(s, t) / m.networks + (step ? step->covariance(s, t) : 0.0);
    }
  }
  return v;
}

}  // namespace

ConvergenceTest convergence_test(const SampleMoments& m, const Vector& observed,
                                 const StepNoise* step) {
  ConvergenceTest test;
  const std::size_t p = m.mean.size();
  std::vector<int> varying;
  test.effective_size = smallest_effective_size(m);
  const double infinity = std::numeric_limits<double>::infinity();
  if (!t_ratios(m, observed, test, varying)) {
    test.hotelling = test.distance = infinity;
    test.p_value = 0.0;
    return test;
  }
  const int q = static_cast<int>(varying.size());
  if (q == 0) return test;
  const bool with_step = step != nullptr && step->covariance.rows() == static_cast<int>(p);
  const VaryingMoments v = varying_moments(m, observed, varying, with_step ? step : nullptr);
  const std::optional<Matrix> spread_inverse = symmetric_inverse(v.covariance);
  const std::optional<Matrix> difference_inverse = symmetric_inverse(v.of_difference);
  if (!spread_inverse || !difference_inverse) {
    test.hotelling = test.distance = infinity;
    test.p_value = 0.0;
    return test;
  }
  test.distance = quadratic_form(v.difference, *spread_inverse, v.difference);
  test.hotelling = quadratic_form(v.difference, *difference_inverse, v.difference);
  const double nu =
      with_step ? std::min(test.effective_size, step->effective_size) : test.effective_size;
  if (!(nu - q > 0.0)) {
    test.p_value = std::numeric_limits<double>::quiet_NaN();
    return test;
  }
  const double f = test.hotelling * (nu - q) / (q * (nu - 1.0));
  test.p_value = f_upper_tail(f, q, nu - q);
  return test;
}

}  // namespace tarn
