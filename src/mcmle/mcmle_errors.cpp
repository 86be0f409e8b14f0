#include "mcmle/mcmle_errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numeric/normal_distribution.h"

namespace tarn {

double error_precision(double effective, int coefficients) {
  const double p = coefficients;
  if (!(effective > p + 1.0)) return std::numeric_limits<double>::infinity();
  const double bias = (p + 1.0) / (2.0 * effective);
  const double spread = 1.0 / std::sqrt(2.0 * (effective - p - 1.0));
  return std::sqrt(bias * bias + spread * spread);
}

double effective_size_for_errors(int coefficients, double precision) {
  double low = coefficients + 1.0, high = low + 1.0;
  while (error_precision(high, coefficients) > precision) high *= 2.0;
  for (int k = 0; k < 60; ++k) {
    const double middle = 0.5 * (low + high);
    (error_precision(middle, coefficients) > precision ? low : high) = middle;
  }
  return std::ceil(high);
}

FinalSampleSize final_sample_size(const SampleMoments& last, std::int64_t interval,
                                  int coefficients, const McmleControl& control) {
  const double needed = effective_size_for_errors(coefficients, control.error_precision);
  double slowest = 1.0;  // networks per effective network
  for (std::size_t s = 0; s < last.spread_effective_size.size(); ++s) {
    if (last.sd[s] > 0.0) {
      slowest = std::max(slowest, last.networks / last.spread_effective_size[s]);
    }
  }
  const int chains = std::max(control.chains, 1);
  // At least a quarter of the sample size, so that the autocorrelations are measured within
  // chains of some length.
  double networks = std::max(1.1 * needed * slowest, control.sample_size / 4.0);
  FinalSampleSize size{0, interval};
  const double most = 16.0 * control.sample_size;
  if (networks > most) {
    const double factor = std::ceil(networks / most);
    size.interval = static_cast<std::int64_t>(factor) * interval;
    networks = std::max(networks / factor, control.sample_size / 4.0);
  }
  size.networks = static_cast<int>(std::ceil(networks / chains)) * chains;
  return size;
}

double spread_effective_networks(const SampleMoments& m) {
  double least = static_cast<double>(m.networks);
  for (std::size_t s = 0; s < m.spread_effective_size.size(); ++s) {
    if (m.sd[s] > 0.0) least = std::min(least, m.spread_effective_size[s]);
  }
  return least;
}

int networks_still_needed(const SampleMoments& m, int coefficients, const McmleControl& control) {
  const double needed = effective_size_for_errors(coefficients, control.error_precision);
  const double least = spread_effective_networks(m);
  if (least >= needed) return 0;
  const int chains = std::max(control.chains, 1);
  const double more = std::min(m.networks * (1.1 * needed / std::max(least, 1.0) - 1.0),
                               static_cast<double>(m.networks));
  return std::max(1, static_cast<int>(std::ceil(more / chains))) * chains;
}

SimulationCheck simulation_check(const SampleMoments& m, const ConvergenceTest& test,
                                 const SampleMoments& step_moments, const McmleControl& control) {
  SimulationCheck check;
  const std::size_t p = m.mean.size();
  check.t_ratio = test.t_ratio;
  check.z = normal_upper_quantile(control.check_level / (2.0 * std::max<std::size_t>(p, 1)));
  check.passed = true;
  for (std::size_t s = 0; s < p; ++s) {
    const double step_variance = s < step_moments.effective_size.size() && step_moments.sd[s] > 0.0
                                     ? 1.0 / std::max(step_moments.effective_size[s], 1.0)
                                     : 0.0;
    const double spread =
        m.sd[s] > 0.0 ? std::sqrt(1.0 / std::max(m.effective_size[s], 1.0) + step_variance) : 0.0;
    check.allowance.push_back(control.check_tolerance + check.z * spread);
    if (!(std::fabs(test.t_ratio[s]) <= check.allowance.back())) check.passed = false;
  }
  return check;
}

McmleErrors mcmle_errors(const SampleMoments& m) {
  const int p = static_cast<int>(m.mean.size());
  std::vector<int> varying;
  for (int s = 0; s < p; ++s) {
    if (m.sd[std::size_t(s)] > 0.0) varying.push_back(s);
  }
  const int q = static_cast<int>(varying.size());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  McmleErrors errors;
  errors.fisher_inverse = Matrix(p, p, nan);
  errors.covariance = Matrix(p, p, nan);
  errors.mcmc_error_percent.assign(std::size_t(p), nan);
  Matrix spread(q, q), long_run(q, q);
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b < q; ++b) {
      spread(a, b) = m.covariance(varying[std::size_t(a)], varying[std::size_t(b)]);
      long_run(a, b) = m.long_run_covariance(varying[std::size_t(a)], varying[std::size_t(b)]);
    }
  }
  const std::optional<Matrix> inverse = symmetric_inverse(spread);
  if (!inverse) return errors;
  const Matrix monte_carlo = sandwich(*inverse, scaled(long_run, 1.0 / m.networks));
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b < q; ++b) {
      const int r = varying[std::size_t(a)], c = varying[std::size_t(b)];
      errors.fisher_inverse(r, c) = (*inverse)(a, b);
      errors.covariance(r, c) = (*inverse)(a, b) + monte_carlo(a, b);
    }
    const int r = varying[std::size_t(a)];
    const double total = errors.covariance(r, r);
    errors.mcmc_error_percent[std::size_t(r)] =
        total > 0.0 ? 100.0 * monte_carlo(a, a) / total : 0.0;
  }
  return errors;
}

}  // namespace tarn
