#include "simulate/simulation_errors.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "fit/fit_warnings.h"
#include "fit/gaussj.h"

namespace tarn {

namespace {

using Vector = std::vector<double>;

// The covariance matrix of the rows that are kept, each row a replicate (replicate order).
ParamMatrix covariance_of(const std::vector<Vector>& rows, const std::vector<char>& kept, int m) {
  ParamMatrix c;
  Vector mean(static_cast<std::size_t>(m), 0.0);
  double count = 0.0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!kept[r]) continue;
    for (int k = 0; k < m; ++k) mean[std::size_t(k)] += rows[r][std::size_t(k)];
    count += 1.0;
  }
  for (double& v : mean) v /= count;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!kept[r]) continue;
    for (int k = 0; k < m; ++k) {
      for (int l = 0; l < m; ++l) {
        c(k + 1, l + 1) += (rows[r][std::size_t(k)] - mean[std::size_t(k)]) *
                           (rows[r][std::size_t(l)] - mean[std::size_t(l)]);
      }
    }
  }
  for (int k = 1; k <= m; ++k)
    for (int l = 1; l <= m; ++l) c(k, l) /= count - 1.0;
  return c;
}

// a b (leading m by m blocks).
ParamMatrix product(const ParamMatrix& a, const ParamMatrix& b, int m) {
  ParamMatrix c;
  for (int r = 1; r <= m; ++r) {
    for (int col = 1; col <= m; ++col) {
      double sum = 0.0;
      for (int k = 1; k <= m; ++k) sum += a(r, k) * b(k, col);
      c(r, col) = sum;
    }
  }
  return c;
}

std::string settings_text(int replicates, const SamplerSettings& s) {
  return std::to_string(replicates) + " networks simulated (seed " + std::to_string(s.seed) + ", " +
         std::to_string(s.chains) + " chains, burn-in " + std::to_string(s.burnin) + ", interval " +
         std::to_string(s.interval) + " toggles)";
}

}  // namespace

double quantile(const std::vector<double>& sorted, double share) {
  if (sorted.empty()) return std::nan("");
  const double h = (static_cast<double>(sorted.size()) - 1.0) * share;
  const auto low = static_cast<std::size_t>(std::floor(h));
  const std::size_t high = std::min(low + 1, sorted.size() - 1);
  return sorted[low] + (h - static_cast<double>(low)) * (sorted[high] - sorted[low]);
}

SimulationErrors simulation_errors(ErrorMethod method, const FitData& data, const FitResult& fit,
                                   int replicates, const SamplerSettings& settings,
                                   std::atomic<std::int64_t>* done) {
  SimulationErrors result;
  result.errors = naive_errors(fit);
  result.replicates = replicates;
  const Model& model = *data.source.model;
  const int m = model.parameter_count();
  SimulationTarget target;
  target.model = &model;
  target.blocks = data.source.blocks;
  target.comparative = data.source.comparative;
  target.include_diagonal = data.include_diagonal;
  for (int k = 1; k <= m; ++k) target.coefficients.push_back(fit.estimate(k));

  std::vector<Vector> rows(static_cast<std::size_t>(replicates), Vector(std::size_t(m), 0.0));
  std::vector<char> kept(static_cast<std::size_t>(replicates),
                         1);  // not vector<bool>: written by threads
  auto visit = [&](int k, const SampleGraph& graph, const Vector&) {
    const Network network = graph.to_network();
    FitData simulated = data;
    simulated.source.network = &network;
    Vector& row = rows[static_cast<std::size_t>(k)];
    if (method == ErrorMethod::godambe) {
      const ParamVector score = pseudo_score(simulated, fit.estimate);
      for (int p = 0; p < m; ++p) row[std::size_t(p)] = score(p + 1);
    } else {
      const auto refit =
          std::make_unique<FitResult>(fit_pseudo_likelihood_from(simulated, fit.estimate));
      kept[static_cast<std::size_t>(k)] = fit_converged(*refit) ? 1 : 0;
      for (int p = 0; p < m; ++p) row[std::size_t(p)] = refit->estimate(p + 1);
    }
  };
  result.sample = sample_networks(target, *data.source.network, replicates, settings, visit, done);
  if (result.sample.degeneracy.found || method == ErrorMethod::naive) return result;

  ParameterErrors& errors = result.errors;
  if (method == ErrorMethod::godambe) {
    const ParamMatrix v = covariance_of(rows, kept, m);
    errors.method = "godambe";
    errors.covariance = product(product(fit.covariance, v, m), fit.covariance, m);
    errors.description = "Standard errors: Godambe, " + settings_text(replicates, settings) + ".";
    return result;
  }
  result.failed_refits = static_cast<int>(std::count(kept.begin(), kept.end(), 0));
  errors.method = "bootstrap";
  errors.covariance = covariance_of(rows, kept, m);
  for (int p = 0; p < m; ++p) {
    std::vector<double> values;
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (kept[r]) values.push_back(rows[r][std::size_t(p)]);
    std::sort(values.begin(), values.end());
    errors.lower.push_back(quantile(values, 0.025));
    errors.upper.push_back(quantile(values, 0.975));
  }
  errors.description =
      "Standard errors: parametric bootstrap, " + settings_text(replicates, settings) + "; " +
      std::to_string(result.failed_refits) + " refits did not converge and are left out.";
  return result;
}

}  // namespace tarn
