#pragma once
// Indexed work spread over the threads of this process or over the processes of an MPI job
// (mpi/): tasks 0..count-1, each a function of its index alone (seeded from the seed and its
// index), whose results come back in index order on every process, so that the work that follows
// them is the same everywhere and the figures do not depend on where a task ran. A result is a
// list of doubles: what an MPI job sends between processes, and what the threads return too, so
// that both ways pass through the same encoding.

#include <cstddef>
#include <exception>
#include <functional>
#include <vector>

namespace tarn {

using TaskResult = std::vector<double>;
using IndexedTask = std::function<TaskResult(int index)>;

class TaskSpread {
 public:
  virtual ~TaskSpread() = default;
  // Runs task(0) .. task(count - 1), this process's share of them on up to `threads` threads, and
  // returns every result in index order. When tasks throw, every one has ended first, and then
  // the exception of the lowest index is thrown (on every process).
  virtual std::vector<TaskResult> run(int count, int threads, const IndexedTask& task) const = 0;
  // Whether this process writes the results and messages: exactly one process of a job does.
  virtual bool writes_results() const = 0;
};

// Every task on the threads of this process; task t on thread t % threads.
class ThreadSpread final : public TaskSpread {
 public:
  std::vector<TaskResult> run(int count, int threads, const IndexedTask& task) const override;
  bool writes_results() const override { return true; }
};

// `spread`'s run, or ThreadSpread's when `spread` is null (no job was given).
std::vector<TaskResult> run_tasks(const TaskSpread* spread, int count, int threads,
                                  const IndexedTask& task);

// Runs the tasks of `indices` (ascending) on up to `threads` threads; results[i] is the result of
// indices[i]. The exceptions of the tasks that threw, in the same places (null where none).
struct LocalRun {
  std::vector<TaskResult> results;
  std::vector<std::exception_ptr> failures;
};
LocalRun run_on_threads(const std::vector<int>& indices, int threads, const IndexedTask& task);

// Reads a task's result back: a cursor over its doubles.
class ResultReader {
 public:
  explicit ResultReader(const TaskResult& values) : values_(values) {}
  double next();
  std::vector<double> next(std::size_t count);

 private:
  const TaskResult& values_;
  std::size_t at_ = 0;
};

}  // namespace tarn
