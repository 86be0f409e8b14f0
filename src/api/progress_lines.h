#pragma once
// The lines a long fit tells its progress in (Progress::phase), binary or of counts.

#include <string>

#include "ee/equilibrium_expectation.h"
#include "estimate/ee_check.h"

namespace tarn {

// A task of equilibrium expectation: its hold, its chain's memory and the updates to come, or
// its end.
std::string ee_task_line(const EeTaskNews& news);
// A round of the check's draws at the estimate.
std::string ee_check_line(const EeCheckNews& news);

}  // namespace tarn
