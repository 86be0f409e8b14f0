#pragma once
// The goodness-of-fit check that gof makes, for the command line and the library alike: networks
// drawn from the model at the coefficients, the features of each (degrees, shared partners,
// geodesic distances, triad census, the model's statistics), and their comparison with the
// observed network's.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/study.h"
#include "network/warning.h"
#include "simulate/gof_summary.h"
#include "simulate/sampler.h"

namespace tarn {

struct GofCheck {
  SampleSummary sample;
  // What the draws say (draw_warnings), then what their autocorrelations call for.
  std::vector<Warning> draw_warnings, sample_warnings;
  // How the features were measured: "geodesics_sampled" when the geodesic distances are
  // estimated from a sample of source nodes (network_features.h).
  std::vector<Warning> feature_warnings;
  // Networks that fill the link store, pile up or split: the model is degenerate at these
  // coefficients, and there is no summary.
  bool degenerate = false;
  GofSummary summary;
};

// `coefficients` canonical, as the sampler takes them; `given`: by the user, not fitted.
// `each_network` (when set) runs in the chains' threads as each network is drawn; what it throws
// stops the chains and is rethrown. `done` counts the networks drawn.
GofCheck check_gof(const Study& study, const std::vector<double>& coefficients, bool given,
                   const SamplerSettings& settings, int networks,
                   std::atomic<std::int64_t>* done = nullptr,
                   const std::function<void()>& each_network = {});

}  // namespace tarn
