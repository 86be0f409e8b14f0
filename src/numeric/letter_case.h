#pragma once
// Comparing and lowering ASCII letters; other bytes (UTF-8 included) stay as they are, so that
// the result does not depend on the locale.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarn {

inline char lower_case(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lower_case(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = lower_case(c);
  return lowered;
}

// Whether a and b are the same text when letters are compared in any case.
inline bool same_text_any_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (lower_case(a[k]) != lower_case(b[k])) return false;
  }
  return true;
}

}  // namespace tarn
