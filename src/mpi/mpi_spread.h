#pragma once
// The spread of tasks over the processes of an MPI job (mpi_job.h): task t on process
// t % processes, on that process's threads; the results, and the failures as a kind and a
// message, gathered to every process in task order.

#include <memory>

#include "spread/task_spread.h"

namespace tarn {

// `communicator`: the MPI_Comm the gathers use (a pointer to it, so that this header does not
// need MPI's), owned by the caller and outliving the spread.
std::unique_ptr<TaskSpread> make_mpi_spread(const void* communicator, int rank, int processes);

}  // namespace tarn
