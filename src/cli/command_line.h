#pragma once
// The command line: tarnwick fit | simulate | gof NETWORK [options], tarnwick --help,
// tarnwick --version. (Without arguments the program runs the dialogue instead; see main.)

#include <ostream>

namespace tarnwick {
class Processes;
}

namespace tarn {

inline constexpr const char* tarnwick_version = "2.0.0";

// Parses the arguments and runs the command. Returns the exit status (exit_status.h); messages go
// to `err`, results and help to `out`. `processes`: those of an MPI job that fit's tasks are
// spread over (null: this process's threads). A process that does not write the results takes
// part in fit only; the other commands run on the writing process alone.
int run_command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                     const tarnwick::Processes* processes = nullptr);

}  // namespace tarn
