#pragma once
// A progress line on standard error while replicates are drawn or refitted: done and total,
// rate and time left, redrawn a few times a second. Shown only when standard error is a
// terminal; it reads a counter that the work advances and never touches the results.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace tarn {

class ProgressBar {
 public:
  // `shown` false: the bar does nothing (standard error is no terminal, or --quiet).
  ProgressBar(std::ostream& err, std::string what, std::int64_t total, bool shown);
  ~ProgressBar();  // stops and clears the line

  std::atomic<std::int64_t>& counter() { return done_; }

 private:
  void draw(double seconds);

  std::ostream& err_;
  std::string what_;
  std::int64_t total_;
  std::atomic<std::int64_t> done_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

// Whether standard error is a terminal.
bool standard_error_is_terminal();

}  // namespace tarn
