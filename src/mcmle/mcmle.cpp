#include "mcmle/mcmle.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "fit/fit_warnings.h"
#include "fit/gaussj.h"
#include "fit/pseudo_likelihood.h"
#include "mcmle/step_length.h"
#include "simulate/random_stream.h"
#include "simulate/sample_spread.h"

namespace tarn {

namespace {

using Vector = std::vector<double>;
using clock_type = std::chrono::steady_clock;

constexpr int max_halvings = 4;
constexpr int max_steps_of_zero = 3;
// Steps this short (of the way to the observed statistics), this many iterations in a row, are a
// crawl: the observed statistics lie far outside every sample, and the fit would spend all its
// iterations (hours on a large network) without reaching them.
constexpr double short_step = 0.05;
constexpr int max_short_steps = 20;
// The interval grows while the slowest statistic's effective sample size is below this share of
// the networks drawn.
constexpr double least_effective_share = 0.25;
// ... but not from a sample this far from the observed statistics (some |t| above it): there the
// sample only points the way, the autocorrelation of networks so unlike the observed one says
// nothing of the sampling near the estimate, and a longer interval costs most where it helps
// least (a model that runs away would take minutes to say so).
constexpr double distant_t = 10.0;
// Far from the observed statistics (some |t| above 1) a quarter of the sample suffices to find
// the direction; the full sample is drawn from then on, and only it can end the fit.
constexpr double approach_t = 1.0;
// A step is halved until at least this share of the sample's importance weight speaks for its
// end: the sample says little about coefficients beyond that (where the log-normal
// approximation's step would go for a statistic that hardly varies).
constexpr double least_weight_share = 0.1;

double seconds_since(clock_type::time_point start) {
  return std::chrono::duration<double>(clock_type::now() - start).count();
}

// The inverse of the covariance over the statistics that vary (zeros elsewhere); false when it
// cannot be inverted.
bool inverse_over_varying(const SampleMoments& m, ParamMatrix& inverse) {
  const int p = static_cast<int>(m.mean.size());
  std::vector<int> varying;
  for (int s = 0; s < p; ++s) {
    if (m.sd[std::size_t(s)] > 0.0) varying.push_back(s);
  }
  const int q = static_cast<int>(varying.size());
  // The correlations are inverted, not the covariances: statistics whose spreads differ by many
  // orders of magnitude (a gw degree term near its maximum beside the edges) would make the
  // elimination's pivots look singular by scale alone.
  const auto sd = [&](int a) { return m.sd[std::size_t(varying[std::size_t(a)])]; };
  ParamMatrix sub;
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b < q; ++b) {
      sub(a + 1, b + 1) =
          m.covariance(varying[std::size_t(a)] + 1, varying[std::size_t(b)] + 1) / (sd(a) * sd(b));
    }
  }
  if (q > 0 && !gaussj(sub, q)) return false;
  inverse = ParamMatrix{};
  for (int a = 0; a < q; ++a) {
    for (int b = 0; b < q; ++b) {
      inverse(varying[std::size_t(a)] + 1, varying[std::size_t(b)] + 1) =
          sub(a + 1, b + 1) / (sd(a) * sd(b));
    }
  }
  return true;
}

Vector times(const ParamMatrix& a, const Vector& x) {
  const int p = static_cast<int>(x.size());
  Vector y(x.size(), 0.0);
  for (int r = 1; r <= p; ++r) {
    double sum = 0.0;
    for (int c = 1; c <= p; ++c) sum += a(r, c) * x[std::size_t(c - 1)];
    y[std::size_t(r - 1)] = sum;
  }
  return y;
}

// The covariance of the sample mean, each statistic's variance scaled by its autocorrelation
// time.
ParamMatrix mean_covariance(const SampleMoments& m) {
  const int p = static_cast<int>(m.mean.size());
  ParamMatrix v;
  for (int s = 1; s <= p; ++s) {
    for (int t = 1; t <= p; ++t) {
      v(s, t) = m.covariance(s, t) *
                std::sqrt(m.autocorrelation_time[std::size_t(s - 1)] *
                          m.autocorrelation_time[std::size_t(t - 1)]) /
                static_cast<double>(m.networks);
    }
  }
  return v;
}

// The share of the sample that still speaks for theta + step: the effective size of the
// importance weights exp(step . g_k), over the number of networks.
double weight_share(const std::vector<Vector>& sample, const Vector& step) {
  std::vector<double> log_weight;
  log_weight.reserve(sample.size());
  double largest = -std::numeric_limits<double>::infinity();
  for (const Vector& g : sample) {
    double v = 0.0;
    for (std::size_t k = 0; k < step.size(); ++k) v += step[k] * g[k];
    log_weight.push_back(v);
    largest = std::max(largest, v);
  }
  double sum = 0.0, squares = 0.0;
  for (double v : log_weight) {
    const double w = std::exp(v - largest);
    sum += w;
    squares += w * w;
  }
  return sum * sum / squares / static_cast<double>(sample.size());
}

ParamMatrix sandwich(const ParamMatrix& a, const ParamMatrix& v, int p) {
  ParamMatrix av, result;
  for (int r = 1; r <= p; ++r)
    for (int c = 1; c <= p; ++c) {
      double sum = 0.0;
      for (int k = 1; k <= p; ++k) sum += a(r, k) * v(k, c);
      av(r, c) = sum;
    }
  for (int r = 1; r <= p; ++r)
    for (int c = 1; c <= p; ++c) {
      double sum = 0.0;
      for (int k = 1; k <= p; ++k) sum += av(r, k) * a(k, c);
      result(r, c) = sum;
    }
  return result;
}

// A sampler run of the estimator, its toggles and time counted.
struct Sampling {
  const Study& study;
  const McmleSettings& settings;
  std::int64_t toggles = 0;
  double seconds = 0.0;

  // Networks drawn at the canonical parameters `eta` (one per statistic).
  SampleSummary draw(const Vector& eta, int networks, std::int64_t burnin, std::int64_t interval,
                     std::uint64_t stream, ChainStates& states) {
    SamplerSettings s;
    s.burnin = burnin;
    s.interval = interval;
    s.chains = settings.chains;
    s.threads = settings.threads;
    s.seed = mix_seed(settings.seed, stream);
    const auto start = clock_type::now();
    SampleSummary sample =
        sample_networks(study, eta, networks, s, {}, nullptr, tie_no_tie_ratio, &states);
    seconds += seconds_since(start);
    toggles += sample.proposals;
    return sample;
  }
};

// log-likelihood at `estimate` = that of the reference + the integral along the straight path of
// the canonical parameters, of (eta(estimate) - eta(reference)) . (observed - E[g]), by the
// midpoint rule over the bridges, each mean from networks drawn at its point (path sampling, as
// the established tool's bridge sampling).
std::optional<double> bridged_log_likelihood(Sampling& sampling, const Vector& estimate,
                                             ChainStates states, std::int64_t interval) {
  const McmleSettings& settings = sampling.settings;
  const Model& model = sampling.study.model;
  const auto reference = dyad_independent_reference(sampling.study);
  if (!reference || settings.bridges < 1) return std::nullopt;
  const Vector observed = model.network_statistics(sampling.study.graph());
  const Vector from = model.canonical(reference->coefficients), to = model.canonical(estimate);
  const std::size_t p = from.size();
  Vector direction(p);
  for (std::size_t k = 0; k < p; ++k) direction[k] = to[k] - from[k];
  double rise = 0.0;
  // From the estimate's end, where the chains stand, towards the reference.
  for (int b = settings.bridges - 1; b >= 0; --b) {
    const double u = (b + 0.5) / settings.bridges;
    Vector eta(p);
    for (std::size_t k = 0; k < p; ++k) eta[k] = from[k] + u * direction[k];
    const SampleSummary sample = sampling.draw(eta, settings.bridge_sample, 4 * interval, interval,
                                               1000000 + static_cast<std::uint64_t>(b), states);
    if (sample.degeneracy.found) return std::nullopt;
    for (std::size_t k = 0; k < p; ++k) {
      rise += direction[k] * (observed[k] - column_spread(sample.statistics, k).mean) /
              settings.bridges;
    }
  }
  return reference->log_likelihood + rise;
}

// The statistics as the estimating equations of the coefficients see them: J' g, J the Jacobian
// of the canonical parameters at theta. A linear model's are the statistics themselves.
struct Projection {
  const Model& model;
  std::vector<double> jacobian;  // statistics by coefficients
  int statistics = 0, coefficients = 0;

  Projection(const Model& m, const Vector& theta)
      : model(m), statistics(m.parameter_count()), coefficients(m.coefficient_count()) {
    if (m.curved()) jacobian = m.canonical_jacobian(theta);
  }
  Vector operator()(const Vector& g) const {
    if (jacobian.empty()) return g;
    Vector h(static_cast<std::size_t>(coefficients), 0.0);
    for (int s = 0; s < statistics; ++s) {
      const double value = g[static_cast<std::size_t>(s)];
      if (value == 0.0) continue;
      for (int c = 0; c < coefficients; ++c) {
        h[static_cast<std::size_t>(c)] +=
            jacobian[static_cast<std::size_t>(s * coefficients + c)] * value;
      }
    }
    return h;
  }
  std::vector<Vector> operator()(const std::vector<Vector>& sample) const {
    if (jacobian.empty()) return sample;
    std::vector<Vector> projected;
    projected.reserve(sample.size());
    for (const Vector& g : sample) projected.push_back((*this)(g));
    return projected;
  }
};

}  // namespace

std::optional<DyadIndependentReference> dyad_independent_reference(const Study& study) {
  DyadIndependentReference reference;
  // The dependent terms' coefficients 0 (a curved term's weight; its decay as written).
  reference.coefficients =
      study.model.start_from_fixed(std::vector<double>(std::size_t(study.model.parameter_count())));
  Study independent = study.with_network(study.network);
  independent.model.terms.clear();
  independent.model.kernel.reset();
  std::vector<int> first;  // the first coefficient of each kept term in the whole model
  for (int t = 0; t < study.model.term_count(); ++t) {
    const TermPointer& term = study.model.terms[static_cast<std::size_t>(t)];
    if (!term->dyad_independent()) continue;
    independent.model.terms.push_back(term);
    first.push_back(study.model.first_coefficient(t));
  }
  if (independent.model.terms.empty()) {
    // Every network equally likely: log 2^-dyads.
    reference.log_likelihood = -static_cast<double>(study.dyad_count()) * std::log(2.0);
    return reference;
  }
  const FitResult fit = fit_pseudo_likelihood(independent);
  if (fit.end != FitEnd::completed || !std::isfinite(fit.loglik)) return std::nullopt;
  int k = 1;
  for (std::size_t t = 0; t < independent.model.terms.size(); ++t) {
    for (int s = 0; s < independent.model.terms[t]->statistic_count(); ++s) {
      reference.coefficients[static_cast<std::size_t>(first[t] + s)] = fit.estimate(k++);
    }
  }
  reference.log_likelihood = fit.loglik;
  return reference;
}

McmleResult fit_mcmle(const Study& study, const Vector& start, McmleStart start_kind,
                      const McmleSettings& settings, const McmleProgress& progress) {
  if (const std::string problem = simulation_problem(study); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  const auto began = clock_type::now();
  const Model& model = study.model;
  const int p = model.coefficient_count();
  if (start.size() != static_cast<std::size_t>(p)) {
    throw std::invalid_argument("fit_mcmle: one start value per coefficient");
  }
  McmleResult result;
  result.start = start_kind;
  const Vector observed = model.network_statistics(study.graph());
  Sampling sampling{study, settings};
  // Twice the links, at most half the dyads (the measured mixing of the advice network's gw
  // models), at least 256; doubled below while consecutive networks stay strongly correlated.
  std::int64_t interval =
      settings.interval > 0
          ? settings.interval
          : std::max<std::int64_t>(
                256, std::min<std::int64_t>(2 * study.network.link_count, study.dyad_count() / 2));
  Vector theta = start, previous = start;
  ChainStates states, previous_states;
  bool fresh_chains = true, approaching = true;
  int halvings = 0, steps_of_zero = 0, short_steps = 0;
  bool drawn = false;  // some sample since the start stayed near the observed network
  const std::int64_t first_interval = interval;
  // Once only, from the pseudo-likelihood start: on to the dyad-independent estimate.
  const auto restart_at_reference = [&]() {
    if (result.start != McmleStart::pseudo_likelihood) return false;
    const auto reference = dyad_independent_reference(study);
    if (!reference) return false;
    result.start = McmleStart::dyad_independent;
    result.start_share = 0.0;
    theta = previous = reference->coefficients;
    states = ChainStates{};
    fresh_chains = approaching = true;
    halvings = steps_of_zero = short_steps = 0;
    drawn = false;
    return true;
  };
  // Before any sample stayed, from the pseudo-likelihood start: halfway towards the
  // dyad-independent estimate, up to four times; its dependence coefficients keep the share the
  // result gives.
  std::optional<DyadIndependentReference> reference;
  const auto shrink_towards_reference = [&]() {
    if (drawn || result.start != McmleStart::pseudo_likelihood) return false;
    if (result.start_share <= std::ldexp(1.0, -max_halvings)) return false;
    if (!reference) reference = dyad_independent_reference(study);
    if (!reference) return false;
    for (int k = 0; k < p; ++k) {
      theta[std::size_t(k)] =
          0.5 * (theta[std::size_t(k)] + reference->coefficients[std::size_t(k)]);
    }
    previous = theta;
    result.start_share *= 0.5;
    states = ChainStates{};
    fresh_chains = approaching = true;
    return true;
  };

  for (int number = 1; number <= settings.max_iterations; ++number) {
    result.iterations = number;
    const std::int64_t burnin = (fresh_chains ? 16 : 4) * interval;
    const int networks =
        approaching ? std::max(64, settings.sample_size / 4) : settings.sample_size;
    const SampleSummary sample = sampling.draw(model.canonical(theta), networks, burnin, interval,
                                               static_cast<std::uint64_t>(number), states);
    McmleIteration iteration;
    iteration.number = number;
    iteration.theta = theta;
    iteration.interval = interval;
    iteration.toggles = sample.proposals;
    if (sample.degeneracy.found) {
      iteration.ran_away = true;
      short_steps = 0;  // the halvings and the degeneracy check take it from here
      iteration.seconds = seconds_since(began);
      result.history.push_back(iteration);
      if (progress) progress(iteration);
      if (drawn && halvings < max_halvings) {
        ++halvings;
        for (int k = 0; k < p; ++k) {
          theta[std::size_t(k)] = 0.5 * (theta[std::size_t(k)] + previous[std::size_t(k)]);
        }
        states = previous_states;
        continue;
      }
      // The networks run away at the pseudo-likelihood start: a start nearer the
      // dyad-independent estimate. They run away there too, or wherever the first steps go (a
      // start in a region of two modes): begin again at that estimate itself.
      const Degeneracy first = result.start_runaway.value_or(sample.degeneracy);
      if (shrink_towards_reference() || restart_at_reference()) {
        result.start_runaway = first;
        continue;
      }
      result.end = McmleEnd::degenerate;
      result.degeneracy = sample.degeneracy;
      result.estimate = theta;
      break;
    }
    fresh_chains = false;
    drawn = true;
    const Projection project(model, theta);
    const std::vector<Vector> projected = project(sample.statistics);
    result.observed = project(observed);
    const SampleMoments moments = sample_moments(projected, settings.chains);
    const ConvergenceTest test = convergence_test(moments, result.observed);
    const double gamma =
        hull_step_length(projected, moments.mean, moments.sd, result.observed, settings.margin);
    iteration.step = gamma;
    iteration.max_abs_t = test.max_abs_t;
    iteration.p_value = test.p_value;
    iteration.seconds = seconds_since(began);
    result.history.push_back(iteration);
    if (progress) progress(iteration);
    result.final_test = test;
    result.final_moments = moments;
    ParamMatrix inverse;
    if (!inverse_over_varying(moments, inverse)) {
      result.end = McmleEnd::no_progress;
      result.estimate = theta;
      break;
    }
    Vector gap(static_cast<std::size_t>(p));
    for (int k = 0; k < p; ++k) {
      gap[std::size_t(k)] = result.observed[std::size_t(k)] - moments.mean[std::size_t(k)];
    }
    const Vector step = times(inverse, gap);
    // Only a full sample ends the fit, and only one of enough effective networks: too few would
    // give unreliable errors, and lengthen the interval instead.
    const bool converged = !approaching && gamma >= 1.0 && test.max_abs_t < settings.t_tolerance &&
                           test.p_value >= settings.p_level &&
                           test.effective_size >= least_effective_share * networks;
    if (converged) {
      result.end = McmleEnd::converged;
      result.estimate = theta;
      for (int k = 0; k < p; ++k) result.estimate[std::size_t(k)] += step[std::size_t(k)];
      result.fisher_inverse = inverse;
      const ParamMatrix monte_carlo = sandwich(inverse, mean_covariance(moments), p);
      for (int r = 1; r <= p; ++r) {
        for (int c = 1; c <= p; ++c) {
          result.covariance(r, c) = inverse(r, c) + monte_carlo(r, c);
        }
        const double total = result.covariance(r, r);
        result.mcmc_error_percent.push_back(total > 0.0 ? 100.0 * monte_carlo(r, r) / total : 0.0);
      }
      result.final_sample = projected;
      result.final_chains = settings.chains;
      result.log_likelihood = bridged_log_likelihood(sampling, result.estimate, states,
                                                     std::max(first_interval, interval / 4));
      break;
    }
    steps_of_zero = gamma > 0.0 ? 0 : steps_of_zero + 1;
    // A pseudo-likelihood estimate at the edge of the space (a statistic that the networks drawn
    // there never vary) gives no direction: the dyad-independent estimate may.
    if (steps_of_zero >= max_steps_of_zero && restart_at_reference()) {
      result.start_stuck = true;
      continue;
    }
    short_steps = gamma > 0.0 && gamma < short_step ? short_steps + 1 : 0;
    if (steps_of_zero >= max_steps_of_zero || short_steps >= max_short_steps) {
      result.end = McmleEnd::no_progress;
      result.estimate = theta;
      result.final_sample = projected;
      result.final_chains = settings.chains;
      break;
    }
    previous = theta;
    previous_states = states;
    Vector move(static_cast<std::size_t>(p));
    for (int k = 0; k < p; ++k) move[std::size_t(k)] = gamma * step[std::size_t(k)];
    // The share is of the canonical parameters' own change, so that a curved model's step is
    // held where the sample still speaks for its end, however far from linear the map.
    const Vector eta = model.canonical(theta);
    const auto share_of = [&](const Vector& m) {
      if (!model.curved()) return weight_share(sample.statistics, m);
      Vector to = theta;
      for (int k = 0; k < p; ++k) to[std::size_t(k)] += m[std::size_t(k)];
      Vector change = model.canonical(to);
      for (std::size_t s = 0; s < change.size(); ++s) change[s] -= eta[s];
      return weight_share(sample.statistics, change);
    };
    // Nor does a step take a decay below 0.
    const Vector least = model.least_coefficients();
    const auto inside = [&](const Vector& m) {
      for (int k = 0; k < p; ++k) {
        if (theta[std::size_t(k)] + m[std::size_t(k)] < least[std::size_t(k)]) return false;
      }
      return true;
    };
    for (int cut = 0; cut < 30 && (!inside(move) || share_of(move) < least_weight_share); ++cut) {
      for (double& v : move) v *= 0.5;
    }
    for (int k = 0; k < p; ++k) {
      move[std::size_t(k)] =
          std::max(move[std::size_t(k)], least[std::size_t(k)] - theta[std::size_t(k)]);
    }
    for (int k = 0; k < p; ++k) theta[std::size_t(k)] += move[std::size_t(k)];
    halvings = 0;
    // Too few effective networks for the slowest statistic: a longer interval next time, by the
    // factor its autocorrelation time says would suffice, with a fifth to spare (at least 1.25,
    // at most 8). A power of 2 would overshoot by up to twice, and the last samples, the
    // longest, cost that twice.
    if (settings.interval <= 0 && test.max_abs_t <= distant_t &&
        test.effective_size < least_effective_share * networks) {
      const double needed = least_effective_share * networks / std::max(test.effective_size, 1.0);
      const double factor = std::clamp(1.2 * needed, 1.25, 8.0);
      interval = static_cast<std::int64_t>(std::ceil(static_cast<double>(interval) * factor));
    }
    if (test.max_abs_t < approach_t) approaching = false;
    if (number == settings.max_iterations) {
      result.end = McmleEnd::iteration_limit;
      result.estimate = previous;
      result.final_sample = projected;
      result.final_chains = settings.chains;
    }
  }
  result.toggles = sampling.toggles;
  result.sampler_seconds = sampling.seconds;
  result.seconds = seconds_since(began);
  return result;
}

}  // namespace tarn
