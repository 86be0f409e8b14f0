#include "network/edge_rows.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "network/fatal_error.h"
#include "numeric/letter_case.h"

namespace tarn {

namespace {

constexpr std::array<std::string_view, 9> sender_words = {"source", "from", "sender", "ego", "tail",
                                                          "i",      "v1",   "node1",  "id1"};
constexpr std::array<std::string_view, 9> receiver_words = {
    "target", "to", "receiver", "alter", "head", "j", "v2", "node2", "id2"};
constexpr std::array<std::string_view, 2> value_words = {"weight", "value"};

template <std::size_t N>
bool is_one_of(std::string_view field, const std::array<std::string_view, N>& words) {
  return std::any_of(words.begin(), words.end(),
                     [field](std::string_view word) { return same_text_any_case(field, word); });
}

// The first column whose name is one of `words`, or -1.
template <std::size_t N>
int column_named(std::span<const std::string> header,
                 const std::array<std::string_view, N>& words) {
  for (std::size_t c = 0; c < header.size(); ++c) {
    if (is_one_of(header[c], words)) return static_cast<int>(c);
  }
  return -1;
}

bool is_column_number(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 0-based columns; value -1 when there is none.
struct Placement {
  int sender = 0, receiver = 1, value = -1;
};

std::string header_text(std::span<const std::string> header) {
  std::string text;
  for (const std::string& name : header) text += (text.empty() ? "" : ",") + name;
  return shown(text);
}

Placement by_option(std::span<const std::string> columns, std::span<const std::string> header,
                    std::size_t width, const InputPlace& at) {
  std::array<int, 3> found = {-1, -1, -1};
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const std::string& item = columns[k];
    if (is_column_number(item)) {
      const auto number = item.size() <= 4 ? std::stoi(item) : 0;
      if (number < 1 || static_cast<std::size_t>(number) > width) {
        throw input_error(
            at, "--columns " + item + ": the rows have " + std::to_string(width) + " columns.");
      }
      found[k] = number - 1;
    } else {
      const auto named = std::find_if(header.begin(), header.end(), [&item](const std::string& h) {
        return same_text_any_case(h, item);
      });
      if (named == header.end()) {
        throw input_error(at, "--columns names " + shown(item) +
                                  ", which is no column of the header " + header_text(header) +
                                  ".");
      }
      found[k] = static_cast<int>(named - header.begin());
    }
  }
  if (found[0] == found[1]) {
    throw input_error(at, "--columns gives one column for the sender and the receiver.");
  }
  return {found[0], found[1], found[2]};
}

Placement by_header(std::span<const std::string> header, const InputPlace& at) {
  const int width = static_cast<int>(header.size());
  int sender = column_named(header, sender_words);
  int receiver = column_named(header, receiver_words);
  int value = column_named(header, value_words);
  if (width == 2 && sender != receiver) {
    if (sender < 0) sender = 1 - receiver;
    if (receiver < 0) receiver = 1 - sender;
  }
  if (sender < 0 || receiver < 0 || sender == receiver) {
    if (width == 2) return {0, 1, -1};
    throw input_error(at,
                      "the header " + header_text(header) +
                          " names no sender and receiver "
                          "column (source and target, from and to, ego and alter, ...), so its " +
                          std::to_string(width) +
                          " columns are not guessed; give them with --columns "
                          "SENDER,RECEIVER[,VALUE].");
  }
  if (value < 0 && width == 3) value = 3 - sender - receiver;
  return {sender, receiver, value};
}

Placement by_position(std::size_t width, const InputPlace& at) {
  if (width != 2 && width != 3) {
    throw input_error(at, "the row has " + std::to_string(width) +
                              " field(s), but an edge list has 2 (sender, receiver) or 3 (sender, "
                              "receiver, value); for other columns give a header or --columns.");
  }
  return {0, 1, width == 3 ? 2 : -1};
}

EdgeRow row_of(std::span<const std::string_view> fields, long line, const Placement& p) {
  EdgeRow row;
  row.sender = fields[static_cast<std::size_t>(p.sender)];
  row.receiver = fields[static_cast<std::size_t>(p.receiver)];
  row.has_value = p.value >= 0;
  if (row.has_value) row.value = fields[static_cast<std::size_t>(p.value)];
  row.line = line;
  row.sender_column = p.sender + 1;
  row.receiver_column = p.receiver + 1;
  row.value_column = p.value + 1;
  return row;
}

// The first row is judged by the columns it would be read by: those --columns gives by number,
// else the first three.
std::array<int, 3> judged_columns(std::span<const std::string> columns, bool named,
                                  std::size_t width) {
  std::array<int, 3> judged = {0, 1, width >= 3 ? 2 : -1};
  if (!columns.empty() && !named) {
    for (std::size_t k = 0; k < 3; ++k) {
      judged[k] = k < columns.size() && columns[k].size() <= 4 ? std::stoi(columns[k]) - 1 : -1;
    }
  }
  return judged;
}

// pandas writes its index as an unnamed first column (to_csv without index=False); a header
// that names sender and receiver after it is read without it.
bool has_index_column(bool is_header, std::span<const std::string> columns,
                      const std::vector<std::string>& first) {
  const auto after = std::span<const std::string>(first).subspan(first.empty() ? 0 : 1);
  return is_header && columns.empty() && first.size() >= 3 &&
         (first[0].empty() || same_text_any_case(first[0], "Unnamed: 0")) &&
         column_named(after, sender_words) >= 0 && column_named(after, receiver_words) >= 0;
}

// Where sender, receiver and value stand: after the index column, by --columns, by the header,
// or by position.
Placement placement_of(bool index_column, bool is_header, std::span<const std::string> columns,
                       const std::vector<std::string>& header,
                       const std::vector<std::string>& first, const InputPlace& at_first) {
  if (index_column) {
    Placement placement = by_header(std::span<const std::string>(first).subspan(1), at_first);
    ++placement.sender, ++placement.receiver;
    if (placement.value >= 0) ++placement.value;
    return placement;
  }
  return !columns.empty() ? by_option(columns, header, first.size(), at_first)
         : is_header      ? by_header(header, at_first)
                          : by_position(first.size(), at_first);
}

// The 0-based column --response names: a 1-based number, or a header's name (any letter case).
int response_column(const std::string& response, std::span<const std::string> header,
                    std::size_t width, const InputPlace& at) {
  if (is_column_number(response)) {
    const auto number = response.size() <= 4 ? std::stoi(response) : 0;
    if (number < 1 || static_cast<std::size_t>(number) > width) {
      throw input_error(
          at, "--response " + response + ": the rows have " + std::to_string(width) + " columns.");
    }
    return number - 1;
  }
  const auto named = std::find_if(header.begin(), header.end(), [&response](const std::string& h) {
    return same_text_any_case(h, response);
  });
  if (named == header.end()) {
    throw input_error(at, "--response names " + shown(response) +
                              ", which is no column of the header " + header_text(header) + ".");
  }
  return static_cast<int>(named - header.begin());
}

// The first column of a row when it is pandas' index: the row's number, counted from 0.
void check_index(const DelimitedReader& reader, std::int64_t& next_index) {
  const std::string_view field = reader.fields()[0];
  const auto index = whole_number(field);
  if (!index || *index != next_index) {
    throw input_error(reader.position(1),
                      "the first column has no name and reads as the index that pandas writes "
                      "(0, 1, 2, ...), but this row has " +
                          shown(field) + " where " + std::to_string(next_index) +
                          " belongs; name the column in the header, or give --columns.");
  }
  ++next_index;
}

}  // namespace

DelimitedSyntax delimited_syntax(NetworkFormat format) {
  switch (format) {
    case NetworkFormat::csv:
      return {Delimiter::comma, '#', true};
    case NetworkFormat::tsv:
      return {Delimiter::tab, '#', true};
    case NetworkFormat::blank:
      return {Delimiter::blanks, '#', true};
    case NetworkFormat::record:
    case NetworkFormat::pajek:
      break;
  }
  throw std::invalid_argument("not a delimited format: " +
                              std::string(network_format_name(format)));
}

HeaderSign header_sign(std::span<const std::string_view> first,
                       std::span<const std::string_view> second, int sender, int receiver,
                       int value) {
  if (first.size() < 2) return HeaderSign::none;
  for (const std::string_view field : first) {
    if (is_one_of(field, sender_words) || is_one_of(field, receiver_words) ||
        is_one_of(field, value_words)) {
      return HeaderSign::column_name;
    }
  }
  const auto field = [](std::span<const std::string_view> row, int column) {
    return column >= 0 && static_cast<std::size_t>(column) < row.size()
               ? row[static_cast<std::size_t>(column)]
               : std::string_view();
  };
  const auto number_or_missing = [&](std::string_view text) {
    return decimal_number(text) || marks_missing_dyad(text);
  };
  if (value >= 0 && !number_or_missing(field(first, value))) {
    return HeaderSign::value_not_a_number;
  }
  const auto numbers = [&](std::span<const std::string_view> row) {
    return whole_number(field(row, sender)) && whole_number(field(row, receiver));
  };
  if (!numbers(first) && numbers(second)) return HeaderSign::labels_over_numbers;
  // A column that is not read as a node: a name over a number is a column's name.
  for (int c = 0; c < static_cast<int>(first.size()); ++c) {
    if (c == sender || c == receiver) continue;
    const bool first_number =
        c == value ? number_or_missing(field(first, c)) : bool(decimal_number(field(first, c)));
    if (!first_number && decimal_number(field(second, c))) {
      return HeaderSign::labels_over_numbers;
    }
  }
  return HeaderSign::none;
}

EdgeRows read_edge_rows(DelimitedReader& reader, HeaderRule rule,
                        std::span<const std::string> columns,
                        const std::function<void(const EdgeRow&)>& take,
                        const std::string& response) {
  if (!reader.next()) {
    throw input_error({reader.file_name(), std::max(reader.lines_read(), 1L)},
                      "the file is empty; an edge list has one link per row: sender, receiver "
                      "and an optional value.");
  }
  const std::size_t width = reader.fields().size();
  const long first_line = reader.line();
  const InputPlace at_first = reader.position();
  std::vector<std::string> first(reader.fields().begin(), reader.fields().end());
  const std::vector<std::string_view> first_fields(first.begin(), first.end());
  const bool response_named = !response.empty() && !is_column_number(response);
  if (response_named && rule == HeaderRule::absent) {
    throw input_error(at_first, "--response " + response +
                                    " names a column, but --header no says the file has no header "
                                    "to name it; give the column's number.");
  }
  const bool named =
      response_named || std::any_of(columns.begin(), columns.end(),
                                    [](const std::string& c) { return !is_column_number(c); });
  if (named && rule == HeaderRule::absent) {
    throw input_error(at_first,
                      "--columns names columns, but --header no says the file has no "
                      "header to name them.");
  }
  const bool more = reader.next();
  if (more) check_row_width(reader, width, first_line, "row");
  const std::array<int, 3> judged = judged_columns(columns, named, width);
  const HeaderSign sign =
      rule == HeaderRule::detect
          ? header_sign(first_fields, more ? reader.fields() : std::span<const std::string_view>(),
                        judged[0], judged[1], judged[2])
          : HeaderSign::none;
  const bool is_header = rule == HeaderRule::present || named || sign != HeaderSign::none;
  EdgeRows rows;
  if (is_header) rows.header = first;
  if (!named && sign != HeaderSign::column_name) rows.header_sign = sign;
  const bool index_column = has_index_column(is_header, columns, first);
  rows.index_skipped = index_column;
  // Three columns, one of them the counts --response names: the other two are the sender and
  // the receiver, in order, whatever the header calls them.
  const bool counts_and_two = is_header && !index_column && columns.empty() && !response.empty() &&
                              width == 3 &&
                              (column_named(rows.header, sender_words) < 0 ||
                               column_named(rows.header, receiver_words) < 0);
  Placement placement =
      counts_and_two ? Placement{}
                     : placement_of(index_column, is_header, columns, rows.header, first, at_first);
  if (!response.empty()) {
    placement.value = response_column(response, rows.header, width, at_first);
    if (counts_and_two) {
      placement.sender = placement.value == 0 ? 1 : 0;
      placement.receiver = placement.value == 2 ? 1 : 2;
    }
    if (placement.value == placement.sender || placement.value == placement.receiver) {
      throw input_error(at_first, "--response " + response +
                                      " is the sender or receiver column, not a column of counts.");
    }
  }
  rows.sender_column = placement.sender + 1;
  rows.receiver_column = placement.receiver + 1;
  if (is_header && !more) {
    throw input_error({reader.file_name(), first_line},
                      "the file holds a header line and no link.");
  }
  if (!is_header) {
    if (rule == HeaderRule::detect) {
      rows.first_link = {first[static_cast<std::size_t>(placement.sender)],
                         first[static_cast<std::size_t>(placement.receiver)]};
    }
    take(row_of(first_fields, first_line, placement));
  }
  std::int64_t next_index = 0;  // the index of the row read next, with pandas' index column
  for (bool row = more; row; row = reader.next()) {
    check_row_width(reader, width, first_line, "row");
    if (index_column) check_index(reader, next_index);
    take(row_of(reader.fields(), reader.line(), placement));
  }
  return rows;
}

}  // namespace tarn
