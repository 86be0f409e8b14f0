#include "dialogue/console.h"

#include <charconv>
#include <limits>

#include "dialogue/dialogue_error.h"
#include "tarnwick/classic/data.h"

namespace tarn {

namespace {

bool is_separator(char c) {
  return c == ' ' || c == ',' || c == '\t';
}

// Parses a whole token as a signed decimal integer; false when it is anything else. A number
// beyond the 64-bit range is still a whole number: it is taken as the largest (or smallest)
// 64-bit value, so that it meets the same refusal as any other number beyond a limit.
bool parse_integer(std::string_view token, std::int64_t& value) {
  if (token.empty()) return false;
  std::size_t pos = 0;
  bool negative = false;
  if (token[0] == '+' || token[0] == '-') {
    negative = token[0] == '-';
    pos = 1;
  }
  if (pos == token.size()) return false;
  std::int64_t v = 0;
  for (; pos < token.size(); ++pos) {
    char c = token[pos];
    if (c < '0' || c > '9') return false;
    if (v > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) {
      v = std::numeric_limits<std::int64_t>::max();  // saturated; the digits still must be digits
    } else {
      v = v * 10 + (c - '0');
    }
  }
  value = negative ? -v : v;
  return true;
}

std::string shown(std::string_view token) {
  constexpr std::size_t limit = 40;
  if (token.size() <= limit) return std::string(token);
  return std::string(token.substr(0, limit)) + "...";
}

}  // namespace

void Console::prompt(std::string_view text) {
  out_ << text;
  out_.flush();
}

std::string Console::read_line() {
  std::string line;
  out_.flush();
  switch (tarnwick::read_bounded_line(in_, line)) {
    case tarnwick::LineRead::line:
      break;
    case tarnwick::LineRead::end_of_file:
      throw DialogueError("End of input: no answer was given, the run ends.");
    case tarnwick::LineRead::too_long:
      throw DialogueError("Input error: an answer line is longer than " +
                          std::to_string(tarnwick::ClassicCapacity::line_length) +
                          " characters; the run ends.");
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool Console::read_yes() {
  std::string line = read_line();
  return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
}

std::string Console::read_file_name() {
  return tarnwick::classic_name_field(read_line());
}

std::vector<std::int64_t> Console::read_integers(int count) {
  std::vector<std::int64_t> values;
  if (count <= 0) {
    read_line();  // a read of no numbers still takes its answer line
    return values;
  }
  values.reserve(static_cast<std::size_t>(count));
  while (static_cast<int>(values.size()) < count) {
    std::string line = read_line();
    std::size_t pos = 0;
    while (pos < line.size() && static_cast<int>(values.size()) < count) {
      while (pos < line.size() && is_separator(line[pos])) ++pos;
      if (pos >= line.size()) break;
      std::size_t end = pos;
      while (end < line.size() && !is_separator(line[end])) ++end;
      std::string_view token(line.data() + pos, end - pos);
      std::int64_t value = 0;
      if (!parse_integer(token, value)) {
        throw DialogueError("Input error: \"" + shown(token) +
                            "\" is not a whole number; the run ends.");
      }
      values.push_back(value);
      pos = end;
    }
  }
  return values;
}

std::int64_t Console::read_two_column_integer() {
  std::string line = read_line();
  std::string digits;
  for (std::size_t k = 0; k < line.size() && k < 2; ++k) {
    if (line[k] != ' ') digits.push_back(line[k]);
  }
  if (digits.empty()) return 0;
  std::int64_t value = 0;
  if (!parse_integer(digits, value)) {
    throw DialogueError("Input error: \"" + shown(line.substr(0, 2)) +
                        "\" is not a whole number; the run ends.");
  }
  return value;
}

}  // namespace tarn
