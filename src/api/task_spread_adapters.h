#pragma once
// The library's Processes and the core's TaskSpread as each other: a program hands the library
// its MPI job's spread as Processes, and the library hands the core a TaskSpread over them.

#include "spread/task_spread.h"
#include "tarnwick/processes.h"

namespace tarn {

// The core's spread seen as the library's Processes (the program's MPI job).
class ProcessesOfSpread final : public tarnwick::Processes {
 public:
  explicit ProcessesOfSpread(const TaskSpread& spread) : spread_(spread) {}
  std::vector<std::vector<double>> run(
      int count, int threads, const std::function<std::vector<double>(int)>& task) const override {
    return spread_.run(count, threads, task);
  }
  bool writes_results() const override { return spread_.writes_results(); }

 private:
  const TaskSpread& spread_;
};

// The library's Processes as the core's spread.
class SpreadOfProcesses final : public TaskSpread {
 public:
  explicit SpreadOfProcesses(const tarnwick::Processes& processes) : processes_(processes) {}
  std::vector<TaskResult> run(int count, int threads, const IndexedTask& task) const override {
    return processes_.run(count, threads, task);
  }
  bool writes_results() const override { return processes_.writes_results(); }

 private:
  const tarnwick::Processes& processes_;
};

}  // namespace tarn
