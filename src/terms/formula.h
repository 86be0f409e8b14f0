#pragma once
// Models written as statnet users write them, "edges + mutual + gwesp(0.5, fixed=TRUE) +
// nodematch(\"level\")", or as lists, "edges,mutual,ttriple@2". An optional left-hand side
// ("net ~ ...") is ignored. With a '+' outside parentheses the terms are separated by '+',
// otherwise by the commas outside parentheses.
//
// Arguments are numbers (with log() and exp() of numbers, as in gwesp(log(2))), TRUE/FALSE (T/F),
// strings in double or single quotes, bare words (an attribute's name), vectors: c(1, 2), 2:3,
// -1, lists of other values (c("a", "b"), list(~edges, 2~mutual)), and formulas (~nodematch(a),
// group~., "sum"~edges+mutual), which operators and mm read. A term may end in @B or @* (the block
// parameters of a configuration type).
//
// Two terms joined by ':' (outside parentheses) are their interaction, "a*b" the two terms and
// their interaction: one call named ":" or "*" whose operands are the two terms. offset(term) is
// the term inside, marked as an offset.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct ArgumentValue {
  enum class Kind { numbers, text, logical, word, formula, list };
  Kind kind = Kind::numbers;
  std::vector<double> numbers;  // one for a number; several for c(...) and a:b
  std::string text;             // a string or a bare word
  bool logical = false;
  // A formula "lhs ~ rhs" (lhs empty when one-sided), each trimmed.
  std::string lhs, rhs;
  std::vector<ArgumentValue> items;  // the values of a list (c(...) or list(...) of non-numbers)
  std::string written;               // as written, blanks trimmed
};

struct TermArgument {
  std::string name;  // empty for an argument given by position
  ArgumentValue value;
};

struct TermCall {
  std::string name;  // as written; ":" or "*" for an interaction
  std::vector<TermArgument> arguments;
  bool parenthesised = false;
  std::optional<std::string> block;  // after '@': "2", "*" (blanks trimmed)
  std::string written;               // the whole term, blanks trimmed
  std::vector<TermCall> operands;    // the two terms of an interaction
  // Written as offset(term): the term with its coefficients fixed, not estimated.
  bool offset = false;
};

// Throws ModelError (terms/term.h) naming the place: an empty term, unbalanced parentheses or
// quotes, an argument that is none of the kinds above.
std::vector<TermCall> parse_formula(std::string_view text);

// The one term of `text` (interactions included), as parse_formula reads each; ModelError for
// more than one.
TermCall parse_term(std::string_view text);

// The first position in `text` of any of `characters` outside parentheses and quotes, or npos.
std::size_t find_any_outside(std::string_view text, std::string_view characters);

// The text without the blanks around it.
std::string_view trimmed(std::string_view text);

// How R writes a number in a name (as.character): up to 15 significant digits, "0.5", "1e-05".
std::string r_number_text(double value);

// A finite decimal number as written in a formula or an attribute column (blanks around it and a
// leading '+' allowed), or nullopt.
std::optional<double> plain_number(std::string_view text);

}  // namespace tarn
