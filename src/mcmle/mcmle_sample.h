#pragma once
// Where maximum likelihood by MCMC gets its networks: a sample source, passed in as a function,
// so that each step of the estimator can be tested against a source that draws from the exact
// distribution (every network of 4 or 5 nodes enumerated), and the estimator never calls the
// sampler itself.

#include <cstdint>
#include <functional>
#include <vector>

#include "mcmle/mcmle_control.h"
#include "model/study.h"
#include "numeric/matrix.h"
#include "simulate/sampler.h"

namespace tarn {

struct SampleRequest {
  Vector eta;  // the canonical parameters, one per statistic
  int networks = 0;
  std::int64_t burnin = 0, interval = 0;
  std::uint64_t stream = 0;  // seeds the chains with (seed, stream)
  bool fresh = false;        // chains start at the observed network, not where they stopped
  // Two chains apart from the warm ones (which stay where they are), the probes for a second
  // mode (ModeProbe): chain 0 started at the empty network, chain 1 at a denser one
  // (denser_start_links).
  bool probe = false;
};

struct DrawnSample {
  std::vector<Vector> statistics;   // [network][statistic], network k of chain k % chains
  std::vector<std::int64_t> links;  // [network]
  int chains = 1;
  std::int64_t proposals = 0, accepted = 0;
  double seconds = 0.0;
  CapacityStop capacity_stop;  // a chain filled the link store: no networks
};

using SampleSource = std::function<DrawnSample(const SampleRequest&)>;

// The sampler's chains (simulate/sampler.h) with `control`'s chains, threads and seed, each
// warm-started where the last request left it unless the request is fresh.
SampleSource chain_sample_source(const Study& study, const McmleControl& control);

}  // namespace tarn
