#include "input/network_file.h"

#include <array>

#include "input/link_store.h"

namespace tarn {

void read_network(Records& rec, Io& io, DataFile& file) {
  const std::string source = "Network file \"" + trimmed_name(file.name()) + "\"";
  LinkStoreBuilder builder(rec, source);
  std::ostream& screen = io.screen();
  screen << " Reading " << file.name() << " ." << std::flush;
  std::string format = file.read_format_line();
  std::array<std::int32_t, 3> record{};
  static constexpr std::array<int, 3> bits{32, 32, 16};
  while (file.read_record(format, record, bits)) {
    if (record[2] == 0) continue;
    builder.add_link(record[0], record[1], file.line_number());
  }
  finish_links(rec);
  screen << '.' << std::flush;
  reciprocity_pass(rec);
  screen << '.' << std::flush;
  in_link_pass(rec);
  if (builder.has_repeated_links()) check_statistic_range(rec, source);
  screen << ".\n" << std::flush;
}

}  // namespace tarn
