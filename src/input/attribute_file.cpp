#include "input/attribute_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarn {

void read_attributes(Records& rec, DataFile& file) {
  Nodes& nodes = rec.nodes;
  // A is the user's answer; A <= 0 gives records that carry no values (A = 0: just the id).
  const int wanted = std::min<int>(nodes.attr_count, max_attrs);
  const int per_record = std::max(wanted + 1, 0);

  for (int a = 1; a <= max_attrs; ++a) nodes.attr_max(a) = 0;
  for (int a = 1; a <= max_attrs; ++a) {
    for (int i = 1; i <= nodes.node_count; ++i) nodes.attr_value(i, a) = 0;
  }

  const std::string format = file.read_format_line();
  std::array<std::int32_t, max_attrs + 1> values{};
  std::array<int, max_attrs + 1> bits{};
  bits.fill(16);
  const std::span<std::int32_t> record(values.data(), static_cast<std::size_t>(per_record));
  const std::span<const int> widths(bits.data(), static_cast<std::size_t>(per_record));

  for (;;) {
    const long line_before = file.line_number();
    if (!file.read_record(format, record, widths)) break;
    if (per_record == 0) {
      // Records without numbers store nothing; stop if the reader no longer advances.
      if (file.line_number() == line_before) break;
      continue;
    }
    const std::int32_t id = values[0];
    // The store has rows 1..2000 only. A record naming any other id (an empty line reads as
    // id 0) is skipped as a whole: its values neither enter a row nor count in attr_max.
    if (id < 1 || id > max_nodes) continue;
    for (int a = 1; a <= wanted; ++a) {
      const auto v = static_cast<int16>(values[static_cast<std::size_t>(a)]);
      if (v > nodes.attr_max(a)) nodes.attr_max(a) = v;
      nodes.attr_value(static_cast<int>(id), a) = v;
    }
  }

  // Usable attributes: the leading ones with a positive largest value.
  int usable = 0;
  while (usable < max_attrs && nodes.attr_max(usable + 1) > 0) ++usable;
  nodes.attr_count = static_cast<int16>(usable);
}

}  // namespace tarn
