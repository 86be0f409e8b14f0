#include "network/covariate_list.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "network/fatal_error.h"
#include "network/pajek_file.h"

namespace tarn {

namespace {

struct CovariateEntry {
  std::int16_t sender = 0;
  std::int16_t receiver = 0;
  std::int16_t value = 0;
};

class CovariateEntries {
 public:
  CovariateEntries(const std::string& file_name, const NodeLabels& labels, int node_count)
      : file_name_(file_name), labels_(labels), node_count_(node_count) {}

  // The node a name stands for; a name that is no node ends the run.
  int node(std::string_view name, long line, int column, const char* role) const {
    if (name.empty()) {
      throw FatalError(error_at(line, column) + "the " + role + " is empty.");
    }
    const int node = labels_.node_of(name);
    if (node < 1 || node > node_count_) {
      throw FatalError(error_at(line, column) + shown(name) + " is no node of the network.");
    }
    return node;
  }

  void add(int sender, int receiver, std::int64_t value, long line, int value_column) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
      throw FatalError(error_at(line, value_column) + "the value " + std::to_string(value) +
                       " is outside -32768..32767.");
    }
    if (value == 0) return;
    entries_.push_back({static_cast<std::int16_t>(sender), static_cast<std::int16_t>(receiver),
                        static_cast<std::int16_t>(value)});
  }

  ComparativeNetwork finish(long last_line) && {
    if (entries_.empty()) {
      throw FatalError("Input error in " + place(file_name_, std::max(last_line, 1L)) +
                       ": the file holds no pair with a non-zero value.");
    }
    const auto n = static_cast<std::size_t>(node_count_);
    ComparativeNetwork net;
    net.node_count = node_count_;
    // Counted by sender, then placed in file order; a repeated pair overwrites its first place.
    std::vector<std::size_t> next(n + 2, 0);
    for (const CovariateEntry& e : entries_) ++next[static_cast<std::size_t>(e.sender) + 1];
    for (std::size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
    std::vector<CovariateEntry> sorted(entries_.size());
    for (const CovariateEntry& e : entries_) sorted[next[static_cast<std::size_t>(e.sender)]++] = e;
    entries_ = {};
    std::vector<std::int32_t> place_of(n + 1, -1);
    net.first.assign(1, 0);
    std::size_t k = 0;
    for (int i = 1; i <= node_count_; ++i) {
      const std::size_t row_start = net.entries.size();
      for (; k < sorted.size() && sorted[k].sender == i; ++k) {
        std::int32_t& at = place_of[static_cast<std::size_t>(sorted[k].receiver)];
        if (at >= 0) {
          net.entries[static_cast<std::size_t>(at)].value = sorted[k].value;
        } else {
          at = static_cast<std::int32_t>(net.entries.size());
          net.entries.push_back({sorted[k].receiver, sorted[k].value});
        }
      }
      for (std::size_t e = row_start; e < net.entries.size(); ++e) {
        place_of[static_cast<std::size_t>(net.entries[e].receiver)] = -1;
      }
      net.first.push_back(static_cast<std::int32_t>(net.entries.size()));
    }
    return net;
  }

 private:
  std::string error_at(long line, int column) const {
    return "Input error in " + place(file_name_, line, column) + ": ";
  }

  const std::string& file_name_;
  const NodeLabels& labels_;
  int node_count_;
  std::vector<CovariateEntry> entries_;
};

}  // namespace

ComparativeNetwork read_covariate_list(std::istream& in, const std::string& file_name,
                                       NetworkFormat format, const NodeLabels& labels,
                                       int node_count, HeaderRule header) {
  CovariateEntries entries(file_name, labels, node_count);
  if (format == NetworkFormat::pajek) {
    const PajekVertices vertices = read_pajek_arcs(in, file_name, [&](const PajekArc& arc) {
      const auto node = [&](int vertex, std::string_view label, int column) {
        const std::string name =
            labels.numbered() || label.empty() ? std::to_string(vertex) : std::string(label);
        return entries.node(name, arc.line, column,
                            column == arc.sender_column ? "sender" : "receiver");
      };
      if (arc.value != std::trunc(arc.value) || std::fabs(arc.value) > 1e15) {
        throw FatalError("Input error in " + place(file_name, arc.line, 3) + ": the value " +
                         shown(arc.weight_text) + " is not a whole number.");
      }
      entries.add(node(arc.sender, arc.sender_label, arc.sender_column),
                  node(arc.receiver, arc.receiver_label, arc.receiver_column),
                  static_cast<std::int64_t>(arc.value), arc.line, 3);
    });
    return std::move(entries).finish(vertices.lines);
  }
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  read_edge_rows(reader, header, {}, [&](const EdgeRow& row) {
    const int sender = entries.node(row.sender, row.line, row.sender_column, "sender");
    const int receiver = entries.node(row.receiver, row.line, row.receiver_column, "receiver");
    std::int64_t value = 1;
    if (row.has_value) {
      const auto number = whole_number(row.value);
      if (!number) {
        throw FatalError("Input error in " + place(file_name, row.line, row.value_column) +
                         ": the value " + shown(row.value) + " is not a whole number.");
      }
      value = *number;
    }
    entries.add(sender, receiver, value, row.line, row.value_column);
  });
  return std::move(entries).finish(reader.lines_read());
}

}  // namespace tarn
