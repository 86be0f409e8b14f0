#include "estimate/mcmle_offsets.h"

#include <cmath>
#include <limits>

#include "mcmle/mcmle_start.h"
#include "model/offset_folding.h"
#include "model/sample_space.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

Vector spread(const Model& full, const Vector& free, std::optional<double> fill = nan) {
  if (free.empty()) return free;
  return spread_free(full, free, fill);
}

// A matrix of the free coefficients as one of every coefficient, 0 in the offsets' rows and
// columns.
Matrix spread(const Matrix& free, const std::vector<int>& place, int all) {
  if (free.empty()) return free;
  Matrix out(all, all, 0.0);
  for (std::size_t a = 0; a < place.size(); ++a) {
    for (std::size_t b = 0; b < place.size(); ++b) {
      out(place[a], place[b]) = free(int(a), int(b));
    }
  }
  return out;
}

ParamMatrix param_matrix_of(const Matrix& m) {
  ParamMatrix result(m.rows());
  for (int r = 0; r < m.rows(); ++r)
    for (int c = 0; c < m.rows(); ++c) result(r + 1, c + 1) = m(r, c);
  return result;
}

// The free entries of a vector of every coefficient.
std::vector<double> free_part(const Model& full, const std::vector<double>& all) {
  std::vector<double> free;
  for (int k : full.free_coefficients()) free.push_back(all[std::size_t(k)]);
  return free;
}

}  // namespace

McmleResult spread_over_coefficients(const McmleResult& r, const Model& full) {
  const std::vector<int> place = full.free_coefficients();
  const int all = full.coefficient_count();
  McmleResult out = r;
  out.estimate = spread(full, r.estimate, std::nullopt);
  out.covariance = spread(r.covariance, place, all);
  out.fisher_inverse = spread(r.fisher_inverse, place, all);
  out.mcmc_error_percent = spread(full, r.mcmc_error_percent);
  out.observed = spread(full, r.observed);
  for (McmleIteration& i : out.history) i.theta = spread(full, i.theta, std::nullopt);
  out.best.theta = spread(full, r.best.theta, std::nullopt);
  out.start.first = spread(full, r.start.first, std::nullopt);
  for (Vector& g : out.final_sample) g = spread(full, g);
  out.final_test.t_ratio = spread(full, r.final_test.t_ratio);
  SampleMoments& m = out.final_moments;
  m.mean = spread(full, m.mean);
  m.sd = spread(full, m.sd);
  m.effective_size = spread(full, m.effective_size);
  m.lag1 = spread(full, m.lag1);
  m.autocorrelation_time = spread(full, m.autocorrelation_time);
  m.spread_effective_size = spread(full, m.spread_effective_size);
  m.covariance = spread(m.covariance, place, all);
  m.long_run_covariance = spread(m.long_run_covariance, place, all);
  if (out.check) {
    out.check->t_ratio = spread(full, out.check->t_ratio);
    out.check->allowance = spread(full, out.check->allowance);
  }
  return out;
}

Estimate fit_offsets_by_mcmle(const Study& study, const EstimatorSettings& settings,
                              const EstimatorProgress& progress) {
  const Model& model = study.model;
  refuse_curved(model, "leave out the offsets");
  Estimate e;
  e.method = "mcmle";
  // The start over the observed dyads, as the fit without offsets starts.
  e.start = fit_and_check(study.missing_dyad_count() > 0 ? observed_dyads_study(study) : study,
                          settings.sampling.cancel);
  if (model.dyad_independent() && !(study.space && study.space->dependent_dyads())) {
    // The pseudo-likelihood with the offsets is the likelihood: its fit is exact.
    McmleFit fit = fit_by_mcmle(settings.mcmle, settings.sampling, study, e.start,
                                progress.iteration, settings.spread);
    e.result = fit.shown;
    e.errors = fit.errors;
    e.warnings = std::move(fit.warnings);
    e.converged = fit.converged();
    e.log_likelihood = fit.result->log_likelihood;
    e.mcmle = fit.result;
    e.outcome = e.converged ? "converged" : "not_converged";
    e.mcmc_error_percent = fit.result->mcmc_error_percent;
    return e;
  }
  const Study folded = study.with_model(folded_offsets(model));
  McmleSettings own = settings.mcmle;
  if (!own.init.empty()) {
    own.start = free_part(model, coefficients_of(own.init, model, "--init"));
    own.init.clear();
  } else if (!own.start.empty()) {
    own.start = free_part(model, own.start);
  }
  // The start's fit over the free coefficients, as the folded model has them.
  CheckedFit start = e.start;
  const std::vector<int> place = model.free_coefficients();
  start.result.parameter_count = static_cast<int>(place.size());
  start.result.estimate = ParamVector(static_cast<int>(place.size()));
  for (std::size_t k = 0; k < place.size(); ++k) {
    start.result.estimate(int(k) + 1) = e.start.result.estimate(place[k] + 1);
  }
  McmleFit fit =
      fit_by_mcmle(own, settings.sampling, folded, start, progress.iteration, settings.spread);
  const auto spread_result =
      std::make_shared<const McmleResult>(spread_over_coefficients(*fit.result, model));
  const McmleResult& r = *spread_result;
  const int p = model.coefficient_count();
  e.result = e.start.result;
  e.result.end = FitEnd::completed;
  e.result.parameter_count = p;
  e.result.estimate = ParamVector(p);
  for (int k = 1; k <= p; ++k) e.result.estimate(k) = r.estimate[std::size_t(k - 1)];
  e.errors = fit.errors;
  if (r.end == McmleEnd::converged) {
    e.errors.covariance = param_matrix_of(r.covariance);
  } else {
    e.errors.covariance = ParamMatrix(p);
    e.errors.covariance.fill(nan);
  }
  e.result.covariance = e.errors.covariance;
  e.warnings = std::move(fit.warnings);
  for (Warning& w : e.warnings) {
    if (w.code != "log_likelihood_not_bridged" || !w.text("reason").empty()) continue;
    const std::optional<DyadIndependentReference> reference = dyad_independent_reference(folded);
    if (reference && !reference->log_likelihood) w.add_text("reason", "offsets");
  }
  e.converged = fit.converged();
  e.log_likelihood = r.log_likelihood;
  e.mcmle = spread_result;
  e.outcome = r.end == McmleEnd::converged       ? "converged"
              : r.end == McmleEnd::not_converged ? "not_converged"
                                                 : "degenerate";
  e.mcmc_error_percent = r.mcmc_error_percent;
  return e;
}

}  // namespace tarn
