#include "cli/interrupt_cleanup.h"

#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>

namespace tarn::interrupt_cleanup {

namespace {

constexpr int slot_count = 256;
constexpr int longest_path = 4096;

// One registered path. `path` is stored last and cleared first, so the handler sees either
// nothing or a complete entry.
struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<const char*> path{nullptr};
  const char* prefix = nullptr;
  const char* suffix = nullptr;
  int count = 0;
  int width = 0;
};

static_assert(std::atomic<const char*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

// The registry the signal handler reads (see the header for why it is global).
Slot slots[slot_count];
std::atomic<bool> installed{false};

// Appends `text` to buffer[at..]; false when it does not fit.
bool append(char* buffer, int& at, const char* text) {
  for (; *text != '\0'; ++text) {
    if (at + 1 >= longest_path) return false;
    buffer[at++] = *text;
  }
  buffer[at] = '\0';
  return true;
}

void remove_files(const char* folder, const Slot& slot);

// Unlinks folder/prefix{k}suffix for every k, then the folder; only async-signal-safe calls.
// The folder is first renamed, so that the threads still drawing networks cannot add files to
// it while it is emptied.
void remove_series(const char* staging, const Slot& slot) {
  char moved[longest_path];
  int length = 0;
  const bool renamed = append(moved, length, staging) && append(moved, length, ".removed") &&
                       rename(staging, moved) == 0;
  const char* folder = renamed ? moved : staging;
  // A thread that opened its file before the rename may still make it behind the pass: a few
  // more passes until the folder is empty.
  for (int pass = 0; pass < 4; ++pass) {
    remove_files(folder, slot);
    if (rmdir(folder) == 0) return;
  }
}

void remove_files(const char* folder, const Slot& slot) {
  for (int k = 1; k <= slot.count; ++k) {
    char name[longest_path];
    int at = 0;
    if (!append(name, at, folder) || !append(name, at, "/") || !append(name, at, slot.prefix)) {
      continue;
    }
    char digits[16];
    int n = 0;
    for (int value = k; value > 0 || n == 0; value /= 10) digits[n++] = char('0' + value % 10);
    for (int pad = n; pad < slot.width; ++pad) append(name, at, "0");
    while (n > 0 && at + 1 < longest_path) name[at++] = digits[--n];
    name[at] = '\0';
    if (append(name, at, slot.suffix)) unlink(name);
  }
}

void on_signal(int signal_number) {
  for (Slot& slot : slots) {
    const char* path = slot.path.load(std::memory_order_acquire);
    if (path == nullptr) continue;
    if (slot.count > 0) {
      remove_series(path, slot);
    } else {
      unlink(path);
    }
  }
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

int claim(const char* path, const char* prefix, const char* suffix, int count, int width) {
  for (int k = 0; k < slot_count; ++k) {
    bool expected = false;
    if (!slots[k].claimed.compare_exchange_strong(expected, true)) continue;
    slots[k].prefix = prefix;
    slots[k].suffix = suffix;
    slots[k].count = count;
    slots[k].width = width;
    slots[k].path.store(path, std::memory_order_release);
    return k;
  }
  return -1;
}

}  // namespace

void install() {
  if (installed.exchange(true)) return;
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int add_file(const char* path) {
  return claim(path, nullptr, nullptr, 0, 0);
}

int add_series(const char* folder, const char* prefix, const char* suffix, int count, int width) {
  return claim(folder, prefix, suffix, count, width);
}

void drop(int ticket) {
  if (ticket < 0 || ticket >= slot_count) return;
  slots[ticket].path.store(nullptr, std::memory_order_release);
  slots[ticket].claimed.store(false, std::memory_order_release);
}

}  // namespace tarn::interrupt_cleanup
