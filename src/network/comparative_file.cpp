#include "network/comparative_file.h"

#include <array>
#include <cstdint>
#include <string>

#include "network/fatal_error.h"
#include "network/file_name.h"

namespace tarn {
namespace {

// Sender, receiver and value: all three 16-bit.
constexpr std::array<int, 3> record_bits = {16, 16, 16};

struct Record {
  int i = 0, j = 0, value = 0;
};

// The next record with a non-zero value; false at the end of the file.
bool read_next(DataFile& file, const std::string& format, Record& current) {
  std::array<std::int32_t, 3> values{};
  do {
    if (!file.read_record(format, values, record_bits)) return false;
    current = {static_cast<std::int16_t>(values[0]), static_cast<std::int16_t>(values[1]),
               static_cast<std::int16_t>(values[2])};
  } while (current.value == 0);
  return true;
}

}  // namespace

ComparativeNetwork read_comparative_file(DataFile& file, int node_count) {
  ComparativeNetwork net;
  net.node_count = node_count;
  const std::string format = file.read_format_line();
  Record current;
  bool more = read_next(file, format, current);
  if (!more) {
    throw FatalError("End of file in comparative file \"" + trimmed_name(file.name()) +
                         "\": it holds no link with a non-zero value.",
                     {trimmed_name(file.name())});
  }
  for (int i = 1; i <= node_count; ++i) {
    // Read past the records of smaller senders; a larger sender means row i has no records.
    while (more && current.i < i) more = read_next(file, format, current);
    // At most n records of row i; a receiver outside 1..n has no row and is passed over.
    for (int taken = 0; more && current.i == i && taken < node_count; ++taken) {
      if (current.j >= 1 && current.j <= node_count) {
        net.entries.push_back(
            {static_cast<std::int16_t>(current.j), static_cast<std::int16_t>(current.value)});
      }
      more = read_next(file, format, current);
    }
    net.first.push_back(static_cast<std::int32_t>(net.entries.size()));
  }
  return net;
}

}  // namespace tarn
