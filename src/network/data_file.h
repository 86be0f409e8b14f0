#pragma once
// A data file read by its record-format line: the first line gives the layout of every record.
// One reader serves the network, attribute and comparative files.

#include <cstdint>
#include <istream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/record_format.h"

namespace tarn {

class DataFile {
 public:
  // `name` is the 24-character name field, used in messages (without its trailing blanks).
  DataFile(std::unique_ptr<std::istream> stream, std::string name);

  const std::string& name() const { return name_; }
  // Number of the line read last (1 is the record-format line).
  long line_number() const { return line_number_; }
  // The place of the line read last, for messages: "net.dat", line 7 (name quoted).
  std::string where() const;

  // The first line as 80 characters (cut or padded with blanks; a carriage return before the
  // line end is dropped). The end of the file here ends the run with an end-of-file message.
  std::string read_format_line();

  // Reads the next record by `format` into `values`, each value limited to a signed integer of
  // bits[k] bits (16 or 32; 32 where `bits` is shorter than `values`). Returns false at the end
  // of the file, also when it comes in the middle of a record. A last line without a line end
  // is read like any other. A format that is not valid, a field that is not a number, or a value
  // too wide for its width ends the run with a message that names the file and the line.
  // The parsed format is kept and parsed again only when the format text changes.
  bool read_record(std::string_view format, std::span<std::int32_t> values,
                   std::span<const int> bits);

 private:
  bool next_line();
  const RecordFormat& format_for(std::string_view text);
  std::int32_t read_field(std::int64_t& pos, std::int32_t width, bool blanks_are_zeros, int bits);
  [[noreturn]] void bad_field(std::int64_t start, std::int64_t stop, const std::string& what) const;

  std::unique_ptr<std::istream> stream_;
  std::string name_;
  long line_number_ = 0;
  std::string line_;
  std::size_t first_line_length_ = 0;  // of the record-format line, before it was cut to 80
  std::string cached_text_;
  RecordFormat cached_format_;
  bool have_cached_ = false;
  std::vector<std::int32_t> counters_;  // repeat counters of the open groups
};

}  // namespace tarn
