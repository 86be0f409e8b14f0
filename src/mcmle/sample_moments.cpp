#include "mcmle/sample_moments.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "fit/gaussj.h"
#include "mcmle/f_distribution.h"
#include "simulate/sample_spread.h"

namespace tarn {

namespace {

// Autocovariance of statistic s at `lag`, within the chains, about the pooled mean.
double autocovariance(const std::vector<std::vector<double>>& x, int chains, std::size_t s,
                      double mean, int lag) {
  const std::size_t n = x.size();
  const std::size_t step = static_cast<std::size_t>(chains);
  double sum = 0.0;
  for (std::size_t k = 0; k + step * static_cast<std::size_t>(lag) < n; ++k) {
    sum += (x[k][s] - mean) * (x[k + step * static_cast<std::size_t>(lag)][s] - mean);
  }
  return sum / static_cast<double>(n);
}

}  // namespace

SampleMoments sample_moments(const std::vector<std::vector<double>>& x, int chains) {
  SampleMoments m;
  m.networks = static_cast<int>(x.size());
  m.chains = std::max(chains, 1);
  const std::size_t p = x.empty() ? 0 : x.front().size();
  const auto n = static_cast<double>(x.size());
  m.covariance = covariance_of(x, {}, static_cast<int>(p));
  for (std::size_t s = 0; s < p; ++s) {
    m.mean.push_back(column_spread(x, s).mean);
    m.sd.push_back(std::sqrt(m.covariance(static_cast<int>(s) + 1, static_cast<int>(s) + 1)));
  }
  const int length = m.networks / m.chains;  // networks per chain (the first ones, if unequal)
  for (std::size_t s = 0; s < p; ++s) {
    const double gamma0 = autocovariance(x, m.chains, s, m.mean[s], 0);
    double tau = 1.0, lag1 = std::numeric_limits<double>::quiet_NaN();
    if (gamma0 > 0.0) {
      lag1 = autocovariance(x, m.chains, s, m.mean[s], 1) / gamma0;
      // Geyer: the sums of consecutive pairs of autocorrelations while they are positive.
      double sum = 0.0;
      for (int k = 0; 2 * k + 1 < length; ++k) {
        const double pair =
            (k == 0 ? 1.0 : autocovariance(x, m.chains, s, m.mean[s], 2 * k) / gamma0) +
            autocovariance(x, m.chains, s, m.mean[s], 2 * k + 1) / gamma0;
        if (!(pair > 0.0)) break;
        sum += pair;
      }
      tau = std::clamp(2.0 * sum - 1.0, 1.0, n);
    }
    m.autocorrelation_time.push_back(tau);
    m.effective_size.push_back(n / tau);
    m.lag1.push_back(lag1);
  }
  return m;
}

ConvergenceTest convergence_test(const SampleMoments& m, const std::vector<double>& observed) {
  ConvergenceTest test;
  const std::size_t p = m.mean.size();
  std::vector<std::size_t> varying;
  bool fixed_miss = false;
  test.effective_size = static_cast<double>(m.networks);
  for (std::size_t s = 0; s < p; ++s) {
    const double d = m.mean[s] - observed[s];
    double t = 0.0;
    if (m.sd[s] > 0.0) {
      t = d / m.sd[s];
      varying.push_back(s);
      test.effective_size = std::min(test.effective_size, m.effective_size[s]);
    } else if (d != 0.0) {
      t = d > 0 ? std::numeric_limits<double>::infinity()
                : -std::numeric_limits<double>::infinity();
      fixed_miss = true;
    }
    test.t_ratio.push_back(t);
    test.max_abs_t = std::max(test.max_abs_t, std::fabs(t));
  }
  if (fixed_miss) {
    test.hotelling = std::numeric_limits<double>::infinity();
    test.p_value = 0.0;
    return test;
  }
  const int q = static_cast<int>(varying.size());
  if (q == 0) return test;
  // The covariance of the mean: cov(s, t) sqrt(tau_s tau_t) / n.
  ParamMatrix v;
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b < q; ++b) {
      const std::size_t s = varying[std::size_t(a)], t = varying[std::size_t(b)];
      v(a + 1, b + 1) = m.covariance(int(s) + 1, int(t) + 1) *
                        std::sqrt(m.autocorrelation_time[s] * m.autocorrelation_time[t]) /
                        static_cast<double>(m.networks);
    }
  }
  if (!gaussj(v, q)) {
    test.hotelling = std::numeric_limits<double>::infinity();
    test.p_value = 0.0;
    return test;
  }
  double t2 = 0.0;
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b < q; ++b) {
      const std::size_t s = varying[std::size_t(a)], t = varying[std::size_t(b)];
      t2 += (m.mean[s] - observed[s]) * v(a + 1, b + 1) * (m.mean[t] - observed[t]);
    }
  }
  test.hotelling = t2;
  const double nu = test.effective_size - 1.0;
  if (nu - q + 1.0 <= 0.0) {
    test.p_value = std::numeric_limits<double>::quiet_NaN();
    return test;
  }
  const double f = t2 * (nu - q + 1.0) / (q * nu);
  test.p_value = f_upper_tail(f, q, nu - q + 1.0);
  return test;
}

}  // namespace tarn
