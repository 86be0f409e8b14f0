#include "network/pair_rows.h"

#include <algorithm>
#include <charconv>

#include "network/delimited_text.h"
#include "network/fatal_error.h"

namespace tarn {

void PairRows::drop_first() {
  if (!rows_.empty()) rows_.pop_front();
}

namespace {

template <class Row>
int low(const Row& r) {
  return std::min(r.sender, r.receiver);
}
template <class Row>
int high(const Row& r) {
  return std::max(r.sender, r.receiver);
}

}  // namespace

struct PairRows::Findings {
  std::int64_t zero_rows = 0, merged = 0, differing = 0;
  const Row* merged_first = nullptr;  // the first row of the first pair given again
  const Row* merged_again = nullptr;  // and that row given again
  // The first pair given both ways with different values: the earlier orientation's first row,
  // and the first row of the other.
  const Row* differ_first = nullptr;
  const Row* differ_second = nullptr;
};

// The rows by pair (the smaller id first, then the orientation), in file order within each.
void PairRows::sort_by_pair() {
  std::sort(rows_.begin(), rows_.end(), [](const Row& a, const Row& b) {
    if (low(a) != low(b)) return low(a) < low(b);
    if (high(a) != high(b)) return high(a) < high(b);
    if (a.sender != b.sender) return a.sender < b.sender;
    return a.line < b.line;
  });
}

PairRows::Findings PairRows::find(const std::string& file, bool undirected,
                                  const std::function<std::string(int)>& name) const {
  Findings found;
  const Row* orientation_first = nullptr;  // the first row of the current ordered pair
  const Row* pair_first = nullptr;         // the first row of the current unordered pair
  for (const Row& row : rows_) {
    found.zero_rows += row.value == 0 ? 1 : 0;
    // An undirected network has no self-links: they are left out, whatever their rows say.
    if (undirected && row.sender == row.receiver) continue;
    const bool same_pair =
        pair_first != nullptr && low(row) == low(*pair_first) && high(row) == high(*pair_first);
    const bool same_orientation = same_pair && orientation_first->sender == row.sender;
    if (!same_pair) pair_first = &row;
    if (same_orientation) {
      if (row.value != orientation_first->value) {
        throw input_error(
            {file, row.line},
            "the pair " + name(row.sender) + "," + name(row.receiver) + " is given again with " +
                "the value " + value_text(row.value) + " (line " +
                std::to_string(orientation_first->line) + " gives it " +
                value_text(orientation_first->value) +
                "): one file gives one network, in which a pair is one link or none. " +
                "Give every pair once.");
      }
      if (row.value != 0) {
        ++found.merged;
        if (found.merged_again == nullptr || row.line < found.merged_again->line) {
          found.merged_first = orientation_first, found.merged_again = &row;
        }
      }
      continue;
    }
    if (same_pair && undirected && row.value != orientation_first->value) {
      // The other orientation of a pair given before: the earlier of the two comes first.
      const bool earlier = orientation_first->line < row.line;
      const Row* first = earlier ? orientation_first : &row;
      const Row* second = earlier ? &row : orientation_first;
      ++found.differing;
      if (found.differ_second == nullptr || second->line < found.differ_second->line) {
        found.differ_first = first, found.differ_second = second;
      }
    }
    orientation_first = &row;
  }
  return found;
}

std::vector<Warning> PairRows::said(const Findings& found, const std::string& file,
                                    const std::function<std::string(int)>& name) {
  std::vector<Warning> said;
  if (found.differing > 0) {
    said.push_back(Warning{"reverse_rows_differ"}
                       .add_text("file", file)
                       .add_count("pairs", found.differing)
                       .add_text("first", name(found.differ_first->sender))
                       .add_text("second", name(found.differ_first->receiver))
                       .add_text("value", value_text(found.differ_first->value))
                       .add_text("reverse_value", value_text(found.differ_second->value))
                       .add_text("of", "links"));
  }
  if (found.merged > 0) {
    said.push_back(Warning{"repeated_rows_merged"}
                       .add_text("file", file)
                       .add_count("rows", found.merged)
                       .add_text("first", name(found.merged_again->sender))
                       .add_text("second", name(found.merged_again->receiver))
                       .add_count("line", found.merged_again->line)
                       .add_count("first_line", found.merged_first->line));
  }
  if (found.zero_rows > 0) {
    said.push_back(
        Warning{"zero_value_rows"}.add_text("file", file).add_count("rows", found.zero_rows));
  }
  return said;
}

std::vector<Warning> PairRows::warnings(const std::string& file, bool undirected,
                                        const std::function<std::string(int)>& name) {
  sort_by_pair();
  return said(find(file, undirected, name), file, name);
}

std::string value_text(double value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

}  // namespace tarn
