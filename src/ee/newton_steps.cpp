#include "ee/newton_steps.h"

#include <algorithm>
#include <optional>

#include "mcmle/sample_moments.h"

namespace tarn {

namespace {

// The inverse of the covariance, a statistic that does not vary (beside the observed value's
// scale) given the variance 1 and no covariance. Where the rest is singular to working precision
// (statistics that move together), the inverse of its diagonal.
Matrix step_matrix(const Matrix& covariance, const Vector& observed, const HeldStatistics& held,
                   Vector& variances) {
  const int p = covariance.rows();
  Matrix usable = covariance;
  variances.assign(std::size_t(p), 1.0);
  const auto is_held = [&held](int k) { return !held.empty() && held[std::size_t(k)]; };
  for (int k = 0; k < p; ++k) {
    const double o = observed[std::size_t(k)];
    if (!is_held(k) && covariance(k, k) > 1e-9 * std::max(1.0, o * o)) {
      variances[std::size_t(k)] = covariance(k, k);
      continue;
    }
    for (int j = 0; j < p; ++j) usable(k, j) = usable(j, k) = 0.0;
    usable(k, k) = 1.0;
  }
  std::optional<Matrix> inverse = symmetric_inverse(usable);
  if (!inverse) {
    inverse = Matrix(p, p);
    for (int k = 0; k < p; ++k) (*inverse)(k, k) = 1.0 / variances[std::size_t(k)];
  }
  // A held coefficient does not move: its statistic is cut off from the others above, so the
  // rest is the inverse of the free statistics' covariance, the Newton step at the held values.
  for (int k = 0; k < p; ++k) {
    if (is_held(k)) (*inverse)(k, k) = 0.0;
  }
  return std::move(*inverse);
}

// The draws less each statistic's least-squares line through them (plus its mean): a chain still
// relaxing towards its coefficients, or following coefficients that drift, trends, and a trend
// would read as spread and memory the chain at fixed coefficients does not have.
std::vector<Vector> detrended(const std::vector<Vector>& draws) {
  const double n = static_cast<double>(draws.size());
  const double middle = (n - 1.0) / 2.0;
  double times = 0.0;
  for (std::size_t t = 0; t < draws.size(); ++t)
    times += (double(t) - middle) * (double(t) - middle);
  std::vector<Vector> out = draws;
  for (std::size_t k = 0; k < draws.front().size(); ++k) {
    double slope = 0.0;
    for (std::size_t t = 0; t < draws.size(); ++t) slope += (double(t) - middle) * draws[t][k];
    slope /= times;
    for (std::size_t t = 0; t < draws.size(); ++t) out[t][k] -= slope * (double(t) - middle);
  }
  return out;
}

}  // namespace

StatisticSpread measured_spread(const std::vector<Vector>& draws, const Vector& observed,
                                const HeldStatistics& held) {
  if (draws.size() < 2) {  // a chain that filled at once: steps of the gap itself
    return exact_spread(Matrix(int(observed.size()), int(observed.size())), observed, held);
  }
  const SampleMoments moments = sample_moments(detrended(draws), 1);
  StatisticSpread spread;
  spread.steps = step_matrix(moments.covariance, observed, held, spread.variances);
  spread.mean = moments.mean;  // the detrending keeps each statistic's mean
  spread.effective_draws = std::max(smallest_effective_size(moments), 1.0);
  spread.autocorrelation_updates =
      std::max(1.0, static_cast<double>(draws.size()) / spread.effective_draws);
  return spread;
}

StatisticSpread exact_spread(const Matrix& covariance, const Vector& observed,
                             const HeldStatistics& held) {
  StatisticSpread spread;
  spread.steps = step_matrix(covariance, observed, held, spread.variances);
  return spread;
}

void newton_step(const Matrix& steps, double gain, const Vector& observed, const Vector& drawn,
                 Vector& theta) {
  Vector gap(observed.size());
  for (std::size_t k = 0; k < gap.size(); ++k) gap[k] = observed[k] - drawn[k];
  const Vector move = product(steps, gap);
  for (std::size_t k = 0; k < theta.size(); ++k) theta[k] += gain * move[k];
}

}  // namespace tarn
