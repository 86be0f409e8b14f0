#include "spread/task_spread.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <thread>

namespace tarn {

LocalRun run_on_threads(const std::vector<int>& indices, int threads, const IndexedTask& task) {
  const int count = static_cast<int>(indices.size());
  LocalRun run;
  run.results.resize(indices.size());
  run.failures.resize(indices.size());
  const auto work = [&](int first, int step) {
    for (int i = first; i < count; i += step) {
      const auto slot = static_cast<std::size_t>(i);
      try {
        run.results[slot] = task(indices[slot]);
      } catch (...) {
        run.failures[slot] = std::current_exception();
      }
    }
  };
  const int used = std::clamp(threads, 1, std::max(count, 1));
  std::vector<std::thread> workers;
  for (int w = 1; w < used; ++w) workers.emplace_back(work, w, used);
  work(0, used);
  for (std::thread& worker : workers) worker.join();
  return run;
}

std::vector<TaskResult> ThreadSpread::run(int count, int threads, const IndexedTask& task) const {
  std::vector<int> indices(static_cast<std::size_t>(std::max(count, 0)));
  for (int t = 0; t < count; ++t) indices[static_cast<std::size_t>(t)] = t;
  LocalRun local = run_on_threads(indices, threads, task);
  for (const std::exception_ptr& failure : local.failures) {
    if (failure) std::rethrow_exception(failure);
  }
  return std::move(local.results);
}

std::vector<TaskResult> run_tasks(const TaskSpread* spread, int count, int threads,
                                  const IndexedTask& task) {
  if (spread != nullptr) return spread->run(count, threads, task);
  return ThreadSpread().run(count, threads, task);
}

double ResultReader::next() {
  if (at_ >= values_.size()) throw std::logic_error("a task's result is shorter than its reader");
  return values_[at_++];
}

std::vector<double> ResultReader::next(std::size_t count) {
  if (values_.size() - at_ < count) {
    throw std::logic_error("a task's result is shorter than its reader");
  }
  std::vector<double> part(values_.begin() + static_cast<std::ptrdiff_t>(at_),
                           values_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
  at_ += count;
  return part;
}

}  // namespace tarn
