// Reads a network, fits a formula and prints the edges coefficient: the library as another
// program sees it.
#include <cstdio>
#include <exception>
#include <string>

#include "tarnwick/tarnwick.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  try {
    tarnwick::ReadOptions read;
    read.network_path = argv[1];
    read.undirected = true;
    const tarnwick::Network network = tarnwick::read_network(read);
    const tarnwick::Estimate estimate = tarnwick::fit(network, "edges + kstar(2)");
    std::printf("%s %s %.6f %.6f\n", estimate.method.c_str(), estimate.outcome.c_str(),
                estimate.coefficients.at(0).estimate, estimate.coefficients.at(0).std_error);
    // The texts, written from the numbers.
    if (tarnwick::fit_json(estimate).find("\"parameters\"") == std::string::npos) return 1;
    try {
      tarnwick::summary(network, "edges + nosuchterm");
    } catch (const tarnwick::ModelError& e) {
      std::printf("ModelError\n");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
