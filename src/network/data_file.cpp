#include "network/data_file.h"

#include <algorithm>
#include <cstdio>

#include "network/capacity.h"
#include "network/delimited_text.h"
#include "network/fatal_error.h"
#include "network/file_name.h"
#include "network/line_reader.h"
#include "network/shown_text.h"

namespace tarn {

namespace {

std::string columns(std::int64_t first, std::int64_t last) {
  if (last <= first) return "column " + std::to_string(first);
  return "columns " + std::to_string(first) + "-" + std::to_string(last);
}

constexpr std::int64_t magnitude_cap = std::int64_t{1} << 40;

}  // namespace

DataFile::DataFile(std::unique_ptr<std::istream> stream, std::string name)
    : stream_(std::move(stream)), name_(std::move(name)) {}

std::string DataFile::where() const {
  return place(trimmed_name(name_), line_number_);
}

bool DataFile::next_line() {
  switch (read_bounded_line(*stream_, line_)) {
    case LineRead::line:
      break;
    case LineRead::end_of_file:
      return false;
    case LineRead::too_long:
      ++line_number_;
      throw input_error(
          {trimmed_name(name_), line_number_},
          "the line is longer than " + std::to_string(max_line_length) + " characters.");
  }
  ++line_number_;
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  return true;
}

std::string DataFile::read_format_line() {
  if (!next_line()) {
    throw FatalError("End of file in \"" + trimmed_name(name_) +
                         "\", line 1: the file is empty, but its first line must hold the record "
                         "format, for example (2I5,I3).",
                     {trimmed_name(name_), 1});
  }
  first_line_length_ = line_.size();
  std::string format = line_.substr(0, format_length);
  format.resize(format_length, ' ');
  return format;
}

const RecordFormat& DataFile::format_for(std::string_view text) {
  if (have_cached_ && text == cached_text_) return cached_format_;
  std::string problem;
  std::optional<RecordFormat> parsed = RecordFormat::parse(text, problem);
  if (!parsed) {
    std::size_t first = text.find_first_not_of(' ');
    std::size_t last = text.find_last_not_of(' ');
    std::string_view format_text =
        first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
    std::string note;
    if (first_line_length_ > static_cast<std::size_t>(format_length)) {
      note = " (the record format is the first " + std::to_string(format_length) +
             " characters of the line, which has " + std::to_string(first_line_length_) + ")";
    }
    throw FatalError("Format error in \"" + trimmed_name(name_) +
                         "\", line 1: " + shown(format_text) +
                         " is not a valid record format: " + problem + note + ".",
                     {trimmed_name(name_), 1});
  }
  cached_format_ = std::move(*parsed);
  cached_text_.assign(text);
  have_cached_ = true;
  counters_.assign(cached_format_.max_depth(), 0);
  return cached_format_;
}

void DataFile::bad_field(std::int64_t start, std::int64_t stop, const std::string& what) const {
  std::string_view field(line_.data() + start, static_cast<std::size_t>(stop - start));
  throw input_error({trimmed_name(name_), line_number_},
                    shown(field) + " in " + columns(start + 1, stop) + " " + what + ".");
}

std::int32_t DataFile::read_field(std::int64_t& pos, std::int32_t width, bool blanks_are_zeros,
                                  int bits) {
  const auto length = static_cast<std::int64_t>(line_.size());
  const std::int64_t start = pos;
  const std::int64_t nominal_end = std::min(start + width, Motion::limit);
  if (start >= length) {
    // Past the end of the line: an empty field.
    pos = nominal_end;
    return 0;
  }
  const std::int64_t stop = std::min(nominal_end, length);
  const char* text = line_.data();

  bool in_number = false;  // a sign or a digit has been met
  bool has_digit = false;
  bool negative = false;
  std::int64_t magnitude = 0;
  std::int64_t k = start;
  for (; k < stop; ++k) {
    const char c = text[k];
    if (c >= '0' && c <= '9') {
      in_number = true;
      has_digit = true;
      if (magnitude < magnitude_cap) magnitude = magnitude * 10 + (c - '0');
    } else if (c == ' ') {
      if (in_number && blanks_are_zeros) {
        has_digit = true;
        if (magnitude < magnitude_cap) magnitude *= 10;
      }
    } else if (c == ',') {
      break;
    } else if ((c == '+' || c == '-') && !in_number) {
      in_number = true;
      negative = c == '-';
    } else {
      std::int64_t field_end = k;
      while (field_end < stop && text[field_end] != ',') ++field_end;
      bad_field(start, field_end,
                c == '\t' ? "is not a whole number (a tab is not a blank; numbers in fixed "
                            "columns are separated by blanks or commas)"
                          : "is not a whole number");
    }
  }
  const bool comma = k < stop;
  pos = comma ? k + 1 : nominal_end;
  if (in_number && !has_digit) bad_field(start, k, "is not a whole number (a sign without digits)");

  const int b = (bits >= 1 && bits <= 32) ? bits : 32;
  const std::int64_t highest = (std::int64_t{1} << (b - 1)) - 1;
  const std::int64_t lowest = -highest - 1;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > highest || value < lowest) {
    bad_field(start, k,
              "does not fit in a " + std::to_string(b) + "-bit number (" + std::to_string(lowest) +
                  " to " + std::to_string(highest) + ")");
  }
  return static_cast<std::int32_t>(value);
}

namespace {

// A format whose integer fields, used again as often as it takes, hold `needed` numbers.
void check_format_holds(const RecordFormat& f, std::size_t needed, const std::string& file_name) {
  if (static_cast<std::int64_t>(needed) <= f.integers_per_pass() || f.reuse_reads_integers()) {
    return;
  }
  throw FatalError("Format error in \"" + trimmed_name(file_name) +
                       "\", line 1: the record format " + shown(f.compact_text()) + " holds " +
                       std::to_string(f.integers_per_pass()) +
                       " integer field(s), but a record needs " + std::to_string(needed) +
                       " numbers and the part of the format used again holds no integer field.",
                   {trimmed_name(file_name), 1});
}

}  // namespace

bool DataFile::read_record(std::string_view format, std::span<std::int32_t> values,
                           std::span<const int> bits) {
  const RecordFormat& f = format_for(format);
  const std::size_t needed = values.size();
  if (needed == 0) return next_line();
  check_format_holds(f, needed, name_);
  if (!next_line()) return false;

  const std::vector<FormatItem>& items = f.items();
  std::size_t index = 0;
  std::size_t depth = 0;
  std::int64_t pos = 0;
  bool blanks_are_zeros = false;  // BN at the start of every record
  std::size_t got = 0;
  for (;;) {
    if (index == items.size()) {
      // Format reuse: on the next line, from the last outermost group.
      if (!next_line()) return false;
      pos = 0;
      index = f.reuse_index();
      depth = 0;
      continue;
    }
    const FormatItem& item = items[index];
    switch (item.kind) {
      case FormatItem::Kind::integer:
        for (std::int32_t r = 0; r < item.repeat; ++r) {
          const int b = got < bits.size() ? bits[got] : 32;
          values[got] = read_field(pos, item.width, blanks_are_zeros, b);
          if (++got == needed) return true;
        }
        ++index;
        break;
      case FormatItem::Kind::motion:
        pos = item.motion.apply(pos);
        if (item.motion.mode >= 0) blanks_are_zeros = item.motion.mode == 1;
        ++index;
        break;
      case FormatItem::Kind::slash:
        if (!next_line()) return false;
        pos = 0;
        ++index;
        break;
      case FormatItem::Kind::open:
        counters_[depth++] = item.repeat;
        ++index;
        break;
      case FormatItem::Kind::close:
        if (--counters_[depth - 1] > 0) {
          index = static_cast<std::size_t>(item.jump) + 1;
        } else {
          --depth;
          ++index;
        }
        break;
    }
  }
}

}  // namespace tarn
