#pragma once
// The processes that a fit's tasks are spread over, such as those of an MPI job: a program that
// runs the same command on several processes hands one to the settings. Without one the tasks
// run on the threads of this process.

#include <functional>
#include <vector>

namespace tarnwick {

class Processes {
 public:
  virtual ~Processes() = default;
  // Runs task(0) .. task(count - 1), this process's share of them on up to `threads` threads,
  // and returns every task's numbers in index order, on every process. When tasks throw, every
  // one has ended first, and then the exception of the lowest index is thrown (on every process).
  virtual std::vector<std::vector<double>> run(
      int count, int threads, const std::function<std::vector<double>(int index)>& task) const = 0;
  // Whether this process writes the results and messages: exactly one process of a job does.
  virtual bool writes_results() const = 0;
};

}  // namespace tarnwick
