#include "api/ee_settings.h"

namespace tarn {

EeSettings ee_settings_of(const tarnwick::EquilibriumSettings& given) {
  EeSettings settings;
  settings.tasks = given.tasks;
  settings.proposals_per_update = given.proposals_per_update;
  settings.scale_updates = given.scale_updates;
  settings.updates = given.updates;
  settings.effective_draws = given.effective_draws;
  settings.gain = given.gain;
  return settings;
}

}  // namespace tarn
