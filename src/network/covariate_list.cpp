#include "network/covariate_list.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
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
  CovariateEntries(const std::string& file_name, int node_count)
      : file_name_(file_name), node_count_(node_count) {}

  void add(int sender, int receiver, std::int64_t value, long line, int value_column) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
      throw input_error(
          InputPlace{file_name_, line, value_column},
          std::string("the value ") + std::to_string(value) + " is outside -32768..32767.");
    }
    if (value == 0) return;
    entries_.push_back({static_cast<std::int16_t>(sender), static_cast<std::int16_t>(receiver),
                        static_cast<std::int16_t>(value)});
  }

  ComparativeNetwork finish(long last_line) && {
    if (entries_.empty()) {
      throw input_error({file_name_, std::max(last_line, 1L)},
                        "the file holds no pair with a non-zero value.");
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
  const std::string& file_name_;
  int node_count_;
  std::vector<CovariateEntry> entries_;
};

// One valued row of a covariate list: its nodes and value, where the value was written.
struct ValuedRow {
  int sender = 0, receiver = 0;
  double value = 1;
  std::string_view written;  // empty: no value column (or a Pajek arc without a weight)
  long line = 0;
  int value_column = 3;
};

// Reads the rows of a covariate list in any of its formats, naming their nodes as the network
// does, and hands each to `take`. A value that is no number ends the run here; what a number
// may be, `take` judges.
void read_valued_rows(std::istream& in, const std::string& file_name, NetworkFormat format,
                      const NodeLabels& labels, int node_count, HeaderRule header,
                      const std::function<void(const ValuedRow&)>& take, long& lines) {
  const auto node = [&](std::string_view name, long line, int column, const char* role) {
    if (name.empty())
      throw input_error(InputPlace{file_name, line, column},
                        std::string("the ") + role + " is empty.");
    const int found = labels.node_of(name);
    if (found < 1 || found > node_count) {
      throw input_error(InputPlace{file_name, line, column},
                        shown(name) + " is no node of the network.");
    }
    return found;
  };
  if (format == NetworkFormat::pajek) {
    const PajekVertices vertices = read_pajek_arcs(in, file_name, [&](const PajekArc& arc) {
      const auto vertex = [&](int number, std::string_view label, int column) {
        const std::string name =
            labels.numbered() || label.empty() ? std::to_string(number) : std::string(label);
        return node(name, arc.line, column, column == arc.sender_column ? "sender" : "receiver");
      };
      take({vertex(arc.sender, arc.sender_label, arc.sender_column),
            vertex(arc.receiver, arc.receiver_label, arc.receiver_column), arc.value,
            arc.weight_text, arc.line, 3});
    });
    lines = vertices.lines;
    return;
  }
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  read_edge_rows(reader, header, {}, [&](const EdgeRow& row) {
    ValuedRow valued{node(row.sender, row.line, row.sender_column, "sender"),
                     node(row.receiver, row.line, row.receiver_column, "receiver"),
                     1,
                     {},
                     row.line,
                     row.value_column};
    if (row.has_value) {
      const auto number = decimal_number(row.value);
      if (!number) {
        throw input_error({file_name, row.line, row.value_column},
                          "the value " + shown(row.value) + " is not a number.");
      }
      valued.value = *number;
      valued.written = row.value;
    }
    take(valued);
  });
  lines = reader.lines_read();
}

}  // namespace

ComparativeNetwork read_covariate_list(std::istream& in, const std::string& file_name,
                                       NetworkFormat format, const NodeLabels& labels,
                                       int node_count, HeaderRule header) {
  CovariateEntries entries(file_name, node_count);
  long lines = 0;
  read_valued_rows(
      in, file_name, format, labels, node_count, header,
      [&](const ValuedRow& row) {
        if (row.value != std::trunc(row.value) || std::fabs(row.value) > 1e15) {
          throw input_error({file_name, row.line, row.value_column},
                            "the value " + shown(row.written) + " is not a whole number.");
        }
        entries.add(row.sender, row.receiver, static_cast<std::int64_t>(row.value), row.line,
                    row.value_column);
      },
      lines);
  return std::move(entries).finish(lines);
}

DyadValues read_dyad_values(std::istream& in, const std::string& file_name, NetworkFormat format,
                            const NodeLabels& labels, int node_count, HeaderRule header) {
  std::vector<DyadValues::Entry> entries;
  long lines = 0;
  read_valued_rows(
      in, file_name, format, labels, node_count, header,
      [&](const ValuedRow& row) {
        entries.push_back({row.sender, row.receiver, row.value});
      },
      lines);
  if (entries.empty()) {
    throw input_error({file_name, std::max(lines, 1L)}, "the file holds no pair.");
  }
  return DyadValues(node_count, std::move(entries));
}

}  // namespace tarn
