#pragma once
// What every goodness-of-fit writer says of the rows: which lie inside the 95% band, the rows of
// one panel, the number of simulated networks, a figure for people, and text escaped for XML.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tarnwick/results/simulation.h"

namespace tarn {

bool inside_band(const tarnwick::GofRow& row);
std::vector<const tarnwick::GofRow*> rows_of(const tarnwick::GofTables& tables,
                                             const std::string& key);
// "3 of 15 outside the 95% band", or why there is no band.
std::string band_count(const std::vector<const tarnwick::GofRow*>& rows, std::size_t networks);

std::string printed(const char* format, double value);
// A figure for people: four significant digits, "-" when not finite.
std::string readable(double value);
// Text for XML and HTML: markup characters escaped, control characters (not allowed in XML 1.0)
// replaced.
std::string escaped(std::string_view text);

// The figure's font, also the HTML page's.
inline constexpr const char* figure_font = "DejaVu Sans, Verdana, Arial, Helvetica, sans-serif";

}  // namespace tarn
