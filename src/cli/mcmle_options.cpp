#include "cli/mcmle_options.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>

namespace tarn {

void McmleOptions::add(CLI::App& command) {
  command.add_option("--init", init,
                     "With --method mcmle: the coefficients to start from, one per coefficient "
                     "(default: the pseudo-likelihood estimate)");
  command
      .add_option("--sample-size", sample_size,
                  "With --method mcmle: networks drawn per iteration (default 1024)")
      ->check(CLI::Range(64, 1000000));
  command
      .add_option("--max-iterations", max_iterations,
                  "With --method mcmle: iterations before it stops unconverged (default 60)")
      ->check(CLI::Range(1, 100000));
  command
      .add_option("--error-precision", error_precision,
                  "With --method mcmle or ee: the relative Monte Carlo error the standard errors "
                  "may carry; the final sample grows to it (default 0.05)")
      ->check(CLI::Range(0.01, 0.5));
  command.add_option("--diagnostics", diagnostics_path,
                     "With --method mcmle: the last sample's traces, densities and convergence "
                     "figures as FILE.svg or FILE.html");
}

std::function<void(const tarnwick::IterationReport&)> mcmle_progress_lines(std::ostream& err,
                                                                           bool shown) {
  if (!shown) return {};
  return [&err](const tarnwick::IterationReport& i) {
    char line[200];
    if (i.filled) {
      std::snprintf(line, sizeof line, "iteration %d: a chain filled the link store (%.1f s)\n",
                    i.number, i.seconds);
    } else {
      std::snprintf(line, sizeof line,
                    "iteration %d%s: %d networks, step %.2f, largest |t| %.3f, Hotelling p "
                    "%.3f, interval %lld%s%s (%.1f s)\n",
                    i.number, i.final_sample ? " (final sample)" : "", i.networks, i.step,
                    i.max_abs_t, i.p_value, static_cast<long long>(i.interval),
                    i.evidence.empty() ? "" : ", draws: ", i.evidence.c_str(), i.seconds);
    }
    err << line << std::flush;
  };
}

std::function<void(const std::string&)> phase_lines(std::ostream& err, bool shown) {
  if (!shown) return {};
  const auto began = std::chrono::steady_clock::now();
  auto one_at_a_time = std::make_shared<std::mutex>();
  return [&err, began, one_at_a_time](const std::string& text) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    char time[40];
    std::snprintf(time, sizeof time, " (%.1f s)\n", seconds);
    const std::lock_guard<std::mutex> lock(*one_at_a_time);
    err << text << time << std::flush;
  };
}

}  // namespace tarn
