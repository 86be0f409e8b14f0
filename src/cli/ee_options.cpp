#include "cli/ee_options.h"

namespace tarn {

void EeOptions::add(CLI::App& command) {
  command
      .add_option("--ee-tasks", tasks,
                  "With --method ee: independent tasks, each a chain from the observed network "
                  "(default 4)")
      ->check(CLI::Range(1, 1024));
  command
      .add_option("--ee-gain", gain,
                  "With --method ee: the Newton step's share per autocorrelation time of the "
                  "chains once settled (default 0.03; larger settles sooner and lies further "
                  "from the estimate)")
      ->check(CLI::Range(1e-4, 1.0));
  command
      .add_option("--ee-draws", effective_draws,
                  "With --method ee: effective draws of the chains, over all tasks, that the "
                  "averaged coefficients rest on (default 128)")
      ->check(CLI::Range(1, 1000000));
}

void EeOptions::apply(tarnwick::EquilibriumSettings& settings) const {
  if (tasks) settings.tasks = *tasks;
  if (gain) settings.gain = *gain;
  if (effective_draws) settings.effective_draws = *effective_draws;
}

}  // namespace tarn
