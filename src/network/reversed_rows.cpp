#include "network/reversed_rows.h"

#include <algorithm>
#include <charconv>

namespace tarn {

void ReversedRows::note(int sender, int receiver, double value, std::string_view sender_name,
                        std::string_view receiver_name) {
  if (sender == receiver) return;
  first_value_.try_emplace(key(sender, receiver), value);
  const auto reverse = first_value_.find(key(receiver, sender));
  if (reverse == first_value_.end() || reverse->second == value) return;
  if (!counted_.insert(key(std::min(sender, receiver), std::max(sender, receiver))).second) return;
  if (differing_++ == 0) {
    first_ = std::string(receiver_name);  // the earlier row was receiver,sender
    second_ = std::string(sender_name);
    value_ = reverse->second;
    reverse_value_ = value;
  }
}

std::optional<Warning> ReversedRows::warning(const std::string& file, std::string_view of) const {
  if (differing_ == 0) return std::nullopt;
  return Warning{"reverse_rows_differ"}
      .add_text("file", file)
      .add_count("pairs", differing_)
      .add_text("first", first_)
      .add_text("second", second_)
      .add_text("value", value_text(value_))
      .add_text("reverse_value", value_text(reverse_value_))
      .add_text("of", std::string(of));
}

std::string value_text(double value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

}  // namespace tarn
