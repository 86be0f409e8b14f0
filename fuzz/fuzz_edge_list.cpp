// Fuzzes the readers of the formats people have. The first byte chooses the format (csv, tsv,
// blank or Pajek) and the header rule; the rest is the file. An accepted network must hold
// together: degrees summing to the link count, every list entry a node 1..n, one label per node
// when the nodes have labels. The same text is then read as a covariate list, an attribute
// table and a block structure for that network, whose results must stay within their bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "network/attribute_table.h"
#include "network/block_structure_file.h"
#include "network/covariate_list.h"
#include "network/edge_list_file.h"
#include "network/fatal_error.h"
#include "network/pajek_file.h"

namespace {

using namespace tarn;

void require(bool holds) {
  if (!holds) std::abort();
}

void check_network(const LabelledNetwork& read_in) {
  const Network& net = read_in.network;
  const int n = net.node_count;
  require(n >= 0 && n <= max_nodes && net.link_count >= 0 && net.link_count <= max_links);
  long out_sum = 0, in_sum = 0;
  for (int a = 1; a <= n; ++a) {
    out_sum += net.out(a);
    in_sum += net.in(a);
    require(net.out_first[static_cast<std::size_t>(a - 1)] + net.out(a) <= net.link_count);
    for (const node_id j : net.out_list(a)) require(j != 0 && std::abs(j) <= n);
    for (const node_id i : net.in_list(a)) require(i >= 1 && i <= n);
  }
  require(out_sum == net.link_count && in_sum == net.link_count);
  require(read_in.labels.numbered() || read_in.labels.size() == n);
}

void check_covariates(const ComparativeNetwork& cov, int n) {
  require(cov.node_count == n && cov.first.size() == static_cast<std::size_t>(n) + 1);
  require(cov.first.front() == 0 &&
          cov.first.back() == static_cast<std::int32_t>(cov.entries.size()));
  for (int i = 1; i <= n; ++i) {
    require(cov.first[static_cast<std::size_t>(i - 1)] <= cov.first[static_cast<std::size_t>(i)]);
    for (const ComparativeValue& v : cov.row(i))
      require(v.receiver >= 1 && v.receiver <= n && v.value != 0);
  }
}

void check_attributes(const AttributeTable& table, int n) {
  const NodeAttributes& attributes = table.attributes;
  require(table.names.size() <= static_cast<std::size_t>(max_attrs));
  require(table.nodes_without_row >= 0 && table.nodes_without_row <= n);
  for (std::size_t a = 0; a < table.names.size(); ++a) {
    int highest = 0;
    for (int node = 1; node <= max_nodes; ++node) {
      const int value = attributes.of(node, static_cast<int>(a) + 1);
      require(value >= 0 && value <= attributes.largest[a] && (node <= n || value == 0));
      highest = std::max(highest, value);
    }
    require(highest == attributes.largest[a]);  // the largest category is some node's
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr NetworkFormat formats[] = {NetworkFormat::csv, NetworkFormat::tsv, NetworkFormat::blank,
                                       NetworkFormat::pajek};
  constexpr HeaderRule rules[] = {HeaderRule::detect, HeaderRule::present, HeaderRule::absent};
  const NetworkFormat format = formats[data[0] % 4];
  const HeaderRule rule = rules[(data[0] >> 2) % 3];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  LabelledNetwork read_in;
  try {
    std::istringstream in(text);
    read_in = format == NetworkFormat::pajek ? read_pajek(in, "fuzz.net")
                                             : read_edge_list(in, "fuzz.txt", format, rule);
  } catch (const FatalError&) {
    return 0;  // a clear refusal is the expected answer to bad input
  }
  check_network(read_in);
  const int n = read_in.network.node_count;
  try {
    std::istringstream in(text);
    check_covariates(read_covariate_list(in, "fuzz.txt", format, read_in.labels, n, rule), n);
  } catch (const FatalError&) {
  }
  if (format != NetworkFormat::pajek) {
    try {
      std::istringstream in(text);
      check_attributes(read_attribute_table(in, "fuzz.txt", format, read_in.labels, n), n);
    } catch (const FatalError&) {
    }
  }
  try {
    std::istringstream in(text);
    const int blocks = 1 + data[0] % 3;
    const auto rows = read_block_structure(in, "fuzz.txt", blocks);
    require(rows.size() == static_cast<std::size_t>(blocks));
    for (const auto& row : rows) {
      require(row.size() == static_cast<std::size_t>(blocks));
      for (const int value : row) require(value >= 0 && value <= max_block_types);
    }
  } catch (const FatalError&) {
  }
  return 0;
}
