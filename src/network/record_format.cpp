#include "network/record_format.h"

#include <algorithm>
#include <cctype>

namespace tarn {

namespace {

constexpr std::int64_t limit = Motion::limit;
// Counts and widths above this are refused: no line is that long.
constexpr std::int64_t largest_number = 999999999;

std::int64_t clamp(std::int64_t v) {
  return v > limit ? limit : (v < -limit ? -limit : v);
}

// Both operands lie within [-limit, limit], so the sum cannot overflow.
std::int64_t add(std::int64_t a, std::int64_t b) {
  return clamp(a + b);
}

std::int64_t multiply(std::int64_t count, std::int64_t v) {
  if (count == 0 || v == 0) return 0;
  if ((v > 0 ? v : -v) > limit / count) return v > 0 ? limit : -limit;
  return clamp(count * v);
}

char upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

Motion Motion::then(const Motion& next) const {
  Motion r;
  if (next.absolute) {
    r = next;
  } else if (absolute) {
    r.absolute = true;
    r.target = next.apply(target);
  } else {
    r.low = std::max(next.low, add(low, next.shift));
    r.shift = add(shift, next.shift);
  }
  r.mode = next.mode >= 0 ? next.mode : mode;
  return r;
}

Motion Motion::repeated(std::int64_t count) const {
  if (absolute || count <= 1) return *this;
  Motion r = *this;
  r.shift = multiply(count, shift);
  // Moving right: the floor is pushed along by every later repetition; moving left: it stays.
  if (shift >= 0) r.low = add(low, multiply(count - 1, shift));
  return r;
}

class FormatParser {
 public:
  explicit FormatParser(std::string_view text) {
    text_.reserve(text.size());
    for (char c : text) {
      if (c != ' ') text_.push_back(c);
    }
  }

  std::optional<RecordFormat> run(std::string& problem) {
    if (text_.empty()) {
      problem = "the line is empty, but it must hold the record format, for example (2I5,I3)";
      return std::nullopt;
    }
    if (text_[0] != '(') {
      problem = "it must begin with an opening parenthesis, as in (2I5,I3)";
      return std::nullopt;
    }
    pos_ = 1;
    if (!list(0, 1)) {
      problem = problem_;
      return std::nullopt;
    }
    f_.compact_ = text_.substr(0, pos_);
    if (f_.integers_per_pass_ == 0) {
      problem = "it has no integer field (Iw), so no number could ever be read by it";
      return std::nullopt;
    }
    f_.reuse_index_ = reuse_candidate_;
    f_.reuse_reads_integers_ = std::any_of(
        f_.items_.begin() + static_cast<std::ptrdiff_t>(reuse_candidate_), f_.items_.end(),
        [](const FormatItem& it) { return it.kind == FormatItem::Kind::integer; });
    return std::move(f_);
  }

 private:
  enum class Prev { start, item, comma, slash };

  bool at_end() const { return pos_ >= text_.size(); }

  bool fail(std::string why) {
    problem_ = std::move(why);
    return false;
  }

  // The item that starts at `start`, as written (blanks removed), for messages.
  std::string item_text(std::size_t start) const {
    std::size_t end = start;
    while (end < text_.size() && end - start < 20) {
      char c = text_[end];
      if (c == ',' || c == '/' || c == ')') break;
      ++end;
      if (c == '(') break;
    }
    if (end == start && start < text_.size()) ++end;
    return "\"" + text_.substr(start, end - start) + "\"";
  }

  // An unsigned decimal number; false (without a problem) when no digit stands here.
  bool number(std::int64_t& value, std::size_t item_start) {
    if (at_end() || !is_digit(text_[pos_])) return false;
    value = 0;
    while (!at_end() && is_digit(text_[pos_])) {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
      if (value > largest_number) {
        too_large_ = true;
        problem_ = "the number in " + item_text(item_start) + " is too large";
        return false;
      }
    }
    return true;
  }

  // A number that the item needs; `what` names it in the message.
  bool required_number(std::int64_t& value, std::size_t item_start, const std::string& what,
                       const std::string& example) {
    if (!number(value, item_start)) {
      if (too_large_) return false;
      return fail(item_text(item_start) + " has no " + what + "; write it as " + example);
    }
    if (value == 0) return fail(item_text(item_start) + ": the " + what + " must be at least 1");
    return true;
  }

  void push_motion(const Motion& m) {
    FormatItem it;
    it.kind = FormatItem::Kind::motion;
    it.motion = m;
    f_.items_.push_back(it);
  }

  // The items up to and including the closing parenthesis of the current level.
  bool list(std::size_t depth, std::int64_t multiplier) {
    Prev prev = Prev::start;
    for (;;) {
      if (at_end()) {
        return fail(depth == 0 ? "the closing parenthesis is missing"
                               : "a group is not closed: a closing parenthesis is missing");
      }
      char c = text_[pos_];
      if (c == ')') {
        if (prev == Prev::comma) return fail("an item is missing after the last comma");
        ++pos_;
        return true;
      }
      if (c == ',') {
        if (prev == Prev::start || prev == Prev::comma) {
          return fail("an item is missing before a comma");
        }
        ++pos_;
        prev = Prev::comma;
        continue;
      }
      if (c == '/') {
        FormatItem it;
        it.kind = FormatItem::Kind::slash;
        f_.items_.push_back(it);
        ++pos_;
        prev = Prev::slash;
        continue;
      }
      if (prev == Prev::item) return fail("a comma is missing before " + item_text(pos_));
      if (!item(depth, multiplier)) return false;
      prev = Prev::item;
    }
  }

  bool item(std::size_t depth, std::int64_t multiplier) {
    const std::size_t start = pos_;
    std::int64_t count = 1;
    const bool has_count = number(count, start);
    if (too_large_) return false;
    if (at_end()) return fail("the closing parenthesis is missing");
    const char c = upper(text_[pos_]);
    if (const std::string unread = unread_field(c); !unread.empty()) {
      return fail(item_text(start) + unread);
    }
    if (has_count && count == 0 && (c == 'I' || c == '(')) {
      return fail(item_text(start) + ": a repeat count must be at least 1");
    }
    if (c == 'I') return integer_field(start, count, multiplier);
    if (c == '(') return group(depth, count, multiplier);
    if (c == 'X') return skip_field(start, has_count, count);
    if (has_count) {
      return fail(item_text(start) + ": a repeat count may stand only before I or a group");
    }
    if (c == 'T') return tab(start);
    if (c == 'B') return blank_mode(start);
    return fail(item_text(start) +
                " is not an item of a record format (the items are Iw, nX, Tc, TLn, TRn, /, BN, "
                "BZ and r( ) groups)");
  }

  // Why the field of the letter c cannot be read, or nothing when it may be a readable item.
  static std::string unread_field(char c) {
    switch (c) {
      case 'F':
      case 'E':
      case 'D':
      case 'G':
        return " is a real-number field, but only whole-number fields (Iw) are read";
      case 'A':
        return " is a text field, but only whole-number fields (Iw) are read";
      case 'L':
        return " is a logical field, but only whole-number fields (Iw) are read";
      case '\'':
      case '"':
      case 'H':
        return " is literal text, which a record format cannot read";
      default:
        return {};
    }
  }

  // Iw or Iw.d, repeated count times.
  bool integer_field(std::size_t start, std::int64_t count, std::int64_t multiplier) {
    ++pos_;
    std::int64_t width = 0;
    if (!required_number(width, start, "field width", "I5, for example")) return false;
    if (!at_end() && text_[pos_] == '.') {
      ++pos_;
      std::int64_t digits = 0;
      if (!number(digits, start)) {
        if (too_large_) return false;
        return fail(item_text(start) + ": a number must follow the point, as in I5.2");
      }
    }
    FormatItem it;
    it.kind = FormatItem::Kind::integer;
    it.width = static_cast<std::int32_t>(width);
    it.repeat = static_cast<std::int32_t>(count);
    f_.items_.push_back(it);
    f_.integers_per_pass_ = add(f_.integers_per_pass_, multiply(count, multiplier));
    return true;
  }

  // r( ... ): a group repeated count times.
  bool group(std::size_t depth, std::int64_t count, std::int64_t multiplier) {
    ++pos_;
    const std::size_t open = f_.items_.size();
    if (depth == 0) reuse_candidate_ = open;
    FormatItem it;
    it.kind = FormatItem::Kind::open;
    it.repeat = static_cast<std::int32_t>(count);
    f_.items_.push_back(it);
    if (!list(depth + 1, multiply(count, multiplier))) return false;
    close_group(open, depth, count);
    return true;
  }

  // nX: n characters skipped.
  bool skip_field(std::size_t start, bool has_count, std::int64_t count) {
    if (!has_count) return fail("\"X\" has no count of characters to skip; write it as 1X");
    if (count == 0) return fail(item_text(start) + ": the count of X must be at least 1");
    ++pos_;
    Motion m;
    m.shift = count;
    push_motion(m);
    return true;
  }

  // Tc, TLn or TRn.
  bool tab(std::size_t start) {
    ++pos_;
    const char d = at_end() ? '\0' : upper(text_[pos_]);
    Motion m;
    std::int64_t n = 0;
    if (d == 'L' || d == 'R') {
      ++pos_;
      if (!required_number(n, start, "count", d == 'L' ? "TL5, for example" : "TR5, for example"))
        return false;
      m.shift = d == 'L' ? -n : n;
    } else {
      if (!required_number(n, start, "column", "T10, for example")) return false;
      m.absolute = true;
      m.target = n - 1;
    }
    push_motion(m);
    return true;
  }

  // BN or BZ.
  bool blank_mode(std::size_t start) {
    ++pos_;
    const char d = at_end() ? '\0' : upper(text_[pos_]);
    if (d != 'N' && d != 'Z') {
      return fail(item_text(start) + " is not an item of a record format");
    }
    ++pos_;
    Motion m;
    m.mode = d == 'Z' ? 1 : 0;
    push_motion(m);
    return true;
  }

  // Ends the group opened at `open`: a group of motions only becomes one motion, any other
  // group gets its closing item.
  void close_group(std::size_t open, std::size_t depth, std::int64_t count) {
    const bool motions_only =
        std::all_of(f_.items_.begin() + static_cast<std::ptrdiff_t>(open) + 1, f_.items_.end(),
                    [](const FormatItem& it) { return it.kind == FormatItem::Kind::motion; });
    if (motions_only) {
      Motion m;
      for (std::size_t k = open + 1; k < f_.items_.size(); ++k) m = m.then(f_.items_[k].motion);
      f_.items_.resize(open);
      push_motion(m.repeated(count));
      return;
    }
    FormatItem it;
    it.kind = FormatItem::Kind::close;
    it.jump = static_cast<std::int32_t>(open);
    f_.items_[open].jump = static_cast<std::int32_t>(f_.items_.size());
    f_.items_.push_back(it);
    f_.max_depth_ = std::max(f_.max_depth_, depth + 1);
  }

  std::string text_;
  std::size_t pos_ = 0;
  std::size_t reuse_candidate_ = 0;
  bool too_large_ = false;
  std::string problem_;
  RecordFormat f_;
};

std::optional<RecordFormat> RecordFormat::parse(std::string_view text, std::string& problem) {
  FormatParser parser(text);
  return parser.run(problem);
}

}  // namespace tarn
