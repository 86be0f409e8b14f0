#pragma once
// The record-format line of a data file, parsed into items. (Placeholder until the reader lands.)

#include <string_view>
#include <vector>

namespace tarn {

class RecordFormat {
 public:
  static RecordFormat parse(std::string_view line);
};

}  // namespace tarn
