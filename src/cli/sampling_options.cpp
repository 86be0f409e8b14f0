#include "cli/sampling_options.h"

#include <charconv>
#include <cmath>
#include <thread>

#include "cli/usage_error.h"
#include "network/fatal_error.h"

namespace tarn {

namespace {

// A check at parse time that a count option is at least `least`; `what` says what to give. A
// value that is not a whole number is left for the option's conversion to refuse.
CLI::Validator at_least(std::int64_t least, const std::string& what) {
  return CLI::Validator(
      [least, what](std::string& text) -> std::string {
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) return std::string();
        return value < least ? "give " + what + ", not " + text : std::string();
      },
      "");
}

}  // namespace

void SamplingOptions::add(CLI::App& command) {
  command.add_option("--seed", seed, "Seed of the random numbers (default 1)")
      ->check(at_least(0, "a seed of 0 or more"));
  command
      .add_option("--burnin", burnin,
                  "Proposed toggles before a chain's first network (default: 4 intervals)")
      ->check(at_least(0, "0 or more toggles"));
  command
      .add_option("--interval", interval,
                  "Proposed toggles between networks of a chain (default: 64 per link, at most "
                  "one per dyad, at least 1024)")
      ->check(at_least(1, "1 or more toggles"));
  command.add_option("--chains", chains, "Independent chains of the sample (default 8)")
      ->check(at_least(1, "1 or more"));
  command.add_option("--threads", threads,
                     "Threads (default: every core; results do not depend on it)");
}

SamplerSettings SamplingOptions::settings(const Study& study) const {
  SamplerSettings s = default_sampler_settings(study.network.link_count, study.dyad_count());
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
