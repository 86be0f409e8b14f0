#pragma once
// What long work shares: its progress and cancelling, and the warnings it gives.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace tarnwick {

// Progress of long work: `done` of `total` steps as it goes; set `cancel` to stop the work at
// the next step (it throws Cancelled then).
struct Progress {
  std::function<void(std::int64_t done, std::int64_t total, const std::string& stage)> report;
  const std::atomic<bool>* cancel = nullptr;
};

struct WarningRecord {
  std::string code;     // as in the JSON results
  std::string message;  // as the command line words it
};

}  // namespace tarnwick
