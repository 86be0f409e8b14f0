#pragma once
// On an undirected network the rows i,j and j,i of a file are one pair. A reader notes the value
// of every row here; the pairs given both ways with different values (a weight, or 0 against a
// link) are then said in the warning reverse_rows_differ, with their count and the first of them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "network/warning.h"

namespace tarn {

class ReversedRows {
 public:
  // The row sender -> receiver (ids of the reader) of `value`; the names are as written.
  void note(int sender, int receiver, double value, std::string_view sender_name,
            std::string_view receiver_name);

  std::int64_t differing_pairs() const { return differing_; }
  // reverse_rows_differ (figures: file, pairs, first, second, value, reverse_value, of "links"
  // or "covariate") when some pair differs; none otherwise.
  std::optional<Warning> warning(const std::string& file, std::string_view of) const;

 private:
  static std::uint64_t key(int a, int b) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
  }
  std::unordered_map<std::uint64_t, double> first_value_;  // by ordered pair
  std::unordered_set<std::uint64_t> counted_;              // unordered pairs, smaller id first
  std::int64_t differing_ = 0;
  // The first pair found: the earlier row's names and value, and the later row's value.
  std::string first_, second_;
  double value_ = 0, reverse_value_ = 0;
};

// A number as the messages show it: the shortest text that reads back to it (2, 2.5, 0).
std::string value_text(double value);

}  // namespace tarn
