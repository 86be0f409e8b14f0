#pragma once
// exp(x) remembered for the few values that a model's gains take (a chain meets the same few
// change statistics again and again): a small table by the bits of x.

#include <cstdint>
#include <cstring>
#include <limits>

#include "numeric/portable_exp.h"

namespace tarn {

class RememberedExp {
 public:
  double operator()(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    Slot& slot = slots_[(bits * 0x9e3779b97f4a7c15ULL) >> 60];
    if (!(slot.x == x)) slot = {x, portable_exp(x)};
    return slot.value;
  }

 private:
  struct Slot {
    double x = std::numeric_limits<double>::quiet_NaN();
    double value = 0.0;
  };
  Slot slots_[16];
};

}  // namespace tarn
