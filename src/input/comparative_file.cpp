#include "input/comparative_file.h"

#include <array>
#include <cstdint>
#include <string>

#include "input/console.h"
#include "store/fatal_error.h"

namespace tarn {
namespace {

// Source node, target node and value: all three 16-bit.
constexpr std::array<int, 3> record_bits = {16, 16, 16};

DataFile& comparative_file(Io& io) {
  if (!io.comparative) throw FatalError("The comparative network file is not open.");
  return *io.comparative;
}

// Reads records into the current record until one has a non-zero value. At the end of the file
// the stream is exhausted: compar_value is set to 0, which marks that state, since a current
// record always has a non-zero value. Returns false then.
bool read_next(Compar& compar, DataFile& file) {
  std::array<std::int32_t, 3> values{};
  do {
    if (!file.read_record(compar.compar_format, values, record_bits)) {
      compar.compar_value = 0;
      return false;
    }
    compar.compar_i = static_cast<int16>(values[0]);
    compar.compar_j = static_cast<int16>(values[1]);
    compar.compar_value = static_cast<int16>(values[2]);
  } while (compar.compar_value == 0);
  return true;
}

}  // namespace

void init(Records& rec, Io& io) {
  if (rec.flags.type_on(16) != 1) return;
  DataFile& file = comparative_file(io);
  Compar& compar = rec.compar;
  file.rewind();
  compar.compar_format = file.read_format_line();
  if (!read_next(compar, file)) {
    throw FatalError("End of file in comparative file \"" + trimmed_name(file.name()) +
                     "\": it holds no link with a non-zero value.");
  }
}

void comparative_step(Records& rec, Io& io, int16 i) {
  const int n = rec.nodes.node_count;
  int16* column = rec.stats.change_stat.column(16);
  for (int j = 0; j < n; ++j) column[j] = 0;

  Compar& compar = rec.compar;
  if (compar.compar_value == 0) return;  // exhausted earlier in this pass
  DataFile& file = comparative_file(io);

  // Read past the records of smaller senders; a larger sender means row i has no records.
  while (compar.compar_i != i) {
    if (compar.compar_i > i) return;
    if (!read_next(compar, file)) return;
  }

  // At most n records of row i; a receiver outside 1..n has no row and is passed over.
  for (int taken = 0; taken < n; ++taken) {
    const int j = compar.compar_j;
    if (j >= 1 && j <= n) column[j - 1] = compar.compar_value;
    if (!read_next(compar, file)) return;
    if (compar.compar_i != i) return;
  }
}

}  // namespace tarn
