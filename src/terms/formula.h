#pragma once
// Models written as statnet users write them, "edges + mutual + gwesp(0.5, fixed=TRUE) +
// nodematch(\"level\")", or as lists, "edges,mutual,ttriple@2". An optional left-hand side
// ("net ~ ...") is ignored. With a '+' outside parentheses the terms are separated by '+',
// otherwise by the commas outside parentheses.
//
// Arguments are numbers (with log() and exp() of numbers, as in gwesp(log(2))), TRUE/FALSE (T/F),
// strings in double or single quotes, bare words (an attribute's name), and vectors: c(1, 2),
// 2:3, -1. A term may end in @B or @* (the block parameters of a configuration type).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn {

struct ArgumentValue {
  enum class Kind { numbers, text, logical, word };
  Kind kind = Kind::numbers;
  std::vector<double> numbers;  // one for a number; several for c(...) and a:b
  std::string text;             // a string or a bare word
  bool logical = false;
  std::string written;  // as written, blanks trimmed
};

struct TermArgument {
  std::string name;  // empty for an argument given by position
  ArgumentValue value;
};

struct TermCall {
  std::string name;  // as written
  std::vector<TermArgument> arguments;
  bool parenthesised = false;
  std::optional<std::string> block;  // after '@': "2", "*" (blanks trimmed)
  std::string written;               // the whole term, blanks trimmed
};

// Throws ModelError (terms/term.h) naming the place: an empty term, unbalanced parentheses or
// quotes, an argument that is none of the kinds above.
std::vector<TermCall> parse_formula(std::string_view text);

// How R writes a number in a name (as.character): up to 15 significant digits, "0.5", "1e-05".
std::string r_number_text(double value);

// A finite decimal number as written in a formula or an attribute column (blanks around it and a
// leading '+' allowed), or nullopt.
std::optional<double> plain_number(std::string_view text);

}  // namespace tarn
