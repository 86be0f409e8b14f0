#pragma once
// A reader of links notes every link's value here: values other than 1 are read as ties, and the
// warning weights_read_as_ties says how many there were, with the first as written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "network/warning.h"

namespace tarn {

class WeightsReadAsTies {
 public:
  void note(double value, std::string_view written) {
    if (value != 1 && count_++ == 0) example_ = std::string(written);
  }
  std::optional<Warning> warning(const std::string& file) const {
    if (count_ == 0) return std::nullopt;
    return Warning{"weights_read_as_ties"}
        .add_count("links", count_)
        .add_text("example", example_)
        .add_text("file", file);
  }

 private:
  std::int64_t count_ = 0;
  std::string example_;
};

}  // namespace tarn
