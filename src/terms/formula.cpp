#include "terms/formula.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "numeric/number_text.h"
#include "terms/term.h"

namespace tarn {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

namespace {

bool is_name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

// A '+' right after '@' is the sign of a block type ("6@+1"), not a separator of terms; so is
// the '*' of "ttriple@*", which is no interaction.
bool signs_block_type(std::string_view text, std::size_t k) {
  while (k > 0 && std::isspace(static_cast<unsigned char>(text[k - 1]))) --k;
  return k > 0 && text[k - 1] == '@';
}

bool is_name(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!is_name_char(c)) return false;
  }
  return true;
}

// The positions of any of `wanted` that stand outside parentheses and quotes (a '+' or '*' that
// signs a block type not counted), the first `limit` of them. With `whole`, parentheses and
// quotes that do not pair are refused, naming it.
std::vector<std::size_t> positions_outside(std::string_view text, std::string_view wanted,
                                           std::size_t limit, const std::string_view* whole) {
  const auto refuse = [whole](const char* what) {
    if (whole != nullptr) throw ModelError("\"" + std::string(*whole) + "\": " + what);
  };
  std::vector<std::size_t> positions;
  int depth = 0;
  char quote = 0;
  for (std::size_t k = 0; k < text.size() && positions.size() < limit; ++k) {
    const char c = text[k];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) refuse("a ')' without its '('");
    } else if (wanted.find(c) != std::string_view::npos && depth == 0 &&
               !((c == '+' || c == '*') && signs_block_type(text, k))) {
      positions.push_back(k);
    }
  }
  if (positions.size() < limit) {
    if (quote != 0) refuse("a quote is not closed");
    if (depth != 0) refuse("a '(' is not closed");
  }
  return positions;
}

// The pieces of `text` between the separators that stand outside parentheses and quotes.
std::vector<std::string_view> split_outside(std::string_view text, char separator,
                                            std::string_view whole) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (const std::size_t k :
       positions_outside(text, std::string_view(&separator, 1), std::string_view::npos, &whole)) {
    pieces.push_back(text.substr(start, k - start));
    start = k + 1;
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// The first `wanted` outside parentheses and quotes (a '+' that signs a block type not counted),
// or npos.
std::size_t find_outside(std::string_view text, char wanted) {
  const std::vector<std::size_t> first =
      positions_outside(text, std::string_view(&wanted, 1), 1, nullptr);
  return first.empty() ? std::string_view::npos : first.front();
}

bool contains_outside(std::string_view text, char wanted) {
  return find_outside(text, wanted) != std::string_view::npos;
}

// A number, log(number), exp(number), or one of those negated.
std::optional<double> number_expression(std::string_view text) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  if (text.front() == '-') {
    const auto inner = number_expression(text.substr(1));
    if (inner) return -*inner;
    return std::nullopt;
  }
  for (const char* function : {"log", "exp"}) {
    const std::string_view f = function;
    if (text.substr(0, f.size()) == f && text.size() > f.size() + 1) {
      const std::string_view rest = trimmed(text.substr(f.size()));
      if (rest.front() != '(' || rest.back() != ')') continue;
      const auto inner = number_expression(rest.substr(1, rest.size() - 2));
      if (!inner) return std::nullopt;
      const double value = f == "log" ? std::log(*inner) : std::exp(*inner);
      if (!std::isfinite(value)) return std::nullopt;
      return value;
    }
  }
  if (text.front() == '(' && text.back() == ')') {
    return number_expression(text.substr(1, text.size() - 2));
  }
  return plain_number(text);
}

std::optional<std::vector<double>> number_vector(std::string_view text) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  if (text.front() == '-') {
    auto inner = number_vector(text.substr(1));
    if (!inner) return std::nullopt;
    for (double& v : *inner) v = -v;
    return inner;
  }
  if (text.front() == '(' && text.back() == ')')
    return number_vector(text.substr(1, text.size() - 2));
  if (text.size() > 1 && text.front() == 'c' && !trimmed(text.substr(1)).empty() &&
      trimmed(text.substr(1)).front() == '(' && text.back() == ')') {
    const std::string_view inside = trimmed(text.substr(1));
    std::vector<double> values;
    for (std::string_view item : split_outside(inside.substr(1, inside.size() - 2), ',', text)) {
      auto part = number_vector(item);
      if (!part) return std::nullopt;
      values.insert(values.end(), part->begin(), part->end());
    }
    return values;
  }
  if (!contains_outside(text, ':')) {
    if (const auto v = number_expression(text)) return std::vector<double>{*v};
    return std::nullopt;
  }
  const std::size_t colon = text.find(':');
  const auto from = number_expression(text.substr(0, colon));
  const auto to = number_expression(text.substr(colon + 1));
  if (!from || !to || std::floor(*from) != *from || std::floor(*to) != *to ||
      std::fabs(*to - *from) > 10000) {
    return std::nullopt;
  }
  std::vector<double> values;
  const double step = *to >= *from ? 1.0 : -1.0;
  for (double v = *from;; v += step) {
    values.push_back(v);
    if (v == *to) break;
  }
  return values;
}

// The inside of "c(...)" or "list(...)", or nothing.
std::optional<std::string_view> list_inside(std::string_view text) {
  for (const std::string_view head : {std::string_view("c"), std::string_view("list")}) {
    if (text.substr(0, head.size()) != head || text.back() != ')') continue;
    const std::string_view rest = trimmed(text.substr(head.size()));
    if (rest.empty() || rest.front() != '(') continue;
    return trimmed(rest.substr(1, rest.size() - 2));
  }
  return std::nullopt;
}

ArgumentValue argument_value(std::string_view text, const TermCall& call) {
  ArgumentValue value;
  value.written = std::string(trimmed(text));
  const std::string_view t = value.written;
  if (t.empty()) {
    throw ModelError("term \"" + call.written + "\": an empty argument");
  }
  if (const std::size_t tilde = find_outside(t, '~'); tilde != std::string_view::npos) {
    value.kind = ArgumentValue::Kind::formula;
    value.lhs = std::string(trimmed(t.substr(0, tilde)));
    value.rhs = std::string(trimmed(t.substr(tilde + 1)));
    if (value.rhs.empty()) {
      throw ModelError("term \"" + call.written + "\": the formula \"" + value.written +
                       "\" has nothing after its '~'");
    }
    return value;
  }
  if ((t.front() == '"' || t.front() == '\'') && t.size() >= 2 && t.back() == t.front()) {
    value.kind = ArgumentValue::Kind::text;
    value.text = std::string(t.substr(1, t.size() - 2));
    return value;
  }
  if (t == "TRUE" || t == "T" || t == "FALSE" || t == "F") {
    value.kind = ArgumentValue::Kind::logical;
    value.logical = t == "TRUE" || t == "T";
    return value;
  }
  if (auto numbers = number_vector(t)) {
    value.kind = ArgumentValue::Kind::numbers;
    value.numbers = std::move(*numbers);
    return value;
  }
  if (const auto inside = list_inside(t)) {
    value.kind = ArgumentValue::Kind::list;
    if (!inside->empty()) {
      for (std::string_view item : split_outside(*inside, ',', t)) {
        value.items.push_back(argument_value(item, call));
      }
    }
    return value;
  }
  if (is_name(t)) {
    value.kind = ArgumentValue::Kind::word;
    value.text = std::string(t);
    return value;
  }
  throw ModelError("term \"" + call.written + "\": cannot read the argument \"" + value.written +
                   "\" (a number, TRUE or FALSE, a name in quotes, or a vector such as c(1, 2) "
                   "or 2:3)");
}

TermCall term_of_piece(std::string_view piece, std::string_view whole);

TermCall term_call(std::string_view text, std::string_view whole) {
  TermCall call;
  call.written = std::string(trimmed(text));
  std::string_view rest = call.written;
  if (rest.empty()) {
    throw ModelError(trimmed(whole).empty() ? "the model has no terms"
                                            : "an empty term in \"" + std::string(whole) + "\"");
  }
  std::size_t end = 0;
  while (end < rest.size() && is_name_char(rest[end])) ++end;
  call.name = std::string(rest.substr(0, end));
  rest = trimmed(rest.substr(end));
  if (!rest.empty() && rest.front() == '(') {
    const auto parts = split_outside(rest, '\0', whole);  // checks the balance
    (void)parts;
    int depth = 0;
    char quote = 0;
    std::size_t close = 0;
    for (std::size_t k = 0; k < rest.size(); ++k) {
      const char c = rest[k];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        close = k;
        break;
      }
    }
    call.parenthesised = true;
    const std::string_view inside = trimmed(rest.substr(1, close - 1));
    if (call.name == "offset") {
      if (!trimmed(rest.substr(close + 1)).empty() || inside.empty() ||
          find_outside(inside, ',') != std::string_view::npos) {
        throw ModelError("cannot read \"" + call.written +
                         "\": an offset is one term in parentheses, as in offset(edges)");
      }
      TermCall inner = term_of_piece(inside, whole);
      if (inner.offset) throw ModelError("\"" + call.written + "\": an offset of an offset");
      inner.offset = true;
      return inner;
    }
    if (!inside.empty()) {
      for (std::string_view piece : split_outside(inside, ',', whole)) {
        TermArgument argument;
        std::string_view value_text = piece;
        const std::size_t equals = piece.find('=');
        if (equals != std::string_view::npos && is_name(trimmed(piece.substr(0, equals))) &&
            piece.substr(equals + 1, 1) != "=") {
          argument.name = std::string(trimmed(piece.substr(0, equals)));
          value_text = piece.substr(equals + 1);
        }
        argument.value = argument_value(value_text, call);
        call.arguments.push_back(std::move(argument));
      }
    }
    rest = trimmed(rest.substr(close + 1));
  }
  if (!rest.empty() && rest.front() == '@') {
    call.block = std::string(trimmed(rest.substr(1)));
    rest = {};
  }
  if (call.name.empty() || !rest.empty()) {
    throw ModelError("cannot read the term \"" + call.written +
                     "\": a term is a name, optionally with arguments in parentheses, as in "
                     "gwesp(0.5, fixed=TRUE)");
  }
  return call;
}

// The term of one piece of a formula: a call, or an interaction of two pieces. As in R, '*'
// binds less tightly than ':' and both group from the left (a*b*c is (a*b)*c).
TermCall term_of_piece(std::string_view piece, std::string_view whole) {
  const std::string_view text = trimmed(piece);
  for (const char symbol : {'*', ':'}) {
    const std::vector<std::size_t> at =
        positions_outside(text, std::string_view(&symbol, 1), std::string_view::npos, nullptr);
    if (at.empty()) continue;
    TermCall call;
    call.name = std::string(1, symbol);
    call.written = std::string(text);
    call.operands.push_back(term_of_piece(text.substr(0, at.back()), whole));
    call.operands.push_back(term_of_piece(text.substr(at.back() + 1), whole));
    return call;
  }
  return term_call(text, whole);
}

}  // namespace

std::size_t find_any_outside(std::string_view text, std::string_view characters) {
  const std::vector<std::size_t> first = positions_outside(text, characters, 1, nullptr);
  return first.empty() ? std::string_view::npos : first.front();
}

TermCall parse_term(std::string_view text) {
  if (find_outside(text, '~') != std::string_view::npos) {
    throw ModelError("\"" + std::string(trimmed(text)) +
                     "\": give one term, not a formula with '~'");
  }
  const std::vector<TermCall> calls = parse_formula(text);
  if (calls.size() != 1) {
    throw ModelError("\"" + std::string(trimmed(text)) + "\": give one term, not " +
                     std::to_string(calls.size()));
  }
  return calls.front();
}

std::vector<TermCall> parse_formula(std::string_view text) {
  std::string_view body = text;
  if (const std::size_t tilde = find_outside(body, '~'); tilde != std::string_view::npos) {
    body = body.substr(tilde + 1);  // a left-hand side is ignored
  }
  if (trimmed(body).empty()) throw ModelError("the model has no terms");
  const char separator = contains_outside(body, '+') ? '+' : ',';
  std::vector<TermCall> calls;
  for (std::string_view piece : split_outside(body, separator, text)) {
    calls.push_back(term_of_piece(piece, text));
  }
  return calls;
}

std::string r_number_text(double value) {
  if (value == 0.0) return "0";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";  // as R writes them
  if (std::isnan(value)) return "NaN";
  // The shortest of up to 15 significant digits that reads back as the same 15-digit value.
  auto shortest = [value](const char* style) {
    char buffer[64];
    std::string best;
    for (int digits = 1; digits <= 15; ++digits) {
      std::snprintf(buffer, sizeof buffer, style, digits - (style[3] == 'e' ? 1 : 0), value);
      char check[64];
      std::snprintf(check, sizeof check, "%.14e", value);
      char again[64];
      std::snprintf(again, sizeof again, "%.14e", std::strtod(buffer, nullptr));
      if (std::string(check) == again) return std::string(buffer);
      best = buffer;
    }
    return best;
  };
  std::string fixed = shortest("%.*g");
  std::string scientific = shortest("%.*e");
  // %g may itself choose an exponent; R compares the fixed and scientific widths.
  if (fixed.find('e') == std::string::npos) {
    return fixed.size() <= scientific.size() ? fixed : scientific;
  }
  // Fixed notation written out: as many decimals as the significant digits need.
  char buffer[400];
  for (int decimals = 0; decimals <= 330; ++decimals) {
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    char check[64], again[64];
    std::snprintf(check, sizeof check, "%.14e", value);
    std::snprintf(again, sizeof again, "%.14e", std::strtod(buffer, nullptr));
    if (std::string(check) == again) break;
  }
  fixed = buffer;
  return fixed.size() <= scientific.size() ? fixed : scientific;
}

std::optional<double> plain_number(std::string_view text) {
  return decimal_number(trimmed(text));
}

}  // namespace tarn
