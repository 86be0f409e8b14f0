#pragma once
// Fixed-width number fields for every report line: right-aligned, asterisks when a value does
// not fit. Reals are fixed point with exactly d decimals and a 0 before the point; a negative
// value that rounds to zero loses its minus; a value one column too wide whose digits begin with
// "0." loses that 0 instead. NaN and infinities print as words, so columns stay aligned.

#include <cstdint>
#include <string>

namespace tarn {

std::string int_field(std::int64_t value, int width);
std::string real_field(double value, int width, int decimals);

}  // namespace tarn
