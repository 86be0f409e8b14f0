#pragma once
// A caller's request to stop long work (Ctrl-C in Python), which the loops that can run long poll
// between steps: the chains every 1024 proposals, equilibrium expectation at every update.

#include <atomic>
#include <stdexcept>

namespace tarn {

// Thrown where a loop finds the flag raised; the library gives it to its caller as Cancelled.
class WorkCancelled : public std::runtime_error {
 public:
  WorkCancelled() : std::runtime_error("cancelled") {}
};

// Null: the work cannot be cancelled.
using CancelFlag = const std::atomic<bool>*;

inline bool cancelled(CancelFlag flag) {
  return flag != nullptr && flag->load(std::memory_order_relaxed);
}

inline void stop_if_cancelled(CancelFlag flag) {
  if (cancelled(flag)) throw WorkCancelled();
}

}  // namespace tarn
