#pragma once
// Numbers as people write them in files and formulas, read the same on every machine (no locale).

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarn {

// A whole number written in decimal: an optional sign, digits, and optionally a point followed
// by zeros only ("3", "-2", "+7", "1.0"). nullopt for any other text and for magnitudes above
// 10^15.
std::optional<std::int64_t> whole_number(std::string_view text);

// A finite number written in decimal ("2", "-0.5", "+1e3", "2.70"); nullopt for any other text
// (names, "nan", "inf", hexadecimal).
std::optional<double> decimal_number(std::string_view text);

}  // namespace tarn
