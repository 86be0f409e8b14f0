#include "cli/progress_bar.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace tarn {

bool standard_error_is_terminal() {
  return isatty(STDERR_FILENO) != 0;
}

ProgressBar::ProgressBar(std::ostream& err, std::string what, std::int64_t total, bool shown)
    : err_(err), what_(std::move(what)), total_(total) {
  if (!shown || total <= 0) return;
  thread_ = std::thread([this] {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stopping_; })) {
      draw(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  });
}

ProgressBar::~ProgressBar() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  err_ << '\r' << std::string(78, ' ') << '\r' << std::flush;
}

void ProgressBar::draw(double seconds) {
  const std::int64_t done = done_.load();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  char line[160];
  if (done > 0) {
    const double left = static_cast<double>(total_ - done) / rate;
    std::snprintf(line, sizeof line, "\r %s: %lld of %lld, %.1f a second, %.0f s left   ",
                  what_.c_str(), static_cast<long long>(done), static_cast<long long>(total_), rate,
                  left);
  } else {
    std::snprintf(line, sizeof line, "\r %s: 0 of %lld, %.0f s so far   ", what_.c_str(),
                  static_cast<long long>(total_), seconds);
  }
  err_ << line << std::flush;
}

}  // namespace tarn
