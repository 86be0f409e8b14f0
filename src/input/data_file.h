#pragma once
// A data file read by its record-format line: the first line gives the layout of every record.
// One reader serves the network, attribute and comparative files.

#include <cstdint>
#include <istream>
#include <memory>
#include <span>
#include <string>

#include "input/record_format.h"

namespace tarn {

class DataFile {
 public:
  // `name` is the 24-character name field, used in messages.
  DataFile(std::unique_ptr<std::istream> stream, std::string name);

  const std::string& name() const { return name_; }
  // Number of the line read last (1 is the record-format line).
  long line_number() const { return line_number_; }

  // The first line as 80 characters (cut or padded with blanks). The end of the file here
  // ends the run with an end-of-file message.
  std::string read_format_line();

  // Reads the next record by `format` into `values`, each value limited to a signed integer of
  // bits[k] bits (16 or 32). Returns false at the end of the file. A format that is not valid,
  // a field that is not a number, or a value too wide for its width ends the run with a message
  // that names the file and the line.
  bool read_record(const std::string& format, std::span<std::int32_t> values,
                   std::span<const int> bits);

  // Back to the first line of the file.
  void rewind();

 private:
  bool next_line(std::string& line);

  std::unique_ptr<std::istream> stream_;
  std::string name_;
  long line_number_ = 0;
  std::string cached_text_;
  RecordFormat cached_format_;
  bool have_cached_ = false;
};

}  // namespace tarn
