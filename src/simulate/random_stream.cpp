#include "simulate/random_stream.h"

namespace tarn {

namespace {

std::uint64_t splitmix64(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

}  // namespace

std::uint64_t mix_seed(std::uint64_t seed, std::uint64_t index) {
  return splitmix64(splitmix64(seed) ^ splitmix64(index + 0x632be59bd9b4e019ULL));
}

RandomStream::RandomStream(std::uint64_t seed, std::uint64_t index)
    : engine_(mix_seed(seed, index)) {}

std::uint64_t RandomStream::below(std::uint64_t limit) {
  // Lemire's multiply-and-shift: the high word of x * limit, redrawn in the rare cases that would
  // make some values more likely than others.
  __extension__ using Wide = unsigned __int128;
  Wide product = static_cast<Wide>(engine_()) * limit;
  auto low = static_cast<std::uint64_t>(product);
  if (low < limit) {
    const std::uint64_t threshold = (0 - limit) % limit;
    while (low < threshold) {
      product = static_cast<Wide>(engine_()) * limit;
      low = static_cast<std::uint64_t>(product);
    }
  }
  return static_cast<std::uint64_t>(product >> 64);
}

std::pair<std::uint32_t, std::uint32_t> RandomStream::two_below(std::uint32_t limit_a,
                                                                std::uint32_t limit_b) {
  // Lemire's method on each 32-bit half; a half that falls where it would favour some values
  // makes the whole draw be redrawn. The threshold (2^32 - limit) mod limit is below the limit,
  // so a low word at or above the limit needs no division.
  auto unbiased = [](std::uint32_t low, std::uint32_t limit) {
    return low >= limit || low >= (0u - limit) % limit;
  };
  for (;;) {
    const std::uint64_t x = engine_();
    const std::uint64_t a = (x >> 32) * limit_a;
    const std::uint64_t b = (x & 0xffffffffu) * limit_b;
    if (unbiased(static_cast<std::uint32_t>(a), limit_a) &&
        unbiased(static_cast<std::uint32_t>(b), limit_b)) {
      return {static_cast<std::uint32_t>(a >> 32), static_cast<std::uint32_t>(b >> 32)};
    }
  }
}

}  // namespace tarn
