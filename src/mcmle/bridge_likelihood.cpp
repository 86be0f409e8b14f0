#include "mcmle/bridge_likelihood.h"

namespace tarn {

std::optional<double> bridged_log_likelihood(const Model& model, const Vector& observed,
                                             const DyadIndependentReference& reference,
                                             const Vector& estimate, std::int64_t interval,
                                             const McmleControl& control,
                                             const SampleSource& source, std::int64_t& toggles) {
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
    for (std::size_t k = 0; k < p; ++k) {
      double mean = 0.0;
      for (const Vector& g : sample.statistics) mean += g[k];
      mean /= static_cast<double>(sample.statistics.size());
      rise += direction[k] * (observed[k] - mean) / control.bridges;
    }
  }
  return *reference.log_likelihood + rise;
}

}  // namespace tarn
