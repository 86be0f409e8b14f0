#include "network/missing_dyads.h"

#include <algorithm>
#include <cstdlib>

#include "network/delimited_text.h"
#include "network/fatal_error.h"
#include "network/shown_text.h"

namespace tarn {

std::vector<MissingRow> read_missing_list(std::istream& in, const std::string& file_name,
                                          NetworkFormat format, const NodeLabels& labels,
                                          int node_count, HeaderRule header, int first_mode) {
  if (format != NetworkFormat::csv && format != NetworkFormat::tsv &&
      format != NetworkFormat::blank) {
    throw input_error({file_name, 1},
                      "a list of missing dyads is an edge list (csv, tsv or "
                      "blank-separated: sender, receiver), not a " +
                          std::string(network_format_name(format)) + " file.");
  }
  // Two modes with labels of their own: the senders' labels and the receivers' apart.
  std::vector<std::string> mode_labels[2];
  for (int a = 1; first_mode > 0 && a <= node_count; ++a) {
    mode_labels[a <= first_mode ? 0 : 1].push_back(labels.name(a));
  }
  const NodeLabels by_mode[2] = {NodeLabels(std::move(mode_labels[0])),
                                 NodeLabels(std::move(mode_labels[1]))};
  const auto node = [&](std::string_view name, long line, int column, const char* role) {
    if (name.empty()) {
      throw input_error({file_name, line, column}, std::string("the ") + role + " is empty.");
    }
    const bool sender = role[0] == 's';
    int found = labels.node_of(name);
    if (first_mode > 0) {
      const int in_mode = by_mode[sender ? 0 : 1].labelled(name);
      found = in_mode == 0 ? 0 : in_mode + (sender ? 0 : first_mode);
    }
    if (found < 1 || found > node_count) {
      throw input_error({file_name, line, column},
                        shown(name) + " is no node of the " +
                            (first_mode == 0 ? "network."
                             : sender        ? "first mode (the senders')."
                                             : "second mode (the receivers')."));
    }
    return found;
  };
  std::vector<MissingRow> rows;
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  read_edge_rows(reader, header, {}, [&](const EdgeRow& row) {
    rows.push_back({node(row.sender, row.line, row.sender_column, "sender"),
                    node(row.receiver, row.line, row.receiver_column, "receiver"), row.line});
  });
  return rows;
}

namespace {

bool linked(const Network& network, int i, int j) {
  if (i > network.node_count) return false;
  for (const node_id b : network.out_list(i)) {
    if (std::abs(b) == j) return true;
  }
  return false;
}

}  // namespace

std::vector<std::pair<int, int>> settle_missing_dyads(const Network& network,
                                                      std::span<const MissingRows> given,
                                                      bool directed, bool diagonal,
                                                      const NodeLabels& labels) {
  std::vector<std::pair<int, int>> dyads;
  for (const MissingRows& file : given) {
    for (const MissingRow& row : file.rows) {
      int i = row.sender, j = row.receiver;
      if (!directed && i > j) std::swap(i, j);
      if (i == j && !(diagonal && directed)) continue;
      if (linked(network, i, j)) {
        throw input_error({file.file, row.line},
                          "the dyad " + shown(labels.name(row.sender)) + ", " +
                              shown(labels.name(row.receiver)) +
                              " is missing (NA) here but a link of the network: a dyad is "
                              "either observed or missing.");
      }
      dyads.emplace_back(i, j);
    }
  }
  std::sort(dyads.begin(), dyads.end());
  dyads.erase(std::unique(dyads.begin(), dyads.end()), dyads.end());
  return dyads;
}

Network without_missing_dyads(const Network& network, std::span<const std::pair<int, int>> missing,
                              bool directed) {
  NetworkBuilder builder("A network drawn", command_line_limits);
  builder.declare_nodes(std::max(network.node_count, 1));
  for (int a = 1; a <= network.node_count; ++a) {
    for (const node_id e : network.out_list(a)) {
      const int b = std::abs(e);
      if (!is_missing_dyad(missing, a, b, directed)) builder.add_link(a, b);
    }
  }
  return std::move(builder).finish();
}

bool is_missing_dyad(std::span<const std::pair<int, int>> missing, int i, int j, bool directed) {
  if (!directed && i > j) std::swap(i, j);
  return std::binary_search(missing.begin(), missing.end(), std::pair<int, int>(i, j));
}

}  // namespace tarn
