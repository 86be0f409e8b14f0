#include "input/data_file.h"

#include "store/fatal_error.h"

namespace tarn {

RecordFormat RecordFormat::parse(std::string_view) {
  return RecordFormat();
}

DataFile::DataFile(std::unique_ptr<std::istream> stream, std::string name)
    : stream_(std::move(stream)), name_(std::move(name)) {}

bool DataFile::next_line(std::string& line) {
  if (!std::getline(*stream_, line)) return false;
  ++line_number_;
  return true;
}

std::string DataFile::read_format_line() {
  std::string line;
  if (!next_line(line)) throw FatalError("End of file");
  line.resize(80, ' ');
  return line;
}

bool DataFile::read_record(const std::string&, std::span<std::int32_t>, std::span<const int>) {
  return false;
}

void DataFile::rewind() {
  stream_->clear();
  stream_->seekg(0);
  line_number_ = 0;
}

}  // namespace tarn
