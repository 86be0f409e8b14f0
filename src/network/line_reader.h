#pragma once
// Reading one line of text with a bound on its length, for the keyboard and the data files: a
// line without end (a device of endless bytes named as a file, say) must not fill the memory.

#include <cstddef>
#include <istream>
#include <string>

namespace tarn {

// Longest line taken from the keyboard or a data file: 16 MiB.
inline constexpr std::size_t max_line_length = std::size_t{1} << 24;

enum class LineRead { line, end_of_file, too_long };

// The next line without its line end (a carriage return before it stays; callers drop it).
// A last line without a line end is a line. At most `limit` characters are taken: a longer line
// gives too_long, with the stream left inside it.
inline LineRead read_bounded_line(std::istream& in, std::string& line,
                                  std::size_t limit = max_line_length) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr || !in.good()) {
    in.setstate(std::ios::failbit);
    return LineRead::end_of_file;
  }
  bool any = false;
  for (;;) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
      return any ? LineRead::line : LineRead::end_of_file;
    }
    any = true;
    if (c == '\n') return LineRead::line;
    if (line.size() >= limit) return LineRead::too_long;
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace tarn
