#pragma once
// Statistics (16-bit integers, or doubles) as doubles, four at a time, for the sums of the fit.
// Every conversion is exact; SSE2 does four in a few instructions, elsewhere they are converted one
// by one.

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarn {

using v2d = double __attribute__((vector_size(16)));

// lo = (x[0], x[1]), hi = (x[2], x[3]).
inline void statistics_as_doubles(const std::int16_t* x, v2d& lo, v2d& hi) {
#if defined(__SSE2__)
  const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(x));
  const __m128i wide = _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16);
  lo = reinterpret_cast<v2d>(_mm_cvtepi32_pd(wide));
  hi = reinterpret_cast<v2d>(_mm_cvtepi32_pd(_mm_shuffle_epi32(wide, 0xEE)));
#else
  lo = v2d{static_cast<double>(x[0]), static_cast<double>(x[1])};
  hi = v2d{static_cast<double>(x[2]), static_cast<double>(x[3])};
#endif
}

// Doubles as they are, for the sums of statistics that are doubles already.
inline void statistics_as_doubles(const double* x, v2d& lo, v2d& hi) {
  lo = v2d{x[0], x[1]};
  hi = v2d{x[2], x[3]};
}

// Bit c set where x[c] != 0, for c < count <= 64. Reads x in groups of eight, up to count rounded
// up to a multiple of eight.
inline std::uint64_t nonzero_bits(const std::int16_t* x, int count) {
  std::uint64_t bits = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (int c = 0; c < count; c += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + c));
    const __m128i is_zero = _mm_cmpeq_epi16(v, zero);
    const unsigned zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(is_zero, zero)));
    bits |= static_cast<std::uint64_t>(~zeros & 0xffu) << c;
  }
#else
  for (int c = 0; c < count; ++c) bits |= static_cast<std::uint64_t>(x[c] != 0) << c;
#endif
  return count >= 64 ? bits : bits & ((std::uint64_t{1} << count) - 1);
}

inline std::uint64_t nonzero_bits(const double* x, int count) {
  std::uint64_t bits = 0;
  for (int c = 0; c < count; ++c) bits |= static_cast<std::uint64_t>(x[c] != 0.0) << c;
  return bits;
}

}  // namespace tarn
