#pragma once
// A task of equilibrium expectation over any source of draws (a chain of binary networks, of
// networks of counts, or exact draws), and the tasks run over threads and processes and combined
// in task order.

#include <cstdint>
#include <functional>

#include "ee/equilibrium_expectation.h"
#include "ee/newton_steps.h"

namespace tarn {

// Where a task's draws come from: a chain walking some proposals per update at the current
// coefficients, or exact draws, whose spread is known in closed form.
struct EeDrawSource {
  std::function<Vector(const Vector& theta)> next;  // one update's statistics
  std::function<bool()> filled;                     // a chain passed the link capacity
  // The exact spread at `theta`; none for a chain, whose spread is measured on its draws.
  std::function<StatisticSpread(const Vector& theta)> exact_spread;
  HeldStatistics held;  // the offsets' statistics, whose coefficients the steps leave
};

struct EeTaskResult {
  Vector mean;  // of the coefficients over the averaging phase
  double autocorrelation_updates = 1.0;
  std::int64_t updates = 0, averaged_updates = 0;
  std::int64_t proposals = 0, accepted = 0;
  bool filled = false;
};

// One task from `start` towards the coefficients whose expected statistics are `observed`.
EeTaskResult walk_task(const EeDrawSource& source, const Vector& observed, const Vector& start,
                       const EeSettings& settings, EeTaskNews news, const EeProgress& progress);

// settings.tasks tasks (over settings.threads and settings.spread), `task(k)` running task k,
// combined in task order into p coefficients.
EeResult run_ee_tasks(const EeSettings& settings, std::size_t p,
                      const std::function<EeTaskResult(int task)>& task);

}  // namespace tarn
