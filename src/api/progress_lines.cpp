#include "api/progress_lines.h"

#include <iomanip>
#include <sstream>

namespace tarn {

std::string ee_task_line(const EeTaskNews& n) {
  std::ostringstream line;
  line << "equilibrium expectation, task " << n.task + 1 << " of " << n.tasks << ": ";
  if (n.ended) {
    line << "done";
  } else if (n.hold.updates > 0) {
    line << "the chain held " << (n.held_near_estimate ? "near the estimate" : "at the start")
         << " drew " << std::fixed << std::setprecision(1) << n.hold.effective_draws
         << " effective networks in " << n.hold.updates << " updates; " << std::setprecision(0)
         << hold_effective_draws << " wanted, holding it for " << n.hold.until;
  } else {
    if (n.proposals_per_update > 0) {
      line << "the chain forgets in " << std::fixed
           << std::setprecision(n.autocorrelation_updates >= 100.0 ? 0 : 1)
           << n.autocorrelation_updates
           << (n.autocorrelation_updates == 1.0 ? " update of " : " updates of ")
           << n.proposals_per_update << " proposals; ";
    } else {
      line << "exact draws; ";
    }
    line << n.settling_updates << " updates to settle, " << n.averaging_updates << " to average";
  }
  return line.str();
}

std::string ee_check_line(const EeCheckNews& n) {
  std::ostringstream line;
  line << "checking the estimate: ";
  if (n.drawn > 0) line << n.drawn << " networks drawn, ";
  line << n.drawing << (n.drawn > 0 ? " more" : " networks");
  if (n.interval > 0) {
    line << " from " << n.chains << (n.chains == 1 ? " chain " : " chains ") << n.interval
         << " proposals apart";
    if (n.burnin > 0) line << " after a burn-in of " << n.burnin;
  } else {
    line << ", drawn exactly";
  }
  return line.str();
}

}  // namespace tarn
