#include "estimate/sampling_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <thread>

#include "network/fatal_error.h"
#include "network/usage_error.h"

namespace tarn {

SamplerSettings SamplingSettings::settings(const Study& study) const {
  SamplerSettings s =
      default_sampler_settings(study.node_count(), study.network.link_count, study.dyad_count());
  if (interval >= 0) s.interval = interval;
  if (burnin >= 0) {
    s.burnin = burnin;
  } else if (interval >= 0) {
    s.burnin = 4 * interval;
  }
  s.chains = chains;
  s.seed = seed;
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  s.threads = threads > 0 ? threads : std::max(cores, 1);
  s.cancel = cancel;
  return s;
}

void check_can_simulate(const Study& study) {
  if (study.network.has_repeated_links) {
    throw FatalError(
        "The network has links given more than once; a simulated network holds each "
        "link once, so it cannot be simulated. Give every link once.");
  }
  const std::string problem = study.model.distribution_problem(study.dyad_space());
  if (!problem.empty()) {
    throw UsageError("This model has no network distribution to simulate from: " + problem + ".");
  }
}

std::vector<double> coefficients_of(const std::string& list, const Model& model,
                                    const std::string& option) {
  std::vector<double> values;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
    double value = 0.0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc() || end != item.data() + item.size() || item.empty()) {
      throw UsageError(option + ": \"" + item + "\" is not a number");
    }
    if (!std::isfinite(value)) {
      throw UsageError(option + ": coefficient " + std::to_string(values.size() + 1) + " (" + item +
                       ") is not a finite number");
    }
    values.push_back(value);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  const auto m = static_cast<std::size_t>(model.coefficient_count());
  if (values.size() != m) {
    std::string names;
    if (model.curved()) {
      for (const std::string& name : model.coefficient_names()) {
        names += (names.empty() ? " (" : ", ") + name;
      }
      names += ")";
    }
    throw UsageError(option + ": " + std::to_string(values.size()) + " numbers for " +
                     std::to_string(m) + (model.curved() ? " coefficients" : " parameters") +
                     names);
  }
  return values;
}

}  // namespace tarn
