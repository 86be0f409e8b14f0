// How fast the sampler mixes, to choose its default interval: fits a model to a network file,
// then draws networks at several intervals (multiples of the link count) and prints the lag-1
// autocorrelation of each statistic between consecutive networks of a chain, with the
// throughput in proposals per second.
//
//   tarnwick_mixing NETWORK MODEL [--networks K] [--multiples 1,2,4,8,16] [--threads T]
//                   [--errors godambe|bootstrap] [--attributes RECORD_FILE]
//   e.g. tarnwick_mixing ../shared/data/email_eu/network.dat 1,2
//        tarnwick_mixing NET "edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(1)"
//                        --attributes ATTR.dat
// MODEL is a list of types or a statnet formula; attributes are named by their number.
// With --errors it prints the standard errors of that method at each interval instead (the
// naive ones first), and the time they took.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mple/pseudo_likelihood.h"
#include "network/attribute_file.h"
#include "network/data_file.h"
#include "network/file_access.h"
#include "network/network_file.h"
#include "network/record_format.h"
#include "simulate/sampler.h"
#include "simulate/simulation_errors.h"

namespace {

std::vector<long> numbers(const std::string& list) {
  std::vector<long> values;
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) values.push_back(std::atol(item.c_str()));
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarn;
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: tarnwick_mixing NETWORK TYPES [--networks K] [--multiples LIST] "
                 "[--threads T]\n");
    return 2;
  }
  int networks = 200, threads = 2;
  std::string errors, attributes_file;
  std::vector<long> multiples = {1, 2, 4, 8, 16};
  for (int k = 3; k + 1 < argc; k += 2) {
    const std::string option = argv[k];
    if (option == "--networks") networks = std::atoi(argv[k + 1]);
    if (option == "--multiples") multiples = numbers(argv[k + 1]);
    if (option == "--threads") threads = std::atoi(argv[k + 1]);
    if (option == "--errors") errors = argv[k + 1];
    if (option == "--attributes") attributes_file = argv[k + 1];
  }
  DataFile file(open_for_reading(argv[1]), argv[1]);
  const Network network = read_network_file(file);
  NodeCovariates covariates;
  TermContext context;
  context.node_count = network.node_count;
  if (!attributes_file.empty()) {
    // As many attributes as the format line has fields after the id.
    std::string line, problem;
    std::getline(*open_for_reading(attributes_file), line);
    const auto format = RecordFormat::parse(line, problem);
    const int count = format ? static_cast<int>(format->integers_per_pass()) - 1 : 1;
    DataFile file(open_for_reading(attributes_file), attributes_file);
    const NodeAttributes attributes = read_attribute_file(file, std::min(count, max_attrs));
    for (int a = 1; a <= attributes.usable_count; ++a) {
      AttributeColumn column{std::to_string(a), {}};
      for (int i = 1; i <= network.node_count; ++i) {
        column.value.push_back(std::to_string(attributes.of(i, a)));
      }
      covariates.columns.push_back(column);
    }
    covariates.node_count = network.node_count;
    context.attributes = &covariates;
  }
  Study data;
  data.network = network;
  data.model = model_of_formula(argv[2], context);
  const Model& model = data.model;
  const auto fit = std::make_unique<FitResult>(fit_pseudo_likelihood(data));
  std::vector<double> coefficients;
  for (int p = 1; p <= model.parameter_count(); ++p) coefficients.push_back(fit->estimate(p));
  std::printf("%d nodes, %d links; estimates", network.node_count, network.link_count);
  for (double b : coefficients) std::printf(" %.4f", b);
  std::printf("\n");
  if (!errors.empty()) {
    std::printf("naive errors:");
    for (int p = 1; p <= model.parameter_count(); ++p)
      std::printf(" %.5f", std::sqrt(fit->covariance(p, p)));
    std::printf("\n");
  }
  for (long multiple : multiples) {
    SamplerSettings settings;
    settings.interval = multiple * std::max<long>(network.link_count, 1024);
    settings.burnin = 4 * settings.interval;
    settings.threads = threads;
    settings.seed = 1;
    const auto start = std::chrono::steady_clock::now();
    if (!errors.empty()) {
      const SimulationErrors e =
          simulation_errors(errors == "godambe" ? ErrorMethod::godambe : ErrorMethod::bootstrap,
                            data, *fit, networks, settings);
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("interval %ld: %s errors", settings.interval, errors.c_str());
      for (int p = 1; p <= model.parameter_count(); ++p)
        std::printf(" %.5f", std::sqrt(e.errors.covariance(p, p)));
      std::printf("; lag-1 autocorrelation");
      for (double r : e.sample.lag1_autocorrelation) std::printf(" %.3f", r);
      std::printf("; %.2f s\n", seconds);
      std::fflush(stdout);
      continue;
    }
    const SampleSummary s = sample_networks(data, coefficients, networks, settings);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("interval %ld (x%ld links): lag-1 autocorrelation", settings.interval, multiple);
    for (double r : s.lag1_autocorrelation) std::printf(" %6.3f", r);
    if (s.capacity_stop.found) {
      std::printf("  FILLED the link store: %lld links after %lld toggles",
                  static_cast<long long>(s.capacity_stop.links),
                  static_cast<long long>(s.capacity_stop.toggles));
    } else if (s.evidence.degenerate()) {
      std::printf("  DEGENERATE draws (%s): %.1f links on average against %lld observed",
                  s.evidence.kind(), s.evidence.mean_links,
                  static_cast<long long>(s.evidence.observed_links));
    }
    std::printf("; %.2f s, %.1f M proposals/s over %d threads, acceptance %.3f\n", seconds,
                s.proposals / seconds / 1e6, threads,
                static_cast<double>(s.accepted) / static_cast<double>(s.proposals));
    std::fflush(stdout);
  }
  return 0;
}
