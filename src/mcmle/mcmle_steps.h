#pragma once
// The steps of one iteration of maximum likelihood by MCMC, each a function of the sample and the
// estimate, testable alone against exact distributions.

#include <cstdint>
#include <optional>
#include <vector>

#include "mcmle/mcmle_control.h"
#include "mcmle/sample_moments.h"
#include "model/model.h"
#include "numeric/matrix.h"

namespace tarn {

// The statistics as the estimating equations of the coefficients see them: J' g, J the Jacobian
// of the canonical parameters at theta (ergm's estimating equations). A linear model's are the
// statistics themselves.
class Projection {
 public:
  Projection(const Model& model, const Vector& theta);
  Vector operator()(const Vector& statistics) const;
  std::vector<Vector> operator()(const std::vector<Vector>& sample) const;

 private:
  std::vector<double> jacobian_;  // statistics by coefficients; empty for a linear model
  int statistics_ = 0, coefficients_ = 0;
};

// The maximiser of the log-normal approximation of the likelihood ratio, towards the observed
// statistics: Sigma^-1 (observed - mean) over the statistics that vary (0 for the others), Sigma
// the sample's covariance. Nothing when Sigma cannot be inverted.
std::optional<Vector> log_normal_step(const SampleMoments& moments, const Vector& observed);

// The Geyer-Thompson step of a linear model: the change delta of the coefficients that maximises
// the importance-sampling estimate of the log-likelihood ratio towards `target`,
// delta . target - log mean_k exp(delta . g_k), so that the sample reweighted to theta + delta
// has the mean `target`. By Newton's method from `start` (the log-normal step, which it refines
// where the sample is skewed: statistics near their bounds), each step halved while less than
// refinement_weight_share of the sample's importance weight speaks for its end, and stopped
// there.
// Statistics that do not vary keep start's value.
Vector importance_step(const std::vector<Vector>& sample, const Vector& target, Vector start,
                       const McmleControl& control);

// The share of the sample that still speaks for coefficients moved by `eta_change` (in the
// canonical parameters): the effective size of the importance weights exp(change . g_k) over the
// number of networks.
double weight_share(const std::vector<Vector>& canonical_sample, const Vector& eta_change);

// The move `move` from theta, halved until no coefficient passes its least value (a decay's 0)
// and at least least_weight_share of the sample's importance weight speaks for its end; then held
// at the least values. `canonical_sample`: the statistics drawn at theta.
Vector capped_move(const Model& model, const Vector& theta, Vector move,
                   const std::vector<Vector>& canonical_sample, const McmleControl& control);

// The interval for the next sample, by the factor the slowest statistic's autocorrelation time
// says would bring its effective size to least_effective_share of the networks, with a fifth to
// spare: longer (1.25 to 8 times) while it is below that and no |t| is above distant_t, shorter
// (down to a quarter, and to `shortest`) while it is above twice that, since the
// effective networks beyond those the step and the test need cost time and buy nothing until
// the final sample.
std::int64_t tuned_interval(std::int64_t interval, const SampleMoments& moments,
                            const ConvergenceTest& test, const McmleControl& control,
                            std::int64_t shortest);

}  // namespace tarn
