// Fuzzes the network reader and the link store on arbitrary file contents, then computes the
// change statistics of every sender, so that whatever the store accepted is also safe to use.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "input/data_file.h"
#include "input/io.h"
#include "input/network_file.h"
#include "stats/calcfr.h"
#include "store/fatal_error.h"
#include "store/records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto rec = std::make_unique<tarn::Records>();
  std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in;
  std::ostringstream out;
  tarn::Io io(in, out);
  tarn::DataFile file(std::make_unique<std::istringstream>(text), "fuzz.dat");
  try {
    tarn::read_network(*rec, io, file);
    for (int t = 2; t <= 15; ++t) rec->flags.type_on(t) = 1;
    rec->flags.type_on(1) = 0;
    rec->flags.type_on(16) = 0;
    rec->blocks.block_attr = 0;
    int n = rec->nodes.node_count;
    for (int i = 1; i <= n && i <= 60; ++i) tarn::calcfr(*rec, io, static_cast<tarn::int16>(i));
  } catch (const tarn::FatalError&) {
  }
  return 0;
}
