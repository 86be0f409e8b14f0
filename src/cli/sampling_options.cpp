#include "cli/sampling_options.h"

#include <charconv>

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

}  // namespace tarn
