#include "numeric/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tarn {

std::optional<std::int64_t> whole_number(std::string_view text) {
  constexpr std::int64_t largest = 1'000'000'000'000'000;
  std::size_t k = 0;
  bool negative = false;
  if (k < text.size() && (text[k] == '+' || text[k] == '-')) negative = text[k++] == '-';
  const std::size_t digits = k;
  std::int64_t value = 0;
  for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
    value = value * 10 + (text[k] - '0');
    if (value > largest) return std::nullopt;
  }
  if (k == digits) return std::nullopt;
  if (k < text.size() && text[k] == '.') {
    for (++k; k < text.size() && text[k] == '0'; ++k) {
    }
  }
  if (k != text.size()) return std::nullopt;
  return negative ? -value : value;
}

std::optional<double> decimal_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  // Digits or a point must begin it (after a minus): no "nan", "inf" or "0x".
  const std::size_t lead = text.starts_with('-') ? 1 : 0;
  if (text.size() <= lead || !(digit(text[lead]) || text[lead] == '.')) return std::nullopt;
  if (text.find_first_of("xX") != std::string_view::npos) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace tarn
