#include "network/delimited_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "network/fatal_error.h"
#include "network/line_reader.h"

namespace tarn {

namespace {

// Small files are the rule; the buffer doubles when a record does not fit.
constexpr std::size_t first_buffer_size = std::size_t{1} << 16;
// A record (with its quoted line ends) may be as long as a line of a record-format file.
constexpr std::size_t max_record_length = max_line_length;

}  // namespace

DelimitedReader::DelimitedReader(std::istream& in, std::string file_name, DelimitedSyntax syntax)
    : in_(in),
      file_name_(std::move(file_name)),
      syntax_(syntax),
      buffer_(new char[first_buffer_size]),
      capacity_(first_buffer_size) {
  // The byte-order mark is looked for before the first record.
  while (end_ < 3 && fill()) {
  }
  if (end_ >= 3 && std::memcmp(buffer_.get(), "\xEF\xBB\xBF", 3) == 0) begin_ = 3;
}

std::string place(std::string_view file_name, long line, int column) {
  return place_text({std::string(file_name), line, column});
}

void check_row_width(const DelimitedReader& reader, std::size_t width, long first_line,
                     std::string_view first_row) {
  const std::size_t got = reader.fields().size();
  if (got == width) return;
  throw input_error(reader.position(), "the row has " + std::to_string(got) +
                                           " field(s), but the " + std::string(first_row) +
                                           " on line " + std::to_string(first_line) + " has " +
                                           std::to_string(width) +
                                           " (ragged rows: every row must have as many).");
}

std::string DelimitedReader::where() const {
  return place(file_name_, record_line_);
}

std::string DelimitedReader::where(int column) const {
  return place(file_name_, record_line_, column);
}

InputPlace DelimitedReader::position(int column) const {
  return {file_name_, record_line_, column};
}

bool DelimitedReader::is_delimiter(char c) const {
  switch (syntax_.delimiter) {
    case Delimiter::comma:
      return c == ',';
    case Delimiter::tab:
      return c == '\t';
    case Delimiter::blanks:
      return c == ' ' || c == '\t';
  }
  return false;
}

bool DelimitedReader::is_blank(char c) const {
  return c == ' ' || (c == '\t' && syntax_.delimiter != Delimiter::tab);
}

bool DelimitedReader::fill() {
  if (at_end_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {
    std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
  }
  std::streambuf* source = in_.rdbuf();
  const std::streamsize got =
      source == nullptr
          ? 0
          : source->sgetn(buffer_.get() + end_, static_cast<std::streamsize>(capacity_ - end_));
  if (got <= 0) {
    at_end_ = true;
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

// Finds where the record at begin_ ends. False when the data in the buffer does not decide it.
bool DelimitedReader::find_extent(Extent& extent) {
  const char* data = buffer_.get();
  extent = Extent();
  open_quote_line_ = 0;
  std::size_t k = begin_;
  while (k < end_ && (data[k] == ' ' || data[k] == '\t' || data[k] == '\r')) ++k;
  if (k == end_ || data[k] == '\n' || (syntax_.comment != '\0' && data[k] == syntax_.comment)) {
    return skipped_line_extent(k, extent);
  }
  // Scanned from the start of the line, as split_quoted will: a carriage return there is text.
  const void* line_end = std::memchr(data + k, '\n', end_ - k);
  const std::size_t stop =
      line_end == nullptr ? end_
                          : static_cast<std::size_t>(static_cast<const char*>(line_end) - data);
  std::size_t i = stop;
  if (std::memchr(data + begin_, '"', stop - begin_) != nullptr) {
    // Quotes decide where fields, and so the record, end.
    if (!quoted_extent_end(extent, i)) return false;
  }
  if (i == end_ && !at_end_) return false;
  extent.end = i;
  extent.next = i < end_ ? i + 1 : end_;
  if (extent.end > begin_ && data[extent.end - 1] == '\r') --extent.end;
  return true;
}

// A blank line or a comment, whose first character that is no blank stands at k.
bool DelimitedReader::skipped_line_extent(std::size_t k, Extent& extent) const {
  const char* data = buffer_.get();
  const void* line_end = std::memchr(data + k, '\n', end_ - k);
  if (line_end == nullptr && !at_end_) return false;
  extent.end = line_end == nullptr
                   ? end_
                   : static_cast<std::size_t>(static_cast<const char*>(line_end) - data);
  extent.next = line_end == nullptr ? end_ : extent.end + 1;
  extent.is_skipped = true;
  return true;
}

// The end of a record with quotes, at i: the first line end outside quotes. False when the data
// in the buffer does not decide it.
bool DelimitedReader::quoted_extent_end(Extent& extent, std::size_t& i) {
  const char* data = buffer_.get();
  extent.has_quotes = true;
  bool field_start = true;
  bool in_quotes = false;
  long quote_line = 0;
  for (i = begin_; i < end_; ++i) {
    const char c = data[i];
    if (in_quotes) {
      if (c == '"') {
        if (i + 1 == end_ && !at_end_) {
          open_quote_line_ = quote_line;
          return false;
        }
        if (i + 1 < end_ && data[i + 1] == '"') {
          ++i;
        } else {
          in_quotes = false;
        }
      } else if (c == '\n') {
        if (!syntax_.quotes_span_lines) unclosed_quote(quote_line);
        ++extent.line_ends;
      }
      continue;
    }
    if (c == '\n') break;
    if (is_delimiter(c)) {
      field_start = true;
    } else if (field_start && c == '"') {
      in_quotes = true;
      field_start = false;
      quote_line = next_line_ + extent.line_ends;
    } else if (!(field_start && is_blank(c))) {
      field_start = false;
    }
  }
  if (in_quotes) {
    if (!at_end_) {
      open_quote_line_ = quote_line;
      return false;
    }
    unclosed_quote(quote_line);
  }
  return true;
}

void DelimitedReader::split_plain(std::size_t begin, std::size_t end) {
  const char* data = buffer_.get();
  fields_.clear();
  if (syntax_.delimiter == Delimiter::blanks) {
    std::size_t i = begin;
    for (;;) {
      while (i < end && (data[i] == ' ' || data[i] == '\t')) ++i;
      if (i == end) return;
      const std::size_t start = i;
      while (i < end && data[i] != ' ' && data[i] != '\t') ++i;
      fields_.emplace_back(data + start, i - start);
    }
  }
  const char delimiter = syntax_.delimiter == Delimiter::comma ? ',' : '\t';
  std::size_t start = begin;
  for (;;) {
    const void* found = std::memchr(data + start, delimiter, end - start);
    const std::size_t stop =
        found == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(found) - data);
    std::size_t first = start;
    std::size_t last = stop;
    while (first < last && is_blank(data[first])) ++first;
    while (last > first && is_blank(data[last - 1])) --last;
    fields_.emplace_back(data + first, last - first);
    if (found == nullptr) return;
    start = stop + 1;
  }
}

// The quoted fields are unquoted in place: the text of a field is never longer than its source.
void DelimitedReader::split_quoted(std::size_t begin, std::size_t end) {
  char* data = buffer_.get();
  const bool blanks = syntax_.delimiter == Delimiter::blanks;
  fields_.clear();
  std::size_t i = begin;
  for (;;) {
    while (i < end && (blanks ? is_delimiter(data[i]) : is_blank(data[i]))) ++i;
    if (blanks && i == end) return;
    const std::size_t first = i;
    std::size_t write = i;
    std::size_t kept = i;  // the end of the field without trailing blanks
    if (i < end && data[i] == '"') {
      // find_extent has seen the closing quote (or the end of the data right after the field).
      for (++i; i < end; ++i) {
        if (data[i] == '"') {
          if (i + 1 < end && data[i + 1] == '"') {
            data[write++] = '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        data[write++] = data[i];
      }
      kept = write;
    }
    while (i < end && !is_delimiter(data[i])) {
      const char c = data[i++];
      data[write++] = c;
      if (!is_blank(c)) kept = write;
    }
    fields_.emplace_back(data + first, kept - first);
    if (i >= end) return;
    if (!blanks) ++i;  // past the delimiter; a delimiter at the end leaves one empty field
  }
}

void DelimitedReader::unclosed_quote(long line) const {
  throw input_error({file_name_, line},
                    std::string("the quoted field that begins on this line has no closing quote") +
                        (syntax_.quotes_span_lines ? "" : " on the line") + ".");
}

bool DelimitedReader::next() {
  for (;;) {
    if (begin_ == end_ && !fill()) return false;
    Extent extent;
    while (!find_extent(extent)) {
      if (end_ - begin_ >= max_record_length) {
        if (open_quote_line_ > 0) unclosed_quote(open_quote_line_);
        throw input_error(
            {file_name_, next_line_},
            "the line is longer than " + std::to_string(max_record_length) + " characters.");
      }
      fill();
    }
    record_line_ = next_line_;
    next_line_ += 1 + extent.line_ends;
    const std::size_t begin = begin_;
    begin_ = extent.next;
    if (extent.is_skipped) continue;
    if (syntax_.keeps_text) {
      std::size_t end = extent.end;
      if (end > begin && buffer_[end - 1] == '\r') --end;
      text_.assign(buffer_.get() + begin, end - begin);
    }
    if (extent.has_quotes) {
      split_quoted(begin, extent.end);
    } else {
      split_plain(begin, extent.end);
    }
    return true;
  }
}

}  // namespace tarn
