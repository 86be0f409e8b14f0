// Fuzzes the data-file readers on arbitrary contents: the network file and the link store, then,
// when the input holds them, a comparative network file and an attribute file, each after a line
// "%%" (network, then comparative, then attributes). Whatever the readers accept is then used:
// the change statistics of the first senders are computed (with the comparative stream and a
// blocking by the first attribute), and every statistic must equal its 32-bit value, so that
// nothing the store accepts can wrap in the 16-bit statistics table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "input/attribute_file.h"
#include "input/comparative_file.h"
#include "input/console.h"
#include "input/data_file.h"
#include "input/io.h"
#include "input/network_file.h"
#include "input/statistic_range.h"
#include "stats/calcfr.h"
#include "store/fatal_error.h"
#include "store/records.h"

namespace {

std::vector<std::string> sections(const std::string& text) {
  std::vector<std::string> parts;
  const std::string separator = "\n%%\n";
  std::size_t start = 0;
  while (parts.size() < 2) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string::npos) break;
    parts.push_back(text.substr(start, at - start + 1));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::unique_ptr<tarn::DataFile> data_file(const std::string& text, const char* name) {
  return std::make_unique<tarn::DataFile>(std::make_unique<std::istringstream>(text),
                                          tarn::name_field(name));
}

// Blocking by attribute 1 with the default structure and one block parameter of type 3, when
// the attribute can block.
void block_by_first_attribute(tarn::Records& rec) {
  tarn::Blocks& blocks = rec.blocks;
  blocks.block_attr = 0;
  for (int g = 1; g <= 16; ++g) blocks.group_size(g) = 0;
  const int nb = rec.nodes.attr_count >= 1 ? rec.nodes.attr_max(1) : 0;
  if (nb < 1 || nb > tarn::max_blocks) return;
  blocks.block_attr = 1;
  blocks.block_count = static_cast<tarn::int16>(nb);
  blocks.block_type_count = 1;
  for (int r = 1; r <= nb; ++r) {
    for (int c = 1; c <= nb; ++c) blocks.block_type(r, c) = r == c ? 1 : 0;
  }
  blocks.group_type(1) = 3;
  blocks.group_size(1) = 1;
  blocks.group_column0(1) = 16;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto rec = std::make_unique<tarn::Records>();
  static auto wide = std::make_unique<tarn::WideStatistics>(*rec);
  const std::vector<std::string> parts =
      sections(std::string(reinterpret_cast<const char*>(data), size));
  std::istringstream in;
  std::ostringstream out;
  tarn::Io io(in, out);
  auto network = data_file(parts[0], "net.dat");
  try {
    tarn::read_network(*rec, io, *network);
    for (int t = 2; t <= 15; ++t) rec->flags.type_on(t) = 1;
    rec->triad_out_only() = 0;
    rec->flags.type_on(16) = parts.size() >= 2 ? 1 : 0;
    rec->blocks.block_attr = 0;
    if (parts.size() >= 3) {
      rec->nodes.attr_count = 3;
      auto attributes = data_file(parts[2], "attr.dat");
      tarn::read_attributes(*rec, *attributes);
      block_by_first_attribute(*rec);
    }
    if (parts.size() >= 2) {
      io.comparative = data_file(parts[1], "comp.dat");
      tarn::init(*rec, io);
    }
    const int n = rec->nodes.node_count;
    for (int i = 1; i <= n && i <= 60; ++i) {
      tarn::calcfr(*rec, io, static_cast<tarn::int16>(i));
      wide->compute(i);
      for (int t = 2; t <= 15; ++t) {
        for (int j = 1; j <= n; ++j) {
          if (rec->stats.change_stat(j, t) != wide->value(j, t)) std::abort();
        }
      }
    }
  } catch (const tarn::FatalError&) {
    // A clear refusal is the expected answer to bad input.
  }
  return 0;
}
