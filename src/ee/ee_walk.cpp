#include "ee/ee_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "spread/task_spread.h"

namespace tarn {

namespace {

// A task's result as the doubles that pass between processes (the counts are below 2^53).
TaskResult encoded_result(const EeTaskResult& r) {
  TaskResult values{static_cast<double>(r.proposals),
                    static_cast<double>(r.accepted),
                    r.filled ? 1.0 : 0.0,
                    r.autocorrelation_updates,
                    static_cast<double>(r.updates),
                    static_cast<double>(r.averaged_updates)};
  values.insert(values.end(), r.mean.begin(), r.mean.end());
  return values;
}

EeTaskResult decoded_result(const TaskResult& values, std::size_t coefficients) {
  ResultReader reader(values);
  EeTaskResult r;
  r.proposals = static_cast<std::int64_t>(reader.next());
  r.accepted = static_cast<std::int64_t>(reader.next());
  r.filled = reader.next() != 0.0;
  r.autocorrelation_updates = reader.next();
  r.updates = static_cast<std::int64_t>(reader.next());
  r.averaged_updates = static_cast<std::int64_t>(reader.next());
  r.mean = reader.next(coefficients);
  return r;
}

// The spread at `theta`: exact, or measured on draws of the chain held there, at least
// `least` of them and more while they hold fewer than 16 effective draws (up to 256 times as
// many: a chain that remembers hundreds of updates), telling `going_on` each time. A hold grows
// to what the memory measured so far asks (a tenth more, as a shorter run measures it shorter),
// at most doubled: at 10^5 nodes 12800 updates held 15.1 effective draws, and doubling them would
// have cost a quarter of an hour more than the 15000 asked.
StatisticSpread held_spread(const EeDrawSource& source, const Vector& observed, const Vector& theta,
                            int least, std::int64_t& updates,
                            const std::function<void(const HoldNews&)>& going_on) {
  if (source.exact_spread) return source.exact_spread(theta);
  std::vector<Vector> draws;
  const std::size_t step = std::size_t(std::max(least, 2)), most = 256 * step;
  std::size_t wanted = step;
  StatisticSpread spread;
  while (true) {
    while (draws.size() < wanted && !source.filled()) draws.push_back(source.next(theta));
    spread = measured_spread(draws, observed, source.held);
    if (spread.effective_draws >= hold_effective_draws || wanted >= most || source.filled()) break;
    std::size_t next = 2 * wanted;
    if (spread.effective_draws > 0.0) {
      const double asked =
          1.1 * hold_effective_draws * double(draws.size()) / spread.effective_draws;
      const auto steps = static_cast<std::size_t>(std::ceil(asked / double(step)));
      next = std::clamp(steps * step, wanted + step, 2 * wanted);
    }
    next = std::min(next, most);
    going_on({std::int64_t(wanted), spread.effective_draws, std::int64_t(next)});
    wanted = next;
  }
  updates += std::int64_t(draws.size());
  return spread;
}

// Updates with Newton steps of `gain`, adding the coefficients to `sum` (when given).
void step(const EeDrawSource& source, const StatisticSpread& spread, double gain,
          std::int64_t count, const Vector& observed, Vector& theta, Vector* sum,
          std::int64_t& updates) {
  for (std::int64_t u = 0; u < count && !source.filled(); ++u, ++updates) {
    newton_step(spread.steps, gain, observed, source.next(theta), theta);
    if (sum) {
      for (std::size_t k = 0; k < theta.size(); ++k) (*sum)[k] += theta[k];
    }
  }
}

std::int64_t one_over(double gain) {
  return static_cast<std::int64_t>(std::ceil(1.0 / std::min(gain, 1.0)));
}

}  // namespace

// A task: the spread at the start for the first steps; gains of 0.08 down to 0.01 per update,
// halved after each e-fold of the distance to the estimate; the chain held there to measure its
// spread and memory; then gain / (its autocorrelation time), two e-folds to settle and as many
// updates as the effective draws asked of this task take to average. Where the first
// `scale_updates` held fewer than 16 effective draws, the chain remembers too long for per-update
// gains, which would follow its noise (at 10^5 nodes, hundreds of updates): it is held at the start
// until 16 effective draws, and a Newton step from their mean approaches instead, another from
// the draws held near the estimate.
EeTaskResult walk_task(const EeDrawSource& source, const Vector& observed, const Vector& start,
                       const EeSettings& s, EeTaskNews news, const EeProgress& progress) {
  EeTaskResult r;
  Vector theta = start;
  const auto holding_on = [&](bool near_estimate) {
    return [&news, &progress, near_estimate](const HoldNews& hold) {
      EeTaskNews told = news;
      told.hold = hold;
      told.held_near_estimate = near_estimate;
      if (progress) progress(told);
    };
  };
  StatisticSpread spread =
      held_spread(source, observed, theta, s.scale_updates, r.updates, holding_on(false));
  const bool remembers_long = r.updates > std::max(s.scale_updates, 2);
  if (!remembers_long) {
    for (double gain = 0.08; gain >= 0.01; gain /= 2.0) {
      step(source, spread, gain, one_over(gain), observed, theta, nullptr, r.updates);
    }
  } else if (!spread.mean.empty()) {
    newton_step(spread.steps, 1.0, observed, spread.mean, theta);
  }
  spread = held_spread(source, observed, theta, s.scale_updates, r.updates, holding_on(true));
  // The held draws began where the chain relaxed from the observed network, so the first step
  // fell short; the second, from draws held near the estimate, closes most of the rest.
  // (No mean when the chain filled the link store before two draws: the result is not used.)
  if (remembers_long && !spread.mean.empty()) {
    newton_step(spread.steps, 1.0, observed, spread.mean, theta);
  }
  r.autocorrelation_updates = spread.autocorrelation_updates;
  const double gain = s.gain / spread.autocorrelation_updates;
  const double tasks = std::max(1, s.tasks);
  const std::int64_t wanted =
      std::max<std::int64_t>({std::int64_t(s.updates), 1,
                              static_cast<std::int64_t>(std::ceil(
                                  s.effective_draws * spread.autocorrelation_updates / tasks))});
  news.autocorrelation_updates = spread.autocorrelation_updates;
  news.settling_updates = 2 * one_over(gain);
  news.averaging_updates = wanted;
  if (progress) progress(news);
  step(source, spread, gain, news.settling_updates, observed, theta, nullptr, r.updates);
  r.mean.assign(theta.size(), 0.0);
  const std::int64_t before = r.updates;
  step(source, spread, gain, wanted, observed, theta, &r.mean, r.updates);
  r.averaged_updates = std::max<std::int64_t>(r.updates - before, 1);
  for (double& v : r.mean) v /= double(r.averaged_updates);
  r.filled = source.filled();
  news.ended = true;
  if (progress) progress(news);
  return r;
}

namespace {

EeResult combined(const std::vector<EeTaskResult>& results, std::size_t p) {
  EeResult out;
  const auto tasks = static_cast<double>(results.size());
  out.estimate.assign(p, 0.0);
  out.task_spread.assign(p, std::numeric_limits<double>::quiet_NaN());
  out.autocorrelation_updates = 0.0;
  for (const EeTaskResult& r : results) {
    out.task_estimates.push_back(r.mean);
    for (std::size_t k = 0; k < p; ++k) out.estimate[k] += r.mean[k] / tasks;
    out.autocorrelation_updates += r.autocorrelation_updates / tasks;
    out.updates += r.updates;
    out.averaged_updates += r.averaged_updates;
    out.effective_draws += double(r.averaged_updates) / r.autocorrelation_updates;
    out.proposals += r.proposals;
    out.accepted += r.accepted;
    out.filled = out.filled || r.filled;
  }
  if (results.size() > 1) {
    for (std::size_t k = 0; k < p; ++k) {
      double square = 0.0;
      for (const EeTaskResult& r : results) square += std::pow(r.mean[k] - out.estimate[k], 2);
      out.task_spread[k] = std::sqrt(square / (tasks - 1) / tasks);
    }
  }
  return out;
}

}  // namespace

EeResult run_ee_tasks(const EeSettings& settings, std::size_t p,
                      const std::function<EeTaskResult(int task)>& task) {
  const std::vector<TaskResult> encoded =
      run_tasks(settings.spread, std::max(1, settings.tasks), settings.threads,
                [&](int k) { return encoded_result(task(k)); });
  std::vector<EeTaskResult> results;
  for (const TaskResult& values : encoded) results.push_back(decoded_result(values, p));
  return combined(results, p);
}

}  // namespace tarn
