#pragma once
// The processes of an MPI job (mpirun, or srun under Slurm): every process runs the same command
// on the same data, and the tasks of the work that is spread (spread/task_spread.h) are dealt out
// among them, task t to process t % processes, their results gathered on every process in task
// order. The first process (rank 0) writes the results and the messages; the others are silent.
// MPI is started once here and ended here; nothing else in the program holds it.

#include <memory>
#include <string>

#include "spread/task_spread.h"

namespace tarn {

// Whether the environment is that of a process started by an MPI launcher (Open MPI's mpirun,
// or a PMI launcher such as srun). Without one, the program does not start MPI at all.
bool launched_by_mpi();

class MpiJob {
 public:
  MpiJob(int& argc, char**& argv);  // MPI_Init_thread
  ~MpiJob();                        // MPI_Finalize
  MpiJob(const MpiJob&) = delete;
  MpiJob& operator=(const MpiJob&) = delete;

  int rank() const { return rank_; }
  int processes() const { return processes_; }
  const TaskSpread& spread() const { return *spread_; }

  // The job's exit status from every process's own `status`: the first non-zero one in rank
  // order, on every process. `messages`: what this process would have written to standard
  // error. A process other than the first writes them only when its status is not the first
  // process's (a failure of its own). A process that failed and whose partners do not come to
  // agree within `patience_seconds` (they may wait for it to take part in a task) writes its
  // messages and ends the whole job with its status, so that none waits for ever.
  int agreed_status(int status, const std::string& messages, double patience_seconds = 10) const;

 private:
  struct Communicators;
  std::unique_ptr<Communicators> communicators_;
  std::unique_ptr<TaskSpread> spread_;
  int rank_ = 0, processes_ = 1;
};

}  // namespace tarn
