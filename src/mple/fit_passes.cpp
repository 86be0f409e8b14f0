#include "mple/fit_passes.h"

#include <cmath>
#include <limits>

#include "mple/newton.h"
#include "numeric/gaussj.h"
#include "numeric/param_algebra.h"

namespace tarn {

namespace {

// The model with one tie probability T / N for every dyad. Without ties, or with every dyad
// tied, the logarithms have no finite value and the result is not a number.
double null_loglik(double ties, std::int64_t dyad_count) {
  const double dyads = static_cast<double>(dyad_count);
  const double t0 = -std::log(dyads / ties - 1.0);
  return t0 * ties - dyads * std::log(1.0 + std::exp(t0));
}

void announce(const FitPlan& plan, int pass) {
  if (plan.observer != nullptr && plan.observer->pass_started) plan.observer->pass_started(pass);
}

// The final pass and the covariance matrix, its inverse.
void finish(FitSums& sums, const FitPlan& plan, const ParamVector& xty, FitResult& result) {
  const int m = plan.parameters;
  announce(plan, final_pass);
  const FinalPassSums final_sums = sums.final_sums(result.estimate, result.covariance);
  result.zero_weight_dyads += final_sums.zero_weight_dyads;
  double gain = 0.0;
  for (int k = 1; k <= m; ++k) gain += xty(k) * result.estimate(k);
  result.loglik = gain - final_sums.loglik_sum;
  result.abs_resid_sum = final_sums.abs_resid_sum;
  result.sq_resid_sum = final_sums.sq_resid_sum;
  result.pearson_sum = final_sums.pearson_sum;
  result.class_table = final_sums.class_table;
  result.final_inversion_failed = !gaussj(result.covariance, m);
  // A partly inverted matrix is no covariance matrix: its estimates stand, but every standard
  // error, Wald value and correlation is NaN.
  if (result.final_inversion_failed)
    result.covariance.fill(std::numeric_limits<double>::quiet_NaN());
  result.end = FitEnd::completed;
}

}  // namespace

FitResult fit_by_passes(FitSums& sums, const FitPlan& plan) {
  const int m = plan.parameters;
  FitResult result;
  result.parameter_count = m;
  result.dyad_count = plan.dyad_count;
  result.estimate = ParamVector(m);
  result.covariance = ParamMatrix(m);

  announce(plan, 1);
  ParamVector xty(m);
  ParamMatrix xsq_inverse(m);
  result.tie_total = sums.totals(xty, xsq_inverse);
  if (!gaussj(xsq_inverse, m)) {
    result.end = FitEnd::dependent;
    return result;
  }
  result.null_loglik = null_loglik(result.tie_total, result.dyad_count);

  if (plan.start == nullptr) {
    announce(plan, 2);
    ParamVector logit_xsum(m);
    sums.logit_sums(matrix_vector_product(xsq_inverse, xty, m), logit_xsum);
    result.estimate = matrix_vector_product(xsq_inverse, logit_xsum, m);
  } else {
    for (int k = 1; k <= m; ++k) result.estimate(k) = (*plan.start)(k);
  }

  ParamVector previous = result.estimate;
  NewtonSettings settings{first_newton_pass, last_newton_pass, plan.estimate_bound};
  if (plan.until_settled) {
    settings.last_pass = first_newton_pass + settled_pass_limit - 1;
    settings.halve_steps = true;
    settings.tolerance = settled_tolerance;
  }
  const NewtonRun run = newton_iterations(
      m, result.estimate, previous,
      [&](int pass, const ParamVector& at, ParamVector& wz_sum, ParamMatrix& wxsq) {
        announce(plan, pass);
        double log_terms = 0.0;
        result.zero_weight_dyads +=
            sums.newton_sums(pass, at, wz_sum, wxsq, settings.halve_steps ? &log_terms : nullptr);
        double gain = 0.0;
        for (int k = 1; k <= m; ++k) gain += xty(k) * at(k);
        return gain - log_terms;
      },
      settings);
  result.newton_passes = run.passes;
  result.step_halvings = run.halvings;
  result.unbounded = run.end == NewtonEnd::unbounded;
  result.too_many_iterations = run.end == NewtonEnd::pass_limit || run.end == NewtonEnd::unbounded;
  if (run.end == NewtonEnd::singular) {
    result.end = FitEnd::wxsq_singular;
    return result;
  }
  finish(sums, plan, xty, result);
  return result;
}

double log_one_plus_exp(double eta) {
  return eta > 0.0 ? eta + std::log1p(std::exp(-eta)) : std::log1p(std::exp(eta));
}

bool add_newton_row(const double* x, int m, double weight, int y, const ParamVector& at,
                    ParamVector& wz_sum, ParamMatrix& wxsq, double* log_terms) {
  const double eta = dot_product(x, at.base(), m);
  if (log_terms != nullptr) *log_terms += weight * log_one_plus_exp(eta);
  const double p = 1.0 / (1.0 + std::exp(-eta));
  const double w = p * (1.0 - p);
  if (w == 0.0) {
    add_weighted_row(x, m, weight * (y - p), 0.0, &wz_sum, nullptr);
    return true;
  }
  const double z = eta + (y - p) / w;
  add_weighted_row(x, m, std::isfinite(z) ? weight * w * z : weight * (y - p), weight * w, &wz_sum,
                   &wxsq);
  return false;
}

double add_final_row(const double* x, int m, double weight, std::int64_t count, int y,
                     const ParamVector& estimate, FinalPassSums& sums, ParamMatrix& wxsq) {
  const double eta = dot_product(x, estimate.base(), m);
  const double e = std::exp(-eta);
  double term = std::log(1.0 + 1.0 / e);
  if (std::isinf(term)) term = eta;
  const double p = 1.0 / (1.0 + e);
  const double w = std::isinf(e) ? 0.0 : e / ((1.0 + e) * (1.0 + e));
  sums.loglik_sum += weight * term;
  const double residual = y - p;
  sums.abs_resid_sum += weight * std::fabs(residual);
  sums.sq_resid_sum += weight * residual * residual;
  if (residual != 0.0) sums.pearson_sum += weight * residual * residual / (p * (1.0 - p));
  if (w == 0.0) sums.zero_weight_dyads += count;
  add_weighted_row(x, m, 0.0, weight * w, nullptr, &wxsq);
  return p;
}

}  // namespace tarn
