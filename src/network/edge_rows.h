#pragma once
// The rows of an edge list (CSV, TSV or blank-separated), with their columns placed: which field
// is the sender, the receiver and the value. The network and the covariate readers share it.
//
// - A header's names place the columns, in any letter case: the sender is source, from, sender,
//   ego, tail, i, v1, node1 or id1; the receiver target, to, receiver, alter, head, j, v2, node2
//   or id2 (in either order); the value weight or value. In a header of three columns that names
//   sender and receiver the third is the value; further columns are not read. With two columns
//   one name is enough. A header of three or more columns that names neither sender nor
//   receiver ends the run: its columns are not guessed.
// - `columns` (--columns SENDER,RECEIVER[,VALUE]) names them otherwise: header names, or 1-based
//   numbers. A name there implies a header.
// - Without a header or columns: 2 fields (sender, receiver) or 3 (then a value).
// - HeaderRule::detect takes the first row for a header when one of its fields is a column name
//   above, or its value field is not a number, or its sender and receiver are not both whole
//   numbers while those of the second row are, or another column holds no number over a number
//   (by the columns --columns gives by number, else the first three). Only the first sign is
//   certain: by the others the header is guessed.
// - A header whose first column has no name ("", or "Unnamed: 0" as pandas names it when it
//   reads such a file back) and whose other columns name sender and receiver is pandas' index
//   column, to_csv's default: its values must be 0, 1, 2, ... (else the run ends), and it is not
//   read.
// - Every row has as many fields as the first.
// - A value NA or an empty value marks the dyad missing (unobserved): neither a link nor none.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/delimited_text.h"
#include "network/network_format.h"

namespace tarn {

enum class HeaderRule { detect, present, absent };

// The value of a row whose dyad is missing (unobserved): NA, as R writes it, or nothing, as
// pandas writes NaN.
inline bool marks_missing_dyad(std::string_view value) {
  return value.empty() || value == "NA";
}

// The syntax of the fields of a csv, tsv or blank file (# comment lines in each).
DelimitedSyntax delimited_syntax(NetworkFormat format);

// What makes `first` a header row by the rule of HeaderRule::detect: a known column name, or a
// guess (a value that is not a number, labels over a row of numbers), or nothing. `second` is
// the row after it (empty when there is none); sender, receiver and value are the 0-based columns
// it is judged by (value -1: none).
enum class HeaderSign { none, column_name, value_not_a_number, labels_over_numbers };
HeaderSign header_sign(std::span<const std::string_view> first,
                       std::span<const std::string_view> second, int sender, int receiver,
                       int value);

struct EdgeRow {
  std::string_view sender, receiver, value;  // value: empty when the rows have none
  bool has_value = false;
  long line = 0;
  int sender_column = 1, receiver_column = 2, value_column = 3;  // 1-based, for messages
};

struct EdgeRows {
  std::vector<std::string> header;  // empty when the file has none
  // The first row's sender and receiver when HeaderRule::detect read it as a link (for the
  // check that it may be a header after all); empty otherwise.
  std::vector<std::string> first_link;
  // Why HeaderRule::detect took the first row for a header when it guessed (value_not_a_number,
  // labels_over_numbers); none when it did not, or was sure (a column name).
  HeaderSign header_sign = HeaderSign::none;
  bool index_skipped = false;                  // the first column was pandas' index
  int sender_column = 1, receiver_column = 2;  // 1-based, as placed
};

// Reads the rows, handing every row that is not the header to `take`. An empty file, a header
// without a row after it, and columns that cannot be placed end the run.
// `response` (--response): the column of the values, by a header's name (which implies a header)
// or a 1-based number; empty: as placed above.
EdgeRows read_edge_rows(DelimitedReader& reader, HeaderRule rule,
                        std::span<const std::string> columns,
                        const std::function<void(const EdgeRow&)>& take,
                        const std::string& response = {});

}  // namespace tarn
