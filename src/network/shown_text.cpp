#include "network/shown_text.h"

#include <cstdio>

namespace tarn {

std::string shown(std::string_view text) {
  constexpr std::size_t shown_length = 40;
  std::string out = "\"";
  std::size_t k = 0;
  for (; k < text.size() && k < shown_length; ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      out += code;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  if (k < text.size()) out += "...";
  out += "\"";
  return out;
}

}  // namespace tarn
