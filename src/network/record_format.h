#pragma once
// The record-format line of a data file, parsed into a flat list of items that the reader walks.
//
// Accepted items (blanks anywhere ignored, letters in either case, items separated by commas;
// the slash separates by itself): Iw, Iw.m, rIw, nX, Tc, TLn, TRn, /, BN, BZ and r( ... ) groups,
// nested to any depth. Text after the parenthesis that closes the format is ignored.
//
// Position moves (X, T, TL, TR) and the blank mode (BN, BZ) are kept as one "motion" each; a
// group that holds only motions is folded into a single motion at parse time, so a repeat count
// of 100000 costs nothing per record. Groups that hold integer fields or slashes stay groups and
// are repeated by a counter while reading.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// The effect of position moves on the current character position p (0-based):
// p -> target when `absolute`, else p -> max(low, p + shift). Positions saturate at `limit`.
struct Motion {
  static constexpr std::int64_t limit = std::int64_t{1} << 60;

  bool absolute = false;
  std::int64_t target = 0;
  std::int64_t low = 0;
  std::int64_t shift = 0;
  // Blank mode set by the motion: -1 leaves it, 0 sets BN (blanks dropped), 1 sets BZ (zeros).
  std::int8_t mode = -1;

  std::int64_t apply(std::int64_t p) const {
    if (absolute) return target;
    std::int64_t q = p + shift;
    if (q > limit) q = limit;
    return q < low ? low : q;
  }
  // This motion followed by `next`.
  Motion then(const Motion& next) const;
  // This motion done `count` times in a row (count >= 1).
  Motion repeated(std::int64_t count) const;
};

struct FormatItem {
  enum class Kind : std::uint8_t { integer, motion, slash, open, close };

  Kind kind = Kind::motion;
  std::int32_t width = 0;   // integer: field width
  std::int32_t repeat = 1;  // integer, open: repeat count
  std::int32_t jump = 0;    // open: index of its close; close: index of its open
  Motion motion;            // motion
};

class RecordFormat {
 public:
  // Parses `text` (the format line). Returns nothing when it is not a valid format and then
  // sets `problem` to a sentence saying why (without the file name).
  static std::optional<RecordFormat> parse(std::string_view text, std::string& problem);

  const std::vector<FormatItem>& items() const { return items_; }
  // Index at which the format is used again when its items run out: the start of the last group
  // at the outermost level, or 0 when there is none.
  std::size_t reuse_index() const { return reuse_index_; }
  // Integer fields in one full pass through the format (saturated at a large value).
  std::int64_t integers_per_pass() const { return integers_per_pass_; }
  // Whether the part that is used again holds an integer field.
  bool reuse_reads_integers() const { return reuse_reads_integers_; }
  // Deepest nesting of unfolded groups: the counters the reader needs.
  std::size_t max_depth() const { return max_depth_; }
  // The format text itself, from its opening to its closing parenthesis, blanks removed.
  const std::string& compact_text() const { return compact_; }

 private:
  std::vector<FormatItem> items_;
  std::size_t reuse_index_ = 0;
  std::int64_t integers_per_pass_ = 0;
  bool reuse_reads_integers_ = false;
  std::size_t max_depth_ = 0;
  std::string compact_;

  friend class FormatParser;
};

}  // namespace tarn
