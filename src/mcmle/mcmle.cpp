#include "mcmle/mcmle.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "mcmle/bridge_likelihood.h"
#include "mcmle/mcmle_steps.h"
#include "mcmle/step_length.h"
#include "model/sample_space.h"
#include "mple/pseudo_likelihood.h"
#include "simulate/start_networks.h"

namespace tarn {

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
  return std::chrono::duration<double>(clock_type::now() - start).count();
}

// A quarter of the dyads, at most 64 toggles per link, at least 256; tuned from there
// (tuned_interval). The tie/no-tie proposal visits each dyad about once in twice the dyads, and
// the networks of the school and advice models decorrelate in 1.5 to 3 times the dyads: a
// quarter gives samples whose steps and intervals can be trusted from the first iteration.
std::int64_t first_interval(const Study& study, const McmleControl& control) {
  if (control.interval > 0) return control.interval;
  return std::max<std::int64_t>(
      256, std::min<std::int64_t>(64 * study.network.link_count, study.dyad_count() / 4));
}

Vector plus(const Vector& a, const Vector& b) {
  Vector s = a;
  for (std::size_t k = 0; k < s.size(); ++k) s[k] += b[k];
  return s;
}

Matrix matrix_of(const ParamMatrix& m, int p) {
  Matrix result(p, p);
  for (int r = 0; r < p; ++r)
    for (int c = 0; c < p; ++c) result(r, c) = m(r + 1, c + 1);
  return result;
}

// A dyad-independent model: its pseudo-likelihood is its likelihood, so its MLE and the
// inverse of its information are exact.
McmleResult exact_dyad_independent(const Study& study, const Vector& start, McmleStart kind) {
  McmleResult result;
  result.start.kind = kind;
  result.start.first = start;
  const FitResult fit = fit_pseudo_likelihood(study);
  const int p = study.model.parameter_count();
  if (fit.end != FitEnd::completed || fit.final_inversion_failed) {
    result.end = McmleEnd::not_converged;
    result.stop_reason = "no_estimate";
    result.estimate = start;
    return result;
  }
  for (int k = 1; k <= p; ++k) result.estimate.push_back(fit.estimate(k));
  result.covariance = matrix_of(fit.covariance, p);
  result.fisher_inverse = result.covariance;
  result.mcmc_error_percent.assign(std::size_t(p), 0.0);
  result.observed = study.statistics();
  result.log_likelihood = fit.loglik;
  result.end = McmleEnd::converged;
  result.stop_reason = "dyad_independent";
  return result;
}

class McmleRun {
 public:
  McmleRun(const Study& study, const Vector& start, McmleStart kind, const McmleControl& control,
           const SampleSource& source, const McmleProgress& progress)
      : study_(study),
        model_(study.model),
        control_(control),
        source_(source),
        progress_(progress),
        observed_(study.statistics()),
        observed_links_(study.network.link_count),
        theta_(start),
        last_good_(start),
        interval_(first_interval(study, control)),
        began_(clock_type::now()) {
    result_.start.kind = kind;
    result_.start.first = start;
    if (study.missing_dyad_count() > 0) {
      completed_study_.emplace(missing_dyads_study(study));
      completed_source_ = chain_sample_source(*completed_study_, control);
    }
  }

  McmleResult run() {
    bool done = false;
    for (int number = 1; number <= control_.max_iterations && !done; ++number) {
      result_.iterations = number;
      done = iterate(number) && !restarted();
    }
    if (!done) {
      result_.stop_reason = "iteration_limit";
      judge();
    }
    result_.seconds = seconds_since(began_);
    return std::move(result_);
  }

 private:
  const std::optional<DyadIndependentReference>& reference() {
    if (!reference_known_) {
      reference_ = completed_study_ ? dyad_independent_reference(observed_dyads_study(study_))
                                    : dyad_independent_reference(study_);
    }
    reference_known_ = true;
    return reference_;
  }

  DrawnSample draw(const SampleRequest& request) {
    DrawnSample sample = source_(request);
    result_.toggles += sample.proposals;
    result_.sampler_seconds += sample.seconds;
    return sample;
  }

  SampleRequest request_at(const Vector& theta, int networks, std::int64_t interval,
                           std::uint64_t stream) const {
    SampleRequest request;
    request.eta = model_.canonical(theta);
    request.networks = networks;
    request.interval = interval;
    request.burnin =
        (fresh_ ? control_.fresh_burnin_intervals : control_.burnin_intervals) * interval_;
    request.stream = stream;
    request.fresh = fresh_;
    return request;
  }

  void record(McmleIteration& iteration) {
    iteration.seconds = seconds_since(began_);
    result_.history.push_back(iteration);
    if (progress_) progress_(iteration);
  }

  // With missing dyads the fit's target is not the observed statistics but their mean over the
  // completions of the observed network at theta (Handcock and Gile 2010): networks drawn with
  // the missing dyads alone varying. The score is then E_completed[g] - E[g], the information
  // Cov[g] - Cov_completed[g] (converged_at).
  void complete_at(const Vector& theta, std::uint64_t stream) {
    if (!completed_study_) return;
    SampleRequest request;
    request.eta = model_.canonical(theta);
    request.networks = std::max(64, control_.sample_size);
    request.interval = completion_interval();
    request.burnin = (completed_fresh_ ? 16 : 2) * request.interval;
    request.stream = 2000000 + stream;
    request.fresh = completed_fresh_;
    const DrawnSample drawn = completed_source_(request);
    result_.toggles += drawn.proposals;
    result_.sampler_seconds += drawn.seconds;
    if (drawn.capacity_stop.found || drawn.statistics.size() < 2) return;
    completed_fresh_ = false;
    Vector mean(observed_.size(), 0.0);
    for (const Vector& network : drawn.statistics) {
      for (std::size_t k = 0; k < mean.size(); ++k) mean[k] += network[k];
    }
    for (double& v : mean) v /= static_cast<double>(drawn.statistics.size());
    observed_ = mean;
    const Projection project(model_, theta);
    completed_covariance_ = sample_moments(project(drawn.statistics), drawn.chains).covariance;
  }

  // A free dyad drawn uniformly is toggled: in half the free dyads' count of moves about 40% of a
  // sparse completion's links come up for removal.
  std::int64_t completion_interval() const {
    const auto free = completed_study_->space->free_dyad_count();
    return std::max<std::int64_t>(256, free / 2);
  }

  // One iteration; true when the fit has ended.
  bool iterate(int number) {
    complete_at(theta_, std::uint64_t(number));
    const int networks =
        approaching_ ? std::max(64, control_.sample_size / 4) : control_.sample_size;
    const DrawnSample sample = draw(request_at(theta_, networks, interval_, std::uint64_t(number)));
    McmleIteration iteration;
    iteration.number = number;
    iteration.theta = theta_;
    iteration.networks = networks;
    iteration.interval = interval_;
    iteration.toggles = sample.proposals;
    if (sample.capacity_stop.found) {
      iteration.filled = true;
      record(iteration);
      return filled(sample.capacity_stop);
    }
    fresh_ = false;
    const Projection project(model_, theta_);
    const std::vector<Vector> projected = project(sample.statistics);
    const Vector observed = project(observed_);
    const SampleMoments moments = sample_moments(projected, sample.chains);
    const ConvergenceTest test =
        convergence_test(moments, observed, step_noise_ ? &*step_noise_ : nullptr);
    const DrawEvidence evidence = draw_evidence(sample.links, observed_links_, study_.dyad_count());
    const double gamma =
        hull_step_length(projected, moments.mean, moments.sd, observed, control_.hull_margin);
    iteration.step = gamma;
    iteration.max_abs_t = test.max_abs_t;
    iteration.p_value = test.p_value;
    iteration.effective_size = test.effective_size;
    iteration.evidence = evidence.kind();
    record(iteration);
    keep_last(projected, observed, moments, test, sample.chains);
    note_best(number, test);
    if (accepted_) recent_degenerate_.push_back(evidence.degenerate());
    if (evidence.degenerate()) {
      if (nowhere_to_go()) return true;
      if (bad_sample(evidence)) return false;
    } else {
      accepted_ = true;
      last_good_ = theta_;
      halvings_ = 0;
    }
    last_degenerate_ = evidence.degenerate();
    const std::optional<Vector> step = log_normal_step(moments, observed);
    if (!step) {
      result_.stop_reason = "no_progress";
      judge();
      return true;
    }
    if (!approaching_ && !evidence.degenerate() && gamma >= 1.0 &&
        test.p_value >= control_.hotelling_level) {
      return finish(number, *step, sample, moments, test, evidence);
    }
    return take_step(gamma, *step, sample.statistics, moments, test);
  }

  void keep_last(const std::vector<Vector>& projected, const Vector& observed,
                 const SampleMoments& moments, const ConvergenceTest& test, int chains) {
    result_.observed = observed;
    result_.final_test = test;
    result_.final_moments = moments;
    result_.final_sample = projected;
    result_.final_chains = chains;
  }

  void note_best(int number, const ConvergenceTest& test) {
    if (best_ && !(test.distance < best_->distance)) return;
    best_ = BestEstimate{number, theta_, test.distance, test.max_abs_t};
  }

  // Draws that pile up near the empty or complete network, or split into two modes: a bad start
  // moves; after steps from a sample that did not, the estimate is halved back towards that
  // sample's, up to step_halvings times. True when it moved.
  bool bad_sample(const DrawEvidence& evidence) {
    forget_step();
    if (!accepted_) {
      if (!move_start(result_.start, theta_, StartMove{evidence.kind(), evidence, {}}, reference(),
                      control_.start_halvings)) {
        return false;
      }
      fresh_ = approaching_ = true;
      return true;
    }
    if (halvings_ >= control_.step_halvings) return false;
    halve_back();
    return true;
  }

  // Samples that pile up or split (or fill the link store), max_degenerate_samples of the last
  // degenerate_window once the start stands: the search has nowhere to go, and the best estimate
  // found is judged. True when the search ends.
  bool nowhere_to_go() {
    const int window = control_.degenerate_window;
    const int size = static_cast<int>(recent_degenerate_.size());
    const int seen = static_cast<int>(std::count(
        recent_degenerate_.begin() + std::max(0, size - window), recent_degenerate_.end(), true));
    if (seen < control_.max_degenerate_samples) return false;
    result_.stop_reason = "degenerate_draws";
    judge();
    return true;
  }

  void forget_step() {
    step_noise_.reset();
    step_source_.reset();
  }

  void halve_back() {
    forget_step();
    ++halvings_;
    for (std::size_t k = 0; k < theta_.size(); ++k) theta_[k] = 0.5 * (theta_[k] + last_good_[k]);
    fresh_ = true;
  }

  // A fit that ended without converging from a start other than the dyad-independent estimate
  // begins again there (the start recovery of mcmle_start.h): a start whose first draws looked
  // well may lie where the chains collapse later. True when it begins again.
  bool restarted() {
    if (result_.end == McmleEnd::converged || result_.start.kind == McmleStart::dyad_independent) {
      return false;
    }
    StartMove why{"link_capacity", {}, result_.capacity};
    if (result_.evidence) {
      why.evidence = *result_.evidence;
      why.reason = why.evidence.degenerate()                         ? why.evidence.kind()
                   : result_.probes && result_.probes->second_mode() ? "second_mode"
                                                                     : "not_converged";
    }
    result_.start.share = 0.0;  // straight to the reference
    if (!move_start(result_.start, theta_, why, reference(), 0)) return false;
    result_.end = McmleEnd::converged;
    result_.stop_reason.clear();
    result_.evidence.reset();
    result_.probes.reset();
    result_.capacity = CapacityStop{};
    forget_step();
    last_good_ = theta_;
    fresh_ = approaching_ = true;
    accepted_ = false;
    halvings_ = steps_of_zero_ = short_steps_ = 0;
    recent_degenerate_.clear();
    return true;
  }

  // A chain filled the link store: the start moves, or the step is halved back; false while
  // either is possible.
  bool filled(const CapacityStop& stop) {
    fresh_ = true;
    forget_step();
    if (!accepted_ && move_start(result_.start, theta_, StartMove{"link_capacity", {}, stop},
                                 reference(), control_.start_halvings)) {
      approaching_ = true;
      return false;
    }
    if (accepted_) {
      recent_degenerate_.push_back(true);
      if (nowhere_to_go()) return true;
    }
    if (accepted_ && halvings_ < control_.step_halvings) {
      halve_back();
      return false;
    }
    result_.stop_reason = "link_capacity";
    result_.capacity = stop;
    judge();
    return true;
  }

  // The move towards the pseudo-observation mean + gamma (observed - mean): the log-normal step
  // times gamma, refined by the importance-sampling (Geyer-Thompson) step for a linear model.
  Vector towards(double gamma, const Vector& step, const SampleMoments& moments,
                 const std::vector<Vector>& canonical_sample) const {
    Vector move = step;
    for (double& v : move) v *= gamma;
    if (model_.curved()) return move;
    Vector target = moments.mean;
    for (std::size_t k = 0; k < target.size(); ++k)
      target[k] += gamma * (observed_[k] - moments.mean[k]);
    return importance_step(canonical_sample, target, move, control_);
  }

  bool take_step(double gamma, const Vector& step, const std::vector<Vector>& canonical_sample,
                 const SampleMoments& moments, const ConvergenceTest& test) {
    steps_of_zero_ = gamma > 0.0 ? 0 : steps_of_zero_ + 1;
    // A start at the edge of the space (a statistic that the networks drawn there never vary)
    // gives no direction: the dyad-independent estimate may.
    if (steps_of_zero_ >= control_.max_steps_of_zero &&
        move_start(result_.start, theta_, StartMove{"no_step", {}, {}}, reference(),
                   control_.start_halvings)) {
      fresh_ = approaching_ = true;
      steps_of_zero_ = short_steps_ = 0;
      recent_degenerate_.clear();
      forget_step();
      return false;
    }
    short_steps_ = gamma > 0.0 && gamma < control_.short_step ? short_steps_ + 1 : 0;
    if (steps_of_zero_ >= control_.max_steps_of_zero || short_steps_ >= control_.max_short_steps) {
      result_.stop_reason = "no_progress";
      judge();
      return true;
    }
    const Vector move = towards(gamma, step, moments, canonical_sample);
    theta_ = plus(theta_, capped_move(model_, theta_, move, canonical_sample, control_));
    forget_step();
    if (gamma >= 1.0) {
      step_noise_ = StepNoise{mean_covariance(moments), smallest_effective_size(moments)};
      step_source_ = moments;
    }
    // The autocorrelation of draws that pile up or split says nothing of the sampling near the
    // estimate (on the advice network's gw model it grew the interval a thousandfold).
    if (!last_degenerate_) {
      interval_ = tuned_interval(interval_, moments, test, control_, 256);
    }
    if (test.max_abs_t < control_.approach_t) approaching_ = false;
    return false;
  }

  // The final sample, drawn on (the chains continued) while its own effective size is too small
  // for the errors, up to three times.
  DrawnSample final_draws(const Vector& estimate, const FinalSampleSize& size, int number) {
    return drawn_on(
        draw(request_at(estimate, size.networks, size.interval, 500000 + std::uint64_t(number))),
        estimate, size.interval, number);
  }
  DrawnSample drawn_on(DrawnSample sample, const Vector& estimate, std::int64_t interval,
                       int number) {
    const Projection project(model_, estimate);
    for (int extension = 1; extension <= 3 && !sample.capacity_stop.found; ++extension) {
      const int more =
          networks_still_needed(sample_moments(project(sample.statistics), sample.chains),
                                model_.coefficient_count(), control_);
      if (more == 0) break;
      SampleRequest request =
          request_at(estimate, more, interval, 600000 + 4 * std::uint64_t(number) + extension);
      request.burnin = interval;  // the chains go on at the same spacing
      DrawnSample rest = draw(request);
      sample.proposals += rest.proposals;
      if (rest.capacity_stop.found) return rest;
      sample.statistics.insert(sample.statistics.end(), rest.statistics.begin(),
                               rest.statistics.end());
      sample.links.insert(sample.links.end(), rest.links.begin(), rest.links.end());
    }
    return sample;
  }

  // The sample that passed the Hotelling test, drawn at theta_ a full step from the one before
  // it, is the final sample itself when it reproduces the observed statistics within their
  // allowance: drawn on while its effective size is short of the errors', probed for a second
  // mode and judged as a final sample drawn afresh would be; the estimate is theta_ plus the last
  // step. This spares a final sample (a quarter of school_large's draws). True when it converged
  // or was found degenerate there; false leaves the usual final sample to decide.
  bool finished_at_sample(int number, const DrawnSample& last, const SampleMoments& moments,
                          const ConvergenceTest& test) {
    if (!step_source_ || !step_noise_) return false;
    if (!simulation_check(moments, test, *step_source_, control_).passed) return false;
    const ModeProbes probes = probe_modes(
        theta_, static_cast<int>(last.statistics.size()) / last.chains, interval_, number);
    if (probes.second_mode()) {
      degenerate_at(number, theta_, test);
      result_.evidence = draw_evidence(last.links, observed_links_, study_.dyad_count());
      result_.probes = probes;
      return true;
    }
    const DrawnSample sample = drawn_on(last, theta_, interval_, number);
    if (sample.capacity_stop.found) return false;
    const Projection project(model_, theta_);
    const std::vector<Vector> projected = project(sample.statistics);
    const Vector observed = project(observed_);
    const SampleMoments final_moments = sample_moments(projected, sample.chains);
    const ConvergenceTest final_test = convergence_test(final_moments, observed, &*step_noise_);
    const SimulationCheck check =
        simulation_check(final_moments, final_test, *step_source_, control_);
    const int p = model_.coefficient_count();
    if (!check.passed || networks_still_needed(final_moments, p, control_) > 0) return false;
    McmleIteration& iteration = result_.history.back();
    iteration.networks = static_cast<int>(sample.statistics.size());
    iteration.toggles = sample.proposals;
    iteration.max_abs_t = final_test.max_abs_t;
    iteration.p_value = final_test.p_value;
    iteration.effective_size = final_test.effective_size;
    iteration.check_passed = true;  // a final sample itself, not one drawn after it
    keep_last(projected, observed, final_moments, final_test, sample.chains);
    result_.check = check;
    const DrawEvidence evidence = draw_evidence(sample.links, observed_links_, study_.dyad_count());
    if (evidence.degenerate()) {
      degenerate_at(number, theta_, final_test);
      result_.evidence = evidence;
      return true;
    }
    result_.probes = probes;
    converged_at(theta_, final_moments, observed, sample.statistics, interval_);
    return true;
  }

  // The Hotelling test has passed: one final sample at the new estimate, large enough for the
  // errors. True when it reproduces the observed statistics (converged); otherwise the fit goes
  // on from there.
  bool finish(int number, const Vector& step, const DrawnSample& last, const SampleMoments& moments,
              const ConvergenceTest& last_test, const DrawEvidence& last_evidence) {
    if (finished_at_sample(number, last, moments, last_test)) return true;
    const std::vector<Vector>& canonical_sample = last.statistics;
    const Vector estimate =
        plus(theta_, capped_move(model_, theta_, towards(1.0, step, moments, canonical_sample),
                                 canonical_sample, control_));
    complete_at(estimate, 500000 + std::uint64_t(number));
    // The probes first: they cost a fraction of the final sample, which a model with a second
    // mode is spared.
    const ModeProbes probes = probe_modes(
        estimate, static_cast<int>(last.statistics.size()) / last.chains, interval_, number);
    if (probes.second_mode()) {
      degenerate_at(number, estimate, last_test);
      result_.evidence = last_evidence;
      result_.probes = probes;
      return true;
    }
    const int p = model_.coefficient_count();
    const FinalSampleSize size = final_sample_size(moments, interval_, p, control_);
    const DrawnSample sample = final_draws(estimate, size, number);
    McmleIteration iteration = final_iteration(number, estimate, sample, size.interval);
    theta_ = estimate;
    approaching_ = false;
    step_noise_ = StepNoise{mean_covariance(moments), smallest_effective_size(moments)};
    step_source_ = moments;
    if (sample.capacity_stop.found) {
      forget_step();
      iteration.filled = true;
      record(iteration);
      fresh_ = true;
      return false;
    }
    const Projection project(model_, estimate);
    const std::vector<Vector> projected = project(sample.statistics);
    const Vector observed = project(observed_);
    const SampleMoments final_moments = sample_moments(projected, sample.chains);
    const ConvergenceTest test = convergence_test(final_moments, observed, &*step_noise_);
    const SimulationCheck check = simulation_check(final_moments, test, moments, control_);
    iteration.step = 1.0;
    iteration.max_abs_t = test.max_abs_t;
    iteration.p_value = test.p_value;
    iteration.effective_size = test.effective_size;
    iteration.check_passed = check.passed;
    record(iteration);
    keep_last(projected, observed, final_moments, test, sample.chains);
    result_.check = check;
    if (!check.passed) return false;
    // Drawn on three times, the sample still too slow-mixing for errors within their precision:
    // a longer interval, and on.
    if (networks_still_needed(final_moments, p, control_) > 0) {
      interval_ = tuned_interval(size.interval, final_moments, test, control_, interval_);
      return false;
    }
    const DrawEvidence evidence = draw_evidence(sample.links, observed_links_, study_.dyad_count());
    if (evidence.degenerate()) {
      degenerate_at(number, estimate, test);
      result_.evidence = evidence;
      return true;
    }
    result_.probes = probes;
    converged_at(estimate, final_moments, observed, sample.statistics, size.interval);
    return true;
  }

  McmleIteration final_iteration(int number, const Vector& estimate, const DrawnSample& sample,
                                 std::int64_t interval) const {
    McmleIteration iteration;
    iteration.number = number;
    iteration.theta = estimate;
    iteration.networks = static_cast<int>(sample.statistics.size());
    iteration.interval = interval;
    iteration.toggles = sample.proposals;
    iteration.final_sample = true;
    return iteration;
  }

  // The final sample at `estimate` reproduces the observed statistics: one last step towards
  // them, the errors, and the log-likelihood where a reference is known.
  void converged_at(const Vector& estimate, const SampleMoments& final_moments,
                    const Vector& observed, const std::vector<Vector>& statistics,
                    std::int64_t interval) {
    const std::optional<Vector> last_step = log_normal_step(final_moments, observed);
    result_.estimate =
        last_step ? plus(estimate, capped_move(model_, estimate,
                                               towards(1.0, *last_step, final_moments, statistics),
                                               statistics, control_))
                  : estimate;
    SampleMoments information = final_moments;
    if (completed_covariance_) {
      // The information of the observed dyads: what the completions leave of the variation.
      for (int r = 0; r < information.covariance.rows(); ++r) {
        for (int c = 0; c < information.covariance.cols(); ++c) {
          information.covariance(r, c) -= (*completed_covariance_)(r, c);
        }
      }
    }
    const McmleErrors errors = mcmle_errors(information);
    result_.covariance = errors.covariance;
    result_.fisher_inverse = errors.fisher_inverse;
    result_.mcmc_error_percent = errors.mcmc_error_percent;
    result_.end = McmleEnd::converged;
    result_.stop_reason = "converged";
    if (reference()) {
      // With missing dyads each bridge point draws completions too: the likelihood of the
      // observed dyads (bridge_likelihood.h).
      const CompletionDraws completions{completed_source_,
                                        completed_study_ ? completion_interval() : 0};
      result_.log_likelihood =
          bridged_log_likelihood(model_, observed_, *reference(), result_.estimate,
                                 std::max<std::int64_t>(256, interval / 8), control_, source_,
                                 result_.toggles, completed_study_ ? &completions : nullptr);
    }
  }

  // Chains started at the empty and at a denser network at `theta`, each drawing `length`
  // networks `interval` toggles apart. A chain whose last quarter still moved towards the observed
  // network is drawn again, four and then sixteen times as long: over a short run the noise of a
  // chain that stays in a second mode reads as a move as often as not (Sampson's monks, edges +
  // mutual + nodematch with offset(ttriple) at 0.1: a chain at 294 of 306 links was judged
  // moving under one seed of six), while a chain that does move gets there.
  ModeProbes probe_modes(const Vector& theta, int length, std::int64_t interval, int number) {
    // The empty and the denser network lie outside most constrained spaces: no probes there.
    if (study_.space) return {};
    ModeProbes probes;
    std::int64_t toggles = 0;
    for (int longer = 0; longer < 3; ++longer) {
      probes = probe_once(theta, std::max(length, 4) << (2 * longer), interval,
                          700000 + 1000 * std::uint64_t(longer) + std::uint64_t(number));
      toggles += probes.toggles;
      if (!probes.empty.moving && !probes.dense.moving) break;
    }
    probes.toggles = toggles;
    return probes;
  }

  ModeProbes probe_once(const Vector& theta, int length, std::int64_t interval,
                        std::uint64_t stream) {
    SampleRequest request;
    request.eta = model_.canonical(theta);
    request.probe = true;
    request.networks = 2 * length;
    request.burnin = interval;
    request.interval = interval;
    request.stream = stream;
    const DrawnSample drawn = draw(request);
    ModeProbes probes;
    probes.toggles = drawn.proposals;
    if (drawn.capacity_stop.found) {  // a chain filled the link store
      probes.dense = mode_probe({}, false, 0, observed_links_, study_.dyad_count());
      probes.dense.filled = true;
      probes.dense.late_least_links = probes.dense.late_most_links = drawn.capacity_stop.links;
      return probes;
    }
    std::vector<std::int64_t> chain[2];
    for (std::size_t k = 0; k < drawn.links.size(); ++k) chain[k % 2].push_back(drawn.links[k]);
    const std::int64_t dyads = study_.dyad_count();
    probes.empty = mode_probe(chain[0], true, 0, observed_links_, dyads);
    probes.dense = mode_probe(chain[1], false, dense_start_links(observed_links_, dyads),
                              observed_links_, dyads);
    return probes;
  }

  // The estimate that reproduces the observed statistics lies where the model is degenerate.
  void degenerate_at(int number, const Vector& theta, const ConvergenceTest& test) {
    result_.end = McmleEnd::degenerate;
    result_.stop_reason = "degenerate";
    result_.estimate = theta;
    result_.best = BestEstimate{number, theta, test.distance, test.max_abs_t};
    result_.covariance = Matrix();
  }

  // Not converged: a full sample drawn afresh from the observed network at the best estimate found
  // decide between degenerate (they pile up near the empty or complete network, split into two
  // modes, or fill the link store) and not converged.
  void judge() {
    const Vector at = best_ ? best_->theta : theta_;
    if (best_) result_.best = *best_;
    result_.estimate = at;
    const int chains = std::max(control_.chains, 1);
    const int networks = (control_.sample_size + chains - 1) / chains * chains;
    fresh_ = true;
    // Four intervals apart: a rarer second mode has time to show.
    const std::int64_t spacing = 4 * interval_;
    const DrawnSample sample = draw(request_at(at, networks, spacing, 900000));
    if (sample.capacity_stop.found) {
      result_.capacity = sample.capacity_stop;
      result_.end = McmleEnd::degenerate;
      return;
    }
    result_.evidence = draw_evidence(sample.links, observed_links_, study_.dyad_count());
    if (!result_.evidence->degenerate()) {
      result_.probes = probe_modes(at, networks / chains, spacing, 0);
    }
    result_.end =
        result_.evidence->degenerate() || (result_.probes && result_.probes->second_mode())
            ? McmleEnd::degenerate
            : McmleEnd::not_converged;
  }

  const Study& study_;
  const Model& model_;
  const McmleControl& control_;
  const SampleSource& source_;
  const McmleProgress& progress_;
  McmleResult result_;
  Vector observed_;  // with missing dyads: their completions' mean at the latest theta
  const std::int64_t observed_links_;
  // With missing dyads: the study whose draws complete the observed network, their source, and
  // the covariance of the latest completions (by coefficient).
  std::optional<Study> completed_study_;
  SampleSource completed_source_;
  bool completed_fresh_ = true;
  std::optional<Matrix> completed_covariance_;
  std::optional<DyadIndependentReference> reference_;
  bool reference_known_ = false;
  Vector theta_;
  Vector last_good_;  // the estimate of the last sample that did not pile up or split
  std::int64_t interval_;
  bool fresh_ = true, approaching_ = true;
  bool accepted_ = false;         // some sample since the start did not pile up or split
  bool last_degenerate_ = false;  // the last sample did
  int halvings_ = 0, steps_of_zero_ = 0, short_steps_ = 0;
  std::vector<bool> recent_degenerate_;  // of each sample since the start stood
  std::optional<BestEstimate> best_;
  // The Monte Carlo error of the estimate when it is a full step from the last sample.
  std::optional<StepNoise> step_noise_;
  std::optional<SampleMoments> step_source_;  // the sample that step_noise_ describes
  const clock_type::time_point began_;
};

}  // namespace

McmleResult fit_mcmle(const Study& study, const Vector& start, McmleStart kind,
                      const McmleControl& control, const SampleSource& source,
                      const McmleProgress& progress) {
  if (const std::string problem = simulation_problem(study); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (start.size() != static_cast<std::size_t>(study.model.coefficient_count())) {
    throw std::invalid_argument("fit_mcmle: one start value per coefficient");
  }
  // Degree bounds make even a dyad-independent model's dyads dependent.
  if (!study.model.curved() && study.model.dyad_independent() &&
      !(study.space && study.space->dependent_dyads())) {
    if (study.missing_dyad_count() > 0) {
      return exact_dyad_independent(observed_dyads_study(study), start, kind);
    }
    return exact_dyad_independent(study, start, kind);
  }
  return McmleRun(study, start, kind, control, source, progress).run();
}

McmleResult fit_mcmle(const Study& study, const Vector& start, McmleStart kind,
                      const McmleControl& control, const McmleProgress& progress) {
  return fit_mcmle(study, start, kind, control, chain_sample_source(study, control), progress);
}

}  // namespace tarn
