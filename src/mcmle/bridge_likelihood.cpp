#include "mcmle/bridge_likelihood.h"

namespace tarn {

namespace {

Vector mean_of(const std::vector<Vector>& statistics, std::size_t p) {
  Vector mean(p, 0.0);
  for (const Vector& g : statistics) {
    for (std::size_t k = 0; k < p; ++k) mean[k] += g[k];
  }
  for (double& v : mean) v /= static_cast<double>(statistics.size());
  return mean;
}

}  // namespace

std::optional<double> bridged_log_likelihood(const Model& model, const Vector& observed,
                                             const DyadIndependentReference& reference,
                                             const Vector& estimate, std::int64_t interval,
                                             const McmleControl& control,
                                             const SampleSource& source, std::int64_t& toggles,
                                             const CompletionDraws* completions) {
  if (control.bridges < 1 || !reference.log_likelihood) return std::nullopt;
  const Vector& from = reference.eta;
  const Vector to = model.canonical(estimate);
  const std::size_t p = from.size();
  Vector direction(p);
  for (std::size_t k = 0; k < p; ++k) direction[k] = to[k] == from[k] ? 0.0 : to[k] - from[k];
  double rise = 0.0;
  for (int b = control.bridges - 1; b >= 0; --b) {
    const double u = (b + 0.5) / control.bridges;
    SampleRequest request;
    request.eta.resize(p);
    for (std::size_t k = 0; k < p; ++k) request.eta[k] = from[k] + u * direction[k];
    request.networks = control.bridge_sample;
    request.burnin = 8 * interval;
    request.interval = interval;
    request.stream = 1000000 + static_cast<std::uint64_t>(b);
    const DrawnSample sample = source(request);
    toggles += sample.proposals;
    if (sample.capacity_stop.found || sample.statistics.empty()) return std::nullopt;
    Vector target = observed;
    if (completions) {
      SampleRequest completing = request;
      completing.interval = completions->interval;
      completing.burnin = 2 * completions->interval;
      completing.stream = 3000000 + static_cast<std::uint64_t>(b);
      const DrawnSample completed = completions->source(completing);
      toggles += completed.proposals;
      if (completed.capacity_stop.found || completed.statistics.empty()) return std::nullopt;
      target = mean_of(completed.statistics, p);
    }
    const Vector mean = mean_of(sample.statistics, p);
    for (std::size_t k = 0; k < p; ++k) {
      rise += direction[k] * (target[k] - mean[k]) / control.bridges;
    }
  }
  return *reference.log_likelihood + rise;
}

}  // namespace tarn
