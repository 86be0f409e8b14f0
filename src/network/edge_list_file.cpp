#include "network/edge_list_file.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "network/capacity.h"
#include "network/fatal_error.h"
#include "network/letter_case.h"
#include "network/link_collector.h"

namespace tarn {

namespace {

// The nodes of an edge list by their labels. Every label gets an id, 1, 2, ... in order of
// first appearance; while all labels are node numbers the nodes are those numbers, and the ids
// are kept only to be mapped to them at the end.
class NodeNames {
 public:
  NodeNames() : id_of_number_(max_nodes + 1, 0) {}

  // The id of a label; 0 when it would be node 2001.
  int id_of(std::string_view label) {
    if (numbered_) {
      const int number = node_number(label);
      if (number > 0) {
        int16& id = id_of_number_[static_cast<std::size_t>(number)];
        if (id == 0) {
          number_of_id_.push_back(number);
          id = static_cast<int16>(number_of_id_.size());
          largest_number_ = std::max(largest_number_, number);
        }
        return id;
      }
      stop_numbering();
    }
    if (const int id = labels_.labelled(label)) return id;
    if (labels_.size() >= max_nodes) return 0;
    return labels_.add(label);
  }

  int node_count() const { return numbered_ ? largest_number_ : labels_.size(); }
  // The node of each id; empty when the ids are the nodes.
  std::span<const int> node_of_id() const {
    if (numbered_) return number_of_id_;
    return {};
  }
  NodeLabels labels() && { return numbered_ ? NodeLabels() : std::move(labels_); }

 private:
  // The ids given so far become the ids of the numbers' texts.
  void stop_numbering() {
    numbered_ = false;
    for (const int number : number_of_id_) labels_.add(std::to_string(number));
  }

  bool numbered_ = true;
  std::vector<int16> id_of_number_;
  std::vector<int> number_of_id_;
  int largest_number_ = 0;
  NodeLabels labels_;
};

bool is_header_word(std::string_view field) {
  static constexpr std::array<std::string_view, 18> words = {
      "source", "target", "from", "to", "sender", "receiver", "ego",   "alter", "tail",
      "head",   "i",      "j",    "v1", "v2",     "node1",    "node2", "id1",   "id2"};
  for (const std::string_view word : words) {
    if (same_text_any_case(field, word)) return true;
  }
  return false;
}

}  // namespace

DelimitedSyntax delimited_syntax(NetworkFormat format) {
  switch (format) {
    case NetworkFormat::csv:
      return {Delimiter::comma, '\0', true};
    case NetworkFormat::tsv:
      return {Delimiter::tab, '\0', true};
    case NetworkFormat::blank:
      return {Delimiter::blanks, '#', true};
    case NetworkFormat::record:
    case NetworkFormat::pajek:
      break;
  }
  throw std::invalid_argument("not a delimited format: " +
                              std::string(network_format_name(format)));
}

bool looks_like_header(std::span<const std::string_view> first,
                       std::span<const std::string_view> second) {
  if (first.size() < 2) return false;
  if (first.size() >= 3 && !whole_number(first[2])) return true;
  if (is_header_word(first[0])) return true;
  const auto numbers = [](std::span<const std::string_view> row) {
    return row.size() >= 2 && whole_number(row[0]) && whole_number(row[1]);
  };
  return !numbers(first) && numbers(second);
}

std::vector<std::string> read_edge_rows(
    DelimitedReader& reader, HeaderRule rule,
    const std::function<void(std::span<const std::string_view>, long)>& take) {
  if (!reader.next()) {
    throw FatalError("Input error in " +
                     place(reader.file_name(), std::max(reader.lines_read(), 1L)) +
                     ": the file is empty; an edge list has one link per row: sender, receiver "
                     "and an optional value.");
  }
  const std::size_t width = reader.fields().size();
  const long first_line = reader.line();
  if (width != 2 && width != 3) {
    throw FatalError("Input error in " + reader.where() + ": the row has " + std::to_string(width) +
                     " field(s), but an edge list has 2 (sender, receiver) or 3 (sender, "
                     "receiver, value).");
  }
  std::vector<std::string> first(reader.fields().begin(), reader.fields().end());
  const std::vector<std::string_view> first_fields(first.begin(), first.end());
  const bool more = reader.next();
  if (more) check_row_width(reader, width, first_line, "row");
  const bool is_header =
      rule == HeaderRule::present ||
      (rule == HeaderRule::detect &&
       looks_like_header(first_fields,
                         more ? reader.fields() : std::span<const std::string_view>()));
  std::vector<std::string> header;
  if (is_header) {
    if (!more) {
      throw FatalError("Input error in " + place(reader.file_name(), first_line) +
                       ": the file holds a header line and no link.");
    }
    header = std::move(first);
  } else {
    take(first_fields, first_line);
  }
  if (!more) return header;
  do {
    check_row_width(reader, width, first_line, "row");
    take(reader.fields(), reader.line());
  } while (reader.next());
  return header;
}

LabelledNetwork read_edge_list(std::istream& in, const std::string& file_name, NetworkFormat format,
                               HeaderRule header) {
  DelimitedReader reader(in, file_name, delimited_syntax(format));
  NodeNames names;
  LinkCollector links(file_name);
  LabelledNetwork result;
  static constexpr std::array<const char*, 2> roles = {"sender", "receiver"};
  result.header =
      read_edge_rows(reader, header, [&](std::span<const std::string_view> fields, long line) {
        std::array<int, 2> ids{};
        for (std::size_t k = 0; k < 2; ++k) {
          const auto column = static_cast<int>(k) + 1;
          if (fields[k].empty()) {
            throw FatalError("Input error in " + place(file_name, line, column) + ": the " +
                             roles[k] + " is empty.");
          }
          ids[k] = names.id_of(fields[k]);
          if (ids[k] == 0) {
            throw FatalError("Input error in " + place(file_name, line, column) +
                             ": Too many nodes! " + shown(fields[k]) + " would be node " +
                             std::to_string(max_nodes + 1) + ".");
          }
        }
        if (fields.size() == 3) {
          const auto value = whole_number(fields[2]);
          if (!value || *value < 0) {
            throw FatalError("Input error in " + place(file_name, line, 3) + ": the value " +
                             shown(fields[2]) +
                             (value ? " is negative." : " is not a whole number."));
          }
          if (*value == 0) return;
        }
        links.add(ids[0], ids[1], line);
      });
  result.network = std::move(links).build(names.node_count(), names.node_of_id());
  result.labels = std::move(names).labels();
  return result;
}

}  // namespace tarn
