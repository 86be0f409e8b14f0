#include "network/edge_list_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "network/capacity.h"
#include "network/fatal_error.h"
#include "network/link_collector.h"
#include "network/node_labels.h"
#include "network/pair_rows.h"
#include "network/two_mode_names.h"
#include "network/weights_read_as_ties.h"
#include "numeric/letter_case.h"

namespace tarn {

namespace {

// The nodes of an edge list by their labels. Every label gets an id, 1, 2, ... in order of
// first appearance; while all labels are node numbers the nodes are those numbers, and the ids
// are kept only to be mapped to them at the end.
class NodeNames {
 public:
  // `declared`: the nodes are 1..declared, named by their numbers (--nodes); 0: any labels.
  // `labels`: every label is a name, numbers too (--labels).
  NodeNames(int declared, bool labels, int limit)
      : declared_(declared), numbered_(!labels), limit_(limit) {
    largest_number_ = declared;
  }

  // The id of a label; 0 when it would be node limit + 1; -1 when it is no declared node.
  int id_of(std::string_view label) {
    if (numbered_) {
      const int number = node_number(label, limit_);
      if (declared_ > 0 && (number < 1 || number > declared_)) return -1;
      if (number > 0) {
        const auto at = static_cast<std::size_t>(number);
        if (at >= id_of_number_.size()) {
          id_of_number_.resize(std::max(at + 1, id_of_number_.size() * 3 / 2), 0);
        }
        node_id& id = id_of_number_[at];
        if (id == 0) {
          number_of_id_.push_back(number);
          id = static_cast<node_id>(number_of_id_.size());
          largest_number_ = std::max(largest_number_, number);
        }
        return id;
      }
      stop_numbering();
    }
    if (const int id = labels_.labelled(label)) return id;
    if (labels_.size() >= limit_) return 0;
    return labels_.add(label);
  }

  int node_count() const { return numbered_ ? largest_number_ : labels_.size(); }
  // The node of each id; empty when the ids are the nodes.
  std::span<const int> node_of_id() const {
    if (numbered_) return number_of_id_;
    return {};
  }
  // The name of an id as the file writes it.
  std::string name_of_id(int id) const {
    return numbered_ ? std::to_string(number_of_id_[static_cast<std::size_t>(id - 1)])
                     : labels_.name(id);
  }
  NodeLabels labels() && {
    return numbered_ ? NodeLabels::numbered_up_to(limit_) : std::move(labels_);
  }
  // The labels of the ids after the first `dropped` (a header read as a first row).
  NodeLabels labels_after(int dropped) && {
    std::vector<std::string> kept;
    for (int id = dropped + 1; id <= labels_.size(); ++id) kept.push_back(labels_.name(id));
    return NodeLabels(std::move(kept));
  }

 private:
  // The ids given so far become the ids of the numbers' texts.
  void stop_numbering() {
    numbered_ = false;
    for (const int number : number_of_id_) labels_.add(std::to_string(number));
    id_of_number_ = {};
  }

  int declared_ = 0;
  bool numbered_ = true;
  int limit_ = max_nodes;
  std::vector<node_id> id_of_number_;  // grown with the numbers met
  std::vector<int> number_of_id_;
  int largest_number_ = 0;
  NodeLabels labels_;
};

// The largest count a --response column may give.
constexpr int max_count = 1000000000;

// Rows after a first row that are needed before it is taken for a header by its labels alone.
constexpr long min_rows_for_guess = 10;

// What the reading of one edge list gathers, row by row, and the network built from it.
class EdgeListReading {
 public:
  EdgeListReading(const std::string& file_name, const EdgeListOptions& options)
      : file_name_(file_name),
        options_(options),
        names_(options.node_count, options.labels, options.limits.nodes),
        two_mode_names_(options.limits.nodes),
        links_(file_name, options.limits) {}

  void add_row(const EdgeRow& row) {
    const int sender = node(row.sender, row.line, row.sender_column, 0);
    const int receiver = node(row.receiver, row.line, row.receiver_column, 1);
    if (rows_read_++ > 0 && whole_number(row.sender) && whole_number(row.receiver)) {
      ++numbered_rows_;
    }
    if (row.has_value && marks_missing_dyad(row.value)) {
      missing_.push_back({sender, receiver, row.line});
      return;
    }
    if (row.has_value) {
      const auto value = decimal_number(row.value);
      if (!value || *value < 0) {
        throw input_error(
            {file_name_, row.line, row.value_column},
            "the value " + shown(row.value) + (value ? " is negative." : " is not a number."));
      }
      if (!options_.response.empty() && (*value != std::floor(*value) || *value > max_count)) {
        throw input_error({file_name_, row.line, row.value_column},
                          "the value " + shown(row.value) + " of --response " + options_.response +
                              " is not a count (a whole number 0, 1, 2, ... "
                              "up to " +
                              std::to_string(max_count) + ").");
      }
      pair_rows_.note(sender, receiver, *value, row.line);
      if (*value == 0) return;
      if (options_.response.empty()) {
        weights_.note(*value, row.value);
      } else {
        first_row_counted_ = first_row_counted_ || rows_read_ == 1;
        counts_.push_back({sender, receiver, static_cast<int>(*value), row.line});
      }
    } else {
      pair_rows_.note(sender, receiver, 1, row.line);
    }
    first_linked_ = first_linked_ || rows_read_ == 1;
    check_modes(row);
    links_.add(sender, receiver, row.line);
  }

  // A header read as a link names two nodes that nothing else names. When the other rows are
  // many and all name their nodes by labels, it is taken for a header (true); else only said.
  bool guess_header(const EdgeRows& rows, std::vector<Warning>& warnings) {
    if (rows.first_link.size() != 2 ||
        (whole_number(rows.first_link[0]) && whole_number(rows.first_link[1]))) {
      return false;
    }
    const int a = id_of(rows.first_link[0], 0), b = id_of(rows.first_link[1], 1);
    const int alone = a == b ? 2 : 1;
    if (a <= 0 || b <= 0 || appearances_[std::size_t(a - 1)] != alone ||
        appearances_[std::size_t(b - 1)] != alone) {
      return false;
    }
    const bool guessed =
        a == 1 && b == 2 && first_linked_ && rows_read_ > min_rows_for_guess && numbered_rows_ == 0;
    warnings.push_back(Warning{guessed ? "header_guessed" : "header_read_as_link"}
                           .add_text("file", file_name_)
                           .add_text("sender", rows.first_link[0])
                           .add_text("receiver", rows.first_link[1])
                           .add_text("reason", "labels_alone"));
    return guessed;
  }

  // The network, its labels, and the warnings of the rows put before `result`'s.
  void finish(bool header_guessed, LabelledNetwork& result) && {
    result.within_mode_row = within_mode_row_;
    if (header_guessed) {
      links_.drop_first();
      pair_rows_.drop_first();
      if (first_row_counted_) counts_.erase(counts_.begin());
    }
    std::vector<Warning> said = pair_rows_.warnings(file_name_, options_.undirected,
                                                    [this](int id) { return name_of_id(id); });
    if (auto weighted = weights_.warning(file_name_)) said.push_back(*weighted);
    // A count of 0 is a dyad's value like any other, not a link left out.
    if (!options_.response.empty()) {
      std::erase_if(said, [](const Warning& w) { return w.code == "zero_value_rows"; });
    }
    result.warnings.insert(result.warnings.begin(), said.begin(), said.end());
    if (options_.two_mode) {
      finish_two_modes(header_guessed ? 2 : 0, result);
      return;
    }
    if (header_guessed) {
      std::vector<int> node_of_id = {1, 1};  // ids 1 and 2 name no link any more
      for (int id = 3; id <= names_.node_count(); ++id) node_of_id.push_back(id - 2);
      map_rows(node_of_id, result);
      result.network = std::move(links_).build(names_.node_count() - 2, node_of_id);
      result.labels = std::move(names_).labels_after(2);
      return;
    }
    map_rows(names_.node_of_id(), result);
    result.network = std::move(links_).build(names_.node_count(), names_.node_of_id());
    result.labels = std::move(names_).labels();
  }

 private:
  // Rows with their ids mapped to nodes as the links' are (empty map: ids are nodes).
  template <class Row>
  static std::vector<Row> mapped(std::vector<Row> rows, std::span<const int> node_of_id) {
    if (node_of_id.empty()) return rows;
    for (Row& row : rows) {
      row.sender = node_of_id[static_cast<std::size_t>(row.sender - 1)];
      row.receiver = node_of_id[static_cast<std::size_t>(row.receiver - 1)];
    }
    return rows;
  }
  void map_rows(std::span<const int> node_of_id, LabelledNetwork& result) const {
    result.missing = mapped(missing_, node_of_id);
    result.counts = mapped(counts_, node_of_id);
  }

  // The modes' nodes, the first mode first; a mode that no row names is refused.
  void finish_two_modes(int dropped, LabelledNetwork& result) {
    TwoModeNumbering numbering = two_mode_names_.numbering(dropped);
    const int second_mode = numbering.node_count - numbering.first_mode;
    if (numbering.first_mode == 0 || second_mode == 0) {
      throw FatalError(
          "Input error in \"" + file_name_ + "\": no row names a node of the " +
              (numbering.first_mode == 0 ? "first mode (a sender)" : "second mode (a receiver)") +
              "; a two-mode network has nodes of both modes.",
          {file_name_});
    }
    map_rows(numbering.node_of_id, result);
    result.network = std::move(links_).build(numbering.node_count, numbering.node_of_id);
    result.network.bipartite = numbering.first_mode;
    result.labels = std::move(numbering.labels);
  }

  // Mode 0 names senders, 1 receivers: the same label in both is one node unless --two-mode.
  int id_of(std::string_view label, int mode) {
    return options_.two_mode ? two_mode_names_.id_of(label, mode) : names_.id_of(label);
  }
  std::string name_of_id(int id) const {
    return options_.two_mode ? two_mode_names_.name_of_id(id) : names_.name_of_id(id);
  }

  // With --bipartite the ids are node numbers: the first row within a mode is kept with its line
  // (a row of other ids, a header, is left to the check of the network read).
  void check_modes(const EdgeRow& row) {
    const int first = options_.bipartite;
    if (first == 0 || !within_mode_row_.empty()) return;
    const auto sender = whole_number(row.sender), receiver = whole_number(row.receiver);
    if (!sender || !receiver || (*sender <= first) != (*receiver <= first)) return;
    within_mode_row_ = "\"" + file_name_ + "\" line " + std::to_string(row.line) + ": " +
                       within_mode_link(*sender, *receiver, first);
  }

  // Mode 0: the sender, 1: the receiver.
  int node(std::string_view label, long line, int column, int mode) {
    const InputPlace at{file_name_, line, column};
    if (label.empty()) {
      throw input_error(at,
                        std::string("the ") + (mode == 0 ? "sender" : "receiver") + " is empty.");
    }
    const int id = id_of(label, mode);
    if (id == 0) {
      throw capacity_passed(at, std::string("Too many nodes! ") + shown(label) + " would be node " +
                                    std::to_string(std::int64_t{options_.limits.nodes} + 1) + ".");
    }
    if (id < 0) {
      throw input_error(at, shown(label) + " is no node number within 1.." +
                                std::to_string(options_.node_count) + " (--nodes " +
                                std::to_string(options_.node_count) + ").");
    }
    if (appearances_.size() < static_cast<std::size_t>(id)) appearances_.resize(std::size_t(id), 0);
    ++appearances_[static_cast<std::size_t>(id - 1)];
    return id;
  }

  const std::string& file_name_;
  const EdgeListOptions& options_;
  NodeNames names_;
  TwoModeNames two_mode_names_;  // with --two-mode, instead of names_
  LinkCollector links_;
  std::string within_mode_row_;
  PairRows pair_rows_;
  WeightsReadAsTies weights_;
  std::vector<int> appearances_;     // by id: the rows that name it
  std::vector<MissingRow> missing_;  // rows of value NA, nodes by id
  std::vector<CountRow> counts_;     // with --response: rows of non-zero counts, nodes by id
  bool first_row_counted_ = false;   // the first of counts_ is the first row's
  long rows_read_ = 0;               // rows that are not the header
  long numbered_rows_ = 0;           // rows after the first whose sender and receiver are numbers
  bool first_linked_ = false;        // the first row gave a link
};

// The warnings of the columns read: an index column skipped, a header guessed from its fields.
void add_column_warnings(const EdgeRows& rows, const std::string& file_name,
                         std::vector<Warning>& warnings) {
  if (rows.index_skipped) {
    warnings.push_back(Warning{"index_column_skipped"}.add_text("file", file_name));
  }
  if (rows.header_sign == HeaderSign::none) return;
  const auto field = [&rows](int column) {
    return rows.header[static_cast<std::size_t>(column - 1)];
  };
  warnings.push_back(Warning{"header_guessed"}
                         .add_text("file", file_name)
                         .add_text("sender", field(rows.sender_column))
                         .add_text("receiver", field(rows.receiver_column))
                         .add_text("reason", rows.header_sign == HeaderSign::value_not_a_number
                                                 ? "value_not_a_number"
                                                 : "labels_over_numbers"));
}

}  // namespace

LabelledNetwork read_edge_list(std::istream& in, const std::string& file_name, NetworkFormat format,
                               HeaderRule header) {
  EdgeListOptions options;
  options.header = header;
  return read_edge_list(in, file_name, format, options);
}

LabelledNetwork read_edge_list(std::istream& in, const std::string& file_name, NetworkFormat format,
                               const EdgeListOptions& options) {
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  EdgeListReading reading(file_name, options);
  const EdgeRows rows = read_edge_rows(
      reader, options.header, options.columns, [&](const EdgeRow& row) { reading.add_row(row); },
      options.response);
  LabelledNetwork result;
  result.header = rows.header;
  add_column_warnings(rows, file_name, result.warnings);
  const bool header_guessed = reading.guess_header(rows, result.warnings);
  if (header_guessed) result.header = rows.first_link;
  std::move(reading).finish(header_guessed, result);
  return result;
}

}  // namespace tarn
