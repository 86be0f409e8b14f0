#include "network/attribute_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tarn {

NodeAttributes read_attribute_file(DataFile& file, int requested, int node_limit) {
  NodeAttributes attributes;
  const int wanted = std::min(requested, max_attrs);
  const int per_record = std::max(wanted + 1, 0);

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
    // There are rows for ids 1..2000 only. A record naming any other id (an empty line reads as
    // id 0) is skipped as a whole: its values neither enter a row nor count in the largest value.
    if (id < 1 || id > node_limit) continue;
    attributes.hold(id);
    for (int a = 1; a <= wanted; ++a) {
      attributes.set(id, a, static_cast<std::int16_t>(values[static_cast<std::size_t>(a)]));
    }
  }
  attributes.count_usable();
  return attributes;
}

}  // namespace tarn
