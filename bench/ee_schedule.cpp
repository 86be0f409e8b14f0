// Equilibrium expectation with the settings the command line does not take (the proposals between
// updates), through the library: where a chain that remembers hundreds of updates can be made of
// a network of 1000 nodes, so that its schedule is measured in minutes rather than hours (README,
// "Large networks"). Prints the fit's JSON.
//
//   tarnwick_ee_schedule NETWORK ATTRIBUTES FORMULA PROPOSALS_PER_UPDATE [TASKS] [SEED] [THREADS]

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tarnwick/fit.h"
#include "tarnwick/network.h"
#include "tarnwick/reporting.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: %s NETWORK ATTRIBUTES FORMULA PROPOSALS_PER_UPDATE [TASKS] [SEED] "
                 "[THREADS]\n",
                 argv[0]);
    return 2;
  }
  try {
    tarnwick::ReadOptions read;
    read.network_path = argv[1];
    read.attributes_path = argv[2];
    const tarnwick::Network network = tarnwick::read_network(read);
    tarnwick::FitSettings settings;
    settings.method = "ee";
    settings.equilibrium.proposals_per_update = std::stoll(argv[4]);
    if (argc > 5) settings.equilibrium.tasks = std::stoi(argv[5]);
    if (argc > 6) settings.seed = std::stoull(argv[6]);
    settings.threads = argc > 7 ? std::stoi(argv[7]) : 2;
    const tarnwick::Estimate estimate = tarnwick::fit(network, argv[3], settings);
    std::fputs(tarnwick::fit_json(estimate).c_str(), stdout);
    return estimate.converged ? 0 : 4;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
