#include "valued/valued_fit.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "mcmle/mcmle_steps.h"
#include "mcmle/step_length.h"
#include "simulate/random_stream.h"
#include "valued/valued_sampler.h"

namespace tarn {

namespace {

// The full model's coefficients from the dyad-independent fit (the others 0).
Vector start_of(const ValuedModel& model, const DyadIndependentValuedFit& start) {
  Vector theta(static_cast<std::size_t>(model.statistic_count()), 0.0);
  for (std::size_t k = 0; k < start.statistics.size() && k < start.estimate.size(); ++k) {
    theta[static_cast<std::size_t>(start.statistics[k])] = start.estimate[k];
  }
  return theta;
}

// The move delta from theta, halved while less than least_weight_share of the sample's
// importance weight speaks for its end.
Vector weighted_move(const std::vector<Vector>& sample, Vector delta, const McmleControl& control) {
  for (int halving = 0; halving < 30 && weight_share(sample, delta) < control.least_weight_share;
       ++halving) {
    for (double& d : delta) d /= 2;
  }
  return delta;
}

// With missing dyads the fit's target is not the observed statistics but their mean over the
// completions of the observed network at theta (Handcock and Gile 2010, as for binary networks):
// networks drawn with the missing dyads alone moving, by chains of their own that go on from
// iteration to iteration. The information is the statistics' covariance less the completions'.
class Completions {
 public:
  Completions(const ValuedModel& model, const ValuedGraph& observed, ValuedProposal proposal,
              const McmleControl& control)
      : networks_(std::max(64, control.sample_size)),
        interval_(std::max<std::int64_t>(256, std::ssize(observed.missing()))),
        chains_(model, observed, with_missing(std::move(proposal), observed), control.chains,
                mix_seed(control.seed, 2), control.threads) {
    chains_.set_cancel(control.cancel);
  }

  // The completions' mean at theta, their covariance kept for the errors.
  Vector at(const Vector& theta) {
    const ValuedDraws drawn =
        chains_.draw(theta, networks_, (fresh_ ? 16 : 2) * interval_, interval_);
    fresh_ = false;
    const SampleMoments moments = sample_moments(drawn.statistics, chains_.chains());
    covariance_ = moments.covariance;
    return moments.mean;
  }
  const Matrix& covariance() const { return covariance_; }

 private:
  static ValuedProposal with_missing(ValuedProposal proposal, const ValuedGraph& observed) {
    proposal.dyad = DyadChoice::uniform;
    proposal.among = std::make_shared<const std::vector<std::pair<int, int>>>(
        observed.missing().begin(), observed.missing().end());
    return proposal;
  }

  int networks_;
  std::int64_t interval_;
  ValuedChains chains_;
  bool fresh_ = true;
  Matrix covariance_;
};

ValuedFit exact_fit(const ValuedModel& model, ValuedFit fit) {
  fit.stop_reason = "dyad_independent";
  fit.estimate = start_of(model, fit.start);
  fit.covariance = fit.start.covariance;
  fit.log_likelihood = fit.start.log_likelihood;
  fit.outcome = !fit.start.at_bound.empty() ? "estimate_does_not_exist"
                : fit.start.converged       ? "converged"
                                            : "not_converged";
  return fit;
}

// Contrastive divergence (ergm.count's start): networks a few proposals from the observed one,
// and a step towards the observed statistics by their moments, until the steps are small. The
// sample stays near the observed network whatever theta does; the estimate it settles at is a
// start, judged by MCMLE.
Vector contrastive_divergence(const ValuedModel& model, const ValuedGraph& observed,
                              ValuedChains& chains, Vector theta, const McmleControl& control) {
  const Vector target = model.statistics(observed);
  constexpr std::int64_t steps = 64;  // proposals from the observed network
  for (int iteration = 0; iteration < 60; ++iteration) {
    const std::vector<Vector> sample = chains.short_walks(theta, control.sample_size, steps);
    const SampleMoments moments = sample_moments(sample, 1);
    const auto step = log_normal_step(moments, target);
    if (!step) break;
    double largest = 0.0;
    for (std::size_t s = 0; s < theta.size(); ++s) {
      theta[s] += (*step)[s];
      largest = std::max(largest, std::fabs((*step)[s]));
    }
    if (largest < 1e-3) break;
  }
  return theta;
}

}  // namespace

ValuedFit fit_valued(const ValuedModel& model, const ValuedGraph& observed,
                     const McmleControl& control, const ValuedProposal& proposal,
                     const ValuedProgress& progress, const std::optional<Vector>& from) {
  const auto began = std::chrono::steady_clock::now();
  auto seconds = [&began] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  };
  ValuedFit fit;
  fit.observed = model.statistics(observed);
  fit.start = fit_dyad_independent(model, observed);
  if (model.dyad_independent()) {
    fit = exact_fit(model, std::move(fit));
    fit.seconds = seconds();
    return fit;
  }
  fit.proposal = proposal.name();
  if (!fit.start.at_bound.empty()) {
    fit.outcome = "estimate_does_not_exist";
    fit.stop_reason = "statistic_at_bound";
    fit.estimate = start_of(model, fit.start);
    fit.seconds = seconds();
    return fit;
  }

  Vector theta = start_of(model, fit.start);
  ValuedChains chains(model, observed, proposal, control.chains, control.seed, control.threads);
  chains.set_cancel(control.cancel);
  if (from) {
    theta = *from;
  } else {
    theta = contrastive_divergence(model, observed, chains, theta, control);
    fit.contrastive_start = theta;
  }
  // Each proposal moves one dyad: a quarter of the dyads between networks to begin with, as for
  // binary networks (mcmle.cpp), then tuned by the chains' autocorrelation.
  const std::int64_t shortest = 256;
  std::int64_t interval = control.interval > 0
                              ? control.interval
                              : std::max<std::int64_t>(shortest, observed.dyad_count() / 4);
  std::optional<Completions> completions;
  if (!observed.missing().empty()) completions.emplace(model, observed, proposal, control);
  Vector target = fit.observed;       // the completions' mean with missing dyads
  std::optional<SampleMoments> last;  // the sample the estimate is a step from
  bool full_step = false;
  int steps_of_zero = 0;
  fit.outcome = "not_converged";
  fit.stop_reason = "iteration_limit";
  for (int number = 1; number <= control.max_iterations; ++number) {
    ValuedIteration it;
    it.number = number;
    it.theta = theta;
    it.interval = interval;
    const std::int64_t burnin =
        interval * (number == 1 ? control.fresh_burnin_intervals : control.burnin_intervals);
    const double drawing = seconds();
    if (completions) target = completions->at(theta);
    const ValuedDraws draws = chains.draw(theta, control.sample_size, burnin, interval);
    fit.sampler_seconds += seconds() - drawing;
    const SampleMoments moments = sample_moments(draws.statistics, chains.chains());
    StepNoise noise;
    if (last && full_step) noise = {mean_covariance(*last), smallest_effective_size(*last)};
    const ConvergenceTest test =
        convergence_test(moments, target, last && full_step ? &noise : nullptr);
    it.networks = control.sample_size;
    it.max_abs_t = test.max_abs_t;
    it.p_value = test.p_value;
    it.effective_size = test.effective_size;
    fit.proposals = draws.proposals;
    fit.accepted = draws.accepted;
    // The Hotelling test passed at an estimate a full step from the last sample: a final sample
    // there, large enough for the errors, must reproduce the observed statistics.
    if (full_step && last && test.p_value > control.hotelling_level) {
      const FinalSampleSize size =
          final_sample_size(moments, interval, model.statistic_count(), control);
      const double final_drawing = seconds();
      const ValuedDraws final_draws =
          chains.draw(theta, size.networks, size.interval, size.interval);
      fit.sampler_seconds += seconds() - final_drawing;
      fit.final_networks = size.networks;
      const SampleMoments final_moments = sample_moments(final_draws.statistics, chains.chains());
      const ConvergenceTest final_test = convergence_test(final_moments, target, &noise);
      const SimulationCheck check = simulation_check(final_moments, final_test, *last, control);
      it.final_sample = true;
      it.check_passed = check.passed;
      it.seconds = seconds();
      fit.history.push_back(it);
      if (progress) progress(it);
      fit.final_test = final_test;
      fit.check = check;
      fit.proposals = final_draws.proposals;
      fit.accepted = final_draws.accepted;
      if (check.passed) {
        SampleMoments information = final_moments;
        if (completions) {
          // The information of the observed dyads: what the completions leave of the variation.
          for (int r = 0; r < information.covariance.rows(); ++r) {
            for (int c = 0; c < information.covariance.cols(); ++c) {
              information.covariance(r, c) -= completions->covariance()(r, c);
            }
          }
        }
        const McmleErrors errors = mcmle_errors(information);
        fit.outcome = "converged";
        fit.stop_reason = "converged";
        fit.estimate = theta;
        fit.covariance = errors.covariance;
        fit.mcmc_error_percent = errors.mcmc_error_percent;
        fit.seconds = seconds();
        return fit;
      }
    }
    // A step towards the observed statistics, as far as the sample's hull allows.
    const double gamma =
        hull_step_length(draws.statistics, moments.mean, moments.sd, target, control.hull_margin);
    Vector towards = moments.mean;
    for (std::size_t s = 0; s < towards.size(); ++s) {
      towards[s] += gamma * (target[s] - moments.mean[s]);
    }
    const auto normal = log_normal_step(moments, towards);
    Vector delta = normal ? importance_step(draws.statistics, towards, *normal, control)
                          : Vector(theta.size(), 0.0);
    delta = weighted_move(draws.statistics, delta, control);
    for (std::size_t s = 0; s < theta.size(); ++s) theta[s] += delta[s];
    // Moves halved to nothing, iteration after iteration: the sample does not speak for any
    // step (a model without a distribution there, its chains drifting); longer intervals would
    // only make each iteration slower.
    double largest_move = 0.0;
    for (const double d : delta) largest_move = std::max(largest_move, std::fabs(d));
    steps_of_zero = largest_move < 1e-6 ? steps_of_zero + 1 : 0;
    it.step = gamma;
    full_step = gamma >= 1.0;
    last = moments;
    if (!it.final_sample) {
      it.seconds = seconds();
      fit.history.push_back(it);
      if (progress) progress(it);
    }
    fit.final_test = test;
    if (steps_of_zero >= control.max_steps_of_zero) {
      fit.stop_reason = "no_progress";
      break;
    }
    interval = tuned_interval(interval, moments, test, control, shortest);
  }
  fit.estimate = theta;
  fit.seconds = seconds();
  return fit;
}

Vector valued_mcmc_start(const ValuedModel& model, const ValuedGraph& observed,
                         const DyadIndependentValuedFit& exact, const McmleControl& control,
                         const ValuedProposal& proposal) {
  ValuedChains chains(model, observed, proposal, control.chains, control.seed, control.threads);
  chains.set_cancel(control.cancel);
  return contrastive_divergence(model, observed, chains, start_of(model, exact), control);
}

}  // namespace tarn
