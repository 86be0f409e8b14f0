#pragma once
// Random numbers that are the same on every machine: std::mt19937_64, whose output the standard
// fixes, with our own mapping to integers and doubles (the standard distributions differ between
// libraries). Every stream is seeded from (seed, index), so that a replicate's numbers depend on
// the seed and its own index only, not on the thread that draws them.

#include <cstdint>
#include <random>
#include <utility>

namespace tarn {

class RandomStream {
 public:
  RandomStream(std::uint64_t seed, std::uint64_t index);

  // 0 <= unit() < 1, with 53 random bits.
  double unit() { return unit_of(engine_()); }
  // The next 64 random bits, and the unit number of their top 53 bits.
  std::uint64_t next() { return engine_(); }
  static double unit_of(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }
  // 0 <= below(limit) < limit, without bias; limit >= 1.
  std::uint64_t below(std::uint64_t limit);
  // Two independent numbers 0 <= a < limit_a and 0 <= b < limit_b, without bias, from one draw
  // (its two halves) in most cases; limits from 1 to 2^32 - 1.
  std::pair<std::uint32_t, std::uint32_t> two_below(std::uint32_t limit_a, std::uint32_t limit_b);

 private:
  std::mt19937_64 engine_;
};

// A 64-bit mix of (seed, index): splitmix64 of each, combined, so that nearby seeds and indices
// give unrelated streams.
std::uint64_t mix_seed(std::uint64_t seed, std::uint64_t index);

}  // namespace tarn
