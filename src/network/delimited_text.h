#pragma once
// Records of delimited text as spreadsheets and other programs write them: CSV (RFC 4180), TSV,
// and fields separated by blanks.
//
// Rules shared by the three:
// - A UTF-8 byte-order mark at the start of the file is skipped. A line may end in CRLF.
// - Empty lines (nothing but blanks) are skipped; so are comment lines, when the syntax has a
//   comment character, whose first character after any blanks is that character.
// - A field that begins with a double quote (after any blanks) is quoted: it runs to the next
//   quote that is not doubled (""), and may hold delimiters and, when quotes_span_lines is set,
//   line ends. Text between the closing quote and the next delimiter is kept, blanks dropped. A
//   quote inside an unquoted field is an ordinary character.
// - Blanks around an unquoted field are not part of it (spaces and tabs in CSV, spaces in TSV).
// - A record that is not closed by the end of the file (an open quote) ends the run with a
//   message that names the line where the quoted field began.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/fatal_error.h"
#include "network/shown_text.h"
#include "numeric/number_text.h"

namespace tarn {

enum class Delimiter { comma, tab, blanks };

struct DelimitedSyntax {
  Delimiter delimiter = Delimiter::comma;
  char comment = '\0';            // starts a comment line; '\0': no comments
  bool quotes_span_lines = true;  // a quoted field may hold line ends
  bool keeps_text = false;        // text() gives each record's text as written
};

class DelimitedReader {
 public:
  DelimitedReader(std::istream& in, std::string file_name, DelimitedSyntax syntax);

  // Reads the next record; false at the end of the file.
  bool next();
  // The fields of the record read last, valid until the next call of next().
  std::span<const std::string_view> fields() const { return fields_; }
  // The text of the record read last as written, without its line end (keeps_text only).
  std::string_view text() const { return text_; }
  // The line where the record read last begins.
  long line() const { return record_line_; }
  // The lines read so far (for messages at the end of the file).
  long lines_read() const { return next_line_ - 1; }
  const std::string& file_name() const { return file_name_; }

  // The place of the record read last, for messages: "net.csv", line 7 (name quoted); with a
  // column: "net.csv", line 7, column 3 (the third field).
  std::string where() const;
  std::string where(int column) const;
  // The same place as data.
  InputPlace position(int column = 0) const;

 private:
  struct Extent {
    std::size_t end = 0;      // the end of the record's text (a line end or the end of the data)
    std::size_t next = 0;     // where the next record begins
    long line_ends = 0;       // line ends inside quoted fields
    bool has_quotes = false;  // the record must be split by the slow path
    bool is_skipped = false;  // an empty or comment line
  };

  bool fill();
  bool find_extent(Extent& extent);
  bool skipped_line_extent(std::size_t k, Extent& extent) const;
  bool quoted_extent_end(Extent& extent, std::size_t& i);
  void split_plain(std::size_t begin, std::size_t end);
  void split_quoted(std::size_t begin, std::size_t end);
  bool is_delimiter(char c) const;
  bool is_blank(char c) const;
  [[noreturn]] void unclosed_quote(long line) const;

  std::istream& in_;
  std::string file_name_;
  DelimitedSyntax syntax_;
  std::unique_ptr<char[]> buffer_;  // not cleared: only buffer_[begin_, end_) is read
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;  // the unread data is buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool at_end_ = false;  // the stream has no more data
  long next_line_ = 1;
  long record_line_ = 0;
  long open_quote_line_ = 0;  // where the quoted field open at the end of the buffer began
  std::vector<std::string_view> fields_;
  std::string text_;
};

// Ends the run when the record read last does not have `width` fields, as the first row
// (`first_row`: "row" or "header") on `first_line` has: every row must have as many.
void check_row_width(const DelimitedReader& reader, std::size_t width, long first_line,
                     std::string_view first_row);

// A place in a file for messages: "net.csv", line 7, and ", column 3" when column > 0.
std::string place(std::string_view file_name, long line, int column = 0);

}  // namespace tarn
