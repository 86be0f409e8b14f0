#include "report/fixed_field.h"

#include <cmath>
#include <cstdio>

namespace tarn {

namespace {

std::string fit(const std::string& text, int width) {
  if (width <= 0) return std::string();
  if (static_cast<int>(text.size()) > width)
    return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string non_finite(double value, int width) {
  if (std::isnan(value)) return fit("NaN", width);
  std::string sign = value < 0 ? "-" : "";
  std::string word = sign + "Infinity";
  if (static_cast<int>(word.size()) <= width) return fit(word, width);
  return fit(sign + "Inf", width);
}

}  // namespace

std::string int_field(std::int64_t value, int width) {
  return fit(std::to_string(value), width);
}

std::string real_field(double value, int width, int decimals) {
  if (!std::isfinite(value)) return non_finite(value, width);
  decimals = decimals < 0 ? 0 : (decimals > 30 ? 30 : decimals);
  // "%.*f" rounds the exact binary value to nearest, as a fixed-point edit does; a finite
  // double has at most 309 digits before the point.
  char buffer[400];
  int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text(buffer, static_cast<std::size_t>(length));
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) {
    text.erase(0, 1);  // no minus zero
  }
  if (static_cast<int>(text.size()) == width + 1) {
    std::size_t zero = text[0] == '-' ? 1 : 0;
    if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
  }
  return fit(text, width);
}

}  // namespace tarn
