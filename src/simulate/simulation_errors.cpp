#include "simulate/simulation_errors.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "mple/fit_warnings.h"
#include "numeric/gaussj.h"
#include "simulate/quantile.h"
#include "simulate/sample_spread.h"

namespace tarn {

namespace {

using Vector = std::vector<double>;

// a b (leading m by m blocks).
ParamMatrix product(const ParamMatrix& a, const ParamMatrix& b, int m) {
  ParamMatrix c(m);
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

// Godambe: H^-1 V H^-1, V the covariance of the pseudo-score over the simulated networks.
void godambe_errors(const std::vector<Vector>& scores, const FitResult& fit, int replicates,
                    const SamplerSettings& settings, SimulationErrors& result) {
  const int m = fit.parameter_count;
  if (replicates < 2) {
    result.too_few_replicates = true;
    return;
  }
  const std::vector<char> every(scores.size(), 1);
  const ParamMatrix v = covariance_of(scores, every, m);
  ParameterErrors& errors = result.errors;
  errors.method = "godambe";
  errors.covariance = product(product(fit.covariance, v, m), fit.covariance, m);
  errors.description = "Standard errors: Godambe, " + settings_text(replicates, settings) + ".";
}

// The bootstrap: the covariance of the converged refits, and their percentile intervals.
void bootstrap_errors(const std::vector<Vector>& refits, const std::vector<char>& converged,
                      int replicates, const SamplerSettings& settings, int m,
                      SimulationErrors& result) {
  result.failed_refits = static_cast<int>(std::count(converged.begin(), converged.end(), 0));
  if (replicates - result.failed_refits < 2) {
    result.too_few_replicates = true;
    return;
  }
  ParameterErrors& errors = result.errors;
  errors.method = "bootstrap";
  errors.covariance = covariance_of(refits, converged, m);
  for (int p = 0; p < m; ++p) {
    std::vector<double> values;
    for (std::size_t r = 0; r < refits.size(); ++r)
      if (converged[r]) values.push_back(refits[r][std::size_t(p)]);
    std::sort(values.begin(), values.end());
    errors.lower.push_back(quantile_type7(values, 0.025));
    errors.upper.push_back(quantile_type7(values, 0.975));
  }
  errors.description =
      "Standard errors: parametric bootstrap, " + settings_text(replicates, settings) + "; " +
      std::to_string(result.failed_refits) + " refits did not converge and are left out.";
}

// The replicates' scores, refits and whether each refit converged, read back from their measures
// (zero rows for replicates not drawn: the sample is then degenerate and not used).
struct ReplicateFigures {
  std::vector<Vector> scores, refits;
  std::vector<char> converged;  // not vector<bool>: one per replicate
};

ReplicateFigures replicate_figures(const std::vector<TaskResult>& measures, bool scores_wanted,
                                   bool refits_wanted, int m, int replicates) {
  const auto count = static_cast<std::size_t>(std::max(replicates, 0));
  const auto size = static_cast<std::size_t>(m);
  ReplicateFigures f{std::vector<Vector>(scores_wanted ? count : 0, Vector(size, 0.0)),
                     std::vector<Vector>(refits_wanted ? count : 0, Vector(size, 0.0)),
                     std::vector<char>(count, 1)};
  for (std::size_t k = 0; k < measures.size(); ++k) {
    if (measures[k].empty()) continue;
    ResultReader read(measures[k]);
    if (scores_wanted) f.scores[k] = read.next(size);
    if (refits_wanted) {
      f.refits[k] = read.next(size);
      f.converged[k] = read.next() != 0.0 ? 1 : 0;
    }
  }
  return f;
}

}  // namespace

std::vector<SimulationErrors> simulation_errors(const std::vector<ErrorMethod>& methods,
                                                const Study& study, const FitResult& fit,
                                                int replicates, const SamplerSettings& settings,
                                                std::atomic<std::int64_t>* done) {
  const auto wanted = [&methods](ErrorMethod method) {
    return std::find(methods.begin(), methods.end(), method) != methods.end();
  };
  const bool scores_wanted = wanted(ErrorMethod::godambe);
  const bool refits_wanted = wanted(ErrorMethod::bootstrap);
  const int m = study.model.parameter_count();
  Vector coefficients;
  for (int k = 1; k <= m; ++k) coefficients.push_back(fit.estimate(k));

  // Each replicate's score and refit, taken where its chain runs: [score], [refit, converged].
  auto measure = [&](const TermGraph& graph, const Vector&) {
    const Study simulated = study.with_network(graph.to_network());
    TaskResult figures;
    if (scores_wanted) {
      const ParamVector score = pseudo_score(simulated, fit.estimate);
      for (int p = 1; p <= m; ++p) figures.push_back(score(p));
    }
    if (refits_wanted) {
      const auto refit =
          std::make_unique<FitResult>(fit_pseudo_likelihood_from(simulated, fit.estimate));
      for (int p = 1; p <= m; ++p) figures.push_back(refit->estimate(p));
      figures.push_back(fit_converged(*refit) ? 1.0 : 0.0);
    }
    return figures;
  };
  // Naive errors alone need no measure, only the sample's figures.
  MeasuredSample measured =
      scores_wanted || refits_wanted
          ? sample_measured(study, coefficients, replicates, settings, measure, done)
          : MeasuredSample{sample_networks(study, coefficients, replicates, settings, {}, done),
                           {}};
  const SampleSummary& sample = measured.sample;
  const ReplicateFigures figures =
      replicate_figures(measured.measures, scores_wanted, refits_wanted, m, replicates);
  const std::vector<Vector>& scores = figures.scores;
  const std::vector<Vector>& refits = figures.refits;
  const std::vector<char>& converged = figures.converged;

  std::vector<SimulationErrors> results;
  for (const ErrorMethod method : methods) {
    SimulationErrors& result = results.emplace_back();
    result.errors = naive_errors(fit);
    result.sample = sample;
    if (result.degenerate()) continue;
    switch (method) {
      case ErrorMethod::naive:
        break;
      case ErrorMethod::godambe:
        godambe_errors(scores, fit, replicates, settings, result);
        break;
      case ErrorMethod::bootstrap:
        bootstrap_errors(refits, converged, replicates, settings, m, result);
        break;
    }
  }
  return results;
}

SimulationErrors simulation_errors(ErrorMethod method, const Study& study, const FitResult& fit,
                                   int replicates, const SamplerSettings& settings,
                                   std::atomic<std::int64_t>* done) {
  return std::move(
      simulation_errors(std::vector<ErrorMethod>{method}, study, fit, replicates, settings, done)
          .front());
}

}  // namespace tarn
