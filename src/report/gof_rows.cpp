#include "report/gof_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tarn {

bool inside_band(const tarnwick::GofRow& row) {
  return row.observed >= row.lower && row.observed <= row.upper;
}

std::vector<const tarnwick::GofRow*> rows_of(const tarnwick::GofTables& tables,
                                             const std::string& key) {
  std::vector<const tarnwick::GofRow*> rows;
  for (const auto& row : tables.rows) {
    if (row.feature == key) rows.push_back(&row);
  }
  return rows;
}

std::string band_count(const std::vector<const tarnwick::GofRow*>& rows, std::size_t networks) {
  if (networks == 0) return "no simulated networks";
  const auto outside = std::count_if(
      rows.begin(), rows.end(), [](const tarnwick::GofRow* row) { return !inside_band(*row); });
  return std::to_string(outside) + " of " + std::to_string(rows.size()) + " outside the 95% band";
}

std::string printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

std::string readable(double value) {
  return std::isfinite(value) ? printed("%.4g", value) : std::string("-");
}

std::string escaped(std::string_view text) {
  std::string result;
  for (const char c : text) {
    switch (c) {
      case '&':
        result += "&amp;";
        break;
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '"':
        result += "&quot;";
        break;
      case '\'':
        result += "&#39;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
          result += '?';
        } else {
          result += c;
        }
    }
  }
  return result;
}

}  // namespace tarn
