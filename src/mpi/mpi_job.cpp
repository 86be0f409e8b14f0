#include "mpi/mpi_job.h"

#include <mpi.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "mpi/mpi_spread.h"

namespace tarn {

struct MpiJob::Communicators {
  MPI_Comm tasks = MPI_COMM_NULL;   // the spread's gathers
  MPI_Comm status = MPI_COMM_NULL;  // the agreement on the exit status, apart from them
};

bool launched_by_mpi() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK", "PMI_SIZE"}) {
    if (std::getenv(name) != nullptr) return true;
  }
  return false;
}

MpiJob::MpiJob(int& argc, char**& argv) : communicators_(std::make_unique<Communicators>()) {
  // The tasks run on threads, but only the main thread calls MPI.
  int provided = 0;
  MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &processes_);
  MPI_Comm_dup(MPI_COMM_WORLD, &communicators_->tasks);
  MPI_Comm_dup(MPI_COMM_WORLD, &communicators_->status);
  spread_ = make_mpi_spread(&communicators_->tasks, rank_, processes_);
}

MpiJob::~MpiJob() {
  spread_.reset();
  MPI_Comm_free(&communicators_->tasks);
  MPI_Comm_free(&communicators_->status);
  MPI_Finalize();
}

int MpiJob::agreed_status(int status, const std::string& messages, double patience_seconds) const {
  std::vector<int> statuses(static_cast<std::size_t>(processes_), 0);
  MPI_Request request = MPI_REQUEST_NULL;
  MPI_Iallgather(&status, 1, MPI_INT, statuses.data(), 1, MPI_INT, communicators_->status,
                 &request);
  const auto began = std::chrono::steady_clock::now();
  for (int done = 0;;) {
    MPI_Test(&request, &done, MPI_STATUS_IGNORE);
    if (done != 0) break;
    const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - began;
    if (status != 0 && waited.count() > patience_seconds) {
      if (rank_ != 0) std::cerr << messages << std::flush;
      MPI_Abort(MPI_COMM_WORLD, status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (rank_ != 0 && status != 0 && status != statuses.front()) std::cerr << messages << std::flush;
  for (const int s : statuses) {
    if (s != 0) return s;
  }
  return 0;
}

}  // namespace tarn
