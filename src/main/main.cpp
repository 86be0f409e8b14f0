#include <iostream>
#include <sstream>

#include "cli/command_line.h"
#include "dialogue/main_loop.h"
#ifdef TARNWICK_MPI
#include "api/task_spread_adapters.h"
#include "mpi/mpi_job.h"
#endif

namespace {

#ifdef TARNWICK_MPI
// Under mpirun or srun every process runs the command, fit's tasks spread over them; the first
// writes the results and messages, and the dialogue runs on it alone.
int run_as_mpi_job(int argc, char** argv) {
  tarn::MpiJob job(argc, argv);
  const tarn::ProcessesOfSpread processes(job.spread());
  if (job.rank() == 0) {
    const int status = argc <= 1
                           ? tarn::run_dialogue(std::cin, std::cout)
                           : tarn::run_command_line(argc, argv, std::cout, std::cerr, &processes);
    return job.agreed_status(status, "");
  }
  std::ostream nowhere(nullptr);
  std::ostringstream messages;
  const int status =
      argc <= 1 ? 0 : tarn::run_command_line(argc, argv, nowhere, messages, &processes);
  return job.agreed_status(status, messages.str());
}
#endif

}  // namespace

// Without arguments the dialogue; with arguments the command line.
int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
#ifdef TARNWICK_MPI
  if (tarn::launched_by_mpi()) return run_as_mpi_job(argc, argv);
#endif
  if (argc <= 1) return tarn::run_dialogue(std::cin, std::cout);
  return tarn::run_command_line(argc, argv, std::cout, std::cerr);
}
