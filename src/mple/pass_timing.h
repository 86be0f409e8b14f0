#pragma once
// Per-sweep timings of a fit, for the benchmark driver: the time spent building the statistics
// of the senders and the time spent adding the dyads into the sums. Without it (the program's
// case) the fit reads no clock.

namespace tarn {

struct PassTiming {
  struct Pass {
    int number = 0;  // 1, 2, the Newton pass numbers 3..12, and final_pass for the final sweep
    double statistics_seconds = 0.0;
    double sums_seconds = 0.0;
  };
  static constexpr int max_passes = 16;
  Pass passes[max_passes];
  int count = 0;
};

}  // namespace tarn
