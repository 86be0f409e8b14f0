#include "network/network_file.h"

#include <array>

#include "network/capacity.h"
#include "network/file_name.h"

namespace tarn {

std::string network_file_source(const DataFile& file) {
  return "Network file \"" + trimmed_name(file.name()) + "\"";
}

Network read_network_file(DataFile& file, const std::function<void()>& stage_done, PairRows* rows,
                          NetworkLimits limits) {
  NetworkBuilder builder(network_file_source(file), limits, trimmed_name(file.name()));
  const std::string format = file.read_format_line();
  std::array<std::int32_t, 3> record{};
  static constexpr std::array<int, 3> bits{32, 32, 16};
  while (file.read_record(format, record, bits)) {
    if (rows != nullptr && record[0] >= 1 && record[1] >= 1 && record[0] <= limits.nodes &&
        record[1] <= limits.nodes) {
      rows->note(record[0], record[1], record[2], file.line_number());
    }
    if (record[2] == 0) continue;
    builder.add_link(record[0], record[1], file.line_number());
  }
  builder.finish_links();
  if (stage_done) stage_done();
  builder.mark_reciprocated();
  if (stage_done) stage_done();
  return std::move(builder).group_by_receiver();
}

}  // namespace tarn
