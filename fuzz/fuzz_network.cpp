// Fuzzes the data-file readers on arbitrary contents: the network file, then, when the input
// holds them, a comparative network file and an attribute file, each after a line "%%"
// (network, then comparative, then attributes). Whatever the readers accept is then used: the
// statistics of the first senders are computed with every type, the covariate and a blocking by
// the first attribute, and every statistic must equal its definition, so that nothing the
// readers accept can wrap in the 16-bit statistics table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/blocking.h"
#include "model/kernel_layout.h"
#include "network/attribute_file.h"
#include "network/comparative_file.h"
#include "network/data_file.h"
#include "network/fatal_error.h"
#include "network/file_name.h"
#include "network/network_file.h"
#include "kernel/link_store_graph.h"
#include "kernel/sender_statistics.h"
#include "kernel/statistic_range.h"
#include "terms/change_statistics.h"

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

tarn::DataFile data_file(const std::string& text, const char* name) {
  return tarn::DataFile(std::make_unique<std::istringstream>(text), tarn::name_field(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarn;
  const std::vector<std::string> parts =
      sections(std::string(reinterpret_cast<const char*>(data), size));
  try {
    DataFile network_file = data_file(parts[0], "net.dat");
    const Network network = read_network_file(network_file);
    check_statistic_range(network, "net.dat");
    const int n = network.node_count;
    std::optional<ComparativeNetwork> comparative;
    if (parts.size() >= 2) {
      DataFile file = data_file(parts[1], "comp.dat");
      comparative = read_comparative_file(file, n);
    }
    ModelDescription description;
    for (int t = 1; t <= (comparative ? 16 : 15); ++t) {
      description.push_back({static_cast<ConfigurationType>(t), {}});
    }
    std::optional<DyadBlocks> blocks;
    int block_types = 0;
    if (parts.size() >= 3) {
      DataFile file = data_file(parts[2], "attr.dat");
      const NodeAttributes attributes = read_attribute_file(file, 3);
      const int nb = attributes.usable_count >= 1 ? attributes.largest[0] : 0;
      if (nb >= 1 && nb <= max_blocks) {
        blocks = dyad_blocks(Blocking::identity(1, nb), attributes, n);
        block_types = 1;
        description.push_back({ConfigurationType::out_two_star, {1}});
      }
    }
    const KernelLayout model = build_kernel_layout(description, block_types);
    SenderStatistics statistics(
        {&network, &model, blocks ? &*blocks : nullptr, comparative ? &*comparative : nullptr});
    const LinkStoreGraph graph(network);
    for (int i = 1; i <= n && i <= 60; ++i) {
      statistics.compute(i);
      for (int t = 2; t <= 15; ++t) {
        for (int j = 1; j <= n; ++j) {
          const auto type = static_cast<ConfigurationType>(t);
          if (statistics.column(t)[j - 1] != change_statistic(type, graph, i, j)) std::abort();
        }
      }
      if (blocks) {
        for (int j = 1; j <= n; ++j) {
          const int expected = blocks->block_type(i, j) == 1 ? statistics.column(3)[j - 1] : 0;
          if (statistics.column(17)[j - 1] != expected) std::abort();
        }
      }
    }
  } catch (const FatalError&) {
    // A clear refusal is the expected answer to bad input.
  }
  return 0;
}
