#pragma once
// The arguments of one term, matched to the term's own argument names as R matches them: by name,
// else by position. A wrong argument ends with a message naming the term and the argument.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "terms/formula.h"

namespace tarn {

class TermArguments {
 public:
  // `formals`: the term's argument names in order. Throws ModelError for an argument name the
  // term does not have, one given twice, or more arguments than names.
  TermArguments(const TermCall& call, std::vector<std::string> formals);

  const TermCall& call() const { return call_; }
  bool given(std::string_view name) const { return find(name) != nullptr; }
  const ArgumentValue* find(std::string_view name) const;

  // One number (default when not given; required when there is no default).
  double number(std::string_view name, std::optional<double> fallback = std::nullopt) const;
  // Whole numbers, at least `least` each (a single number or a vector).
  std::vector<int> whole_numbers(std::string_view name, int least) const;
  bool logical(std::string_view name, bool fallback) const;
  // A name in quotes or bare (an attribute, a file, a type).
  std::string text(std::string_view name) const;
  std::optional<std::string> text_if_given(std::string_view name) const;

  // Values in quotes: one, or a list of them (c("a", "b")); ModelError for anything else.
  std::vector<std::string> texts(std::string_view name) const;
  // A formula argument (~a, a~b); ModelError for anything else.
  const ArgumentValue& formula(std::string_view name) const;

  // ", name=value" for each of `names` given, as written: the options of a canonical text.
  std::string written_options(std::initializer_list<std::string_view> names) const;

  [[noreturn]] void fail(std::string_view name, const std::string& why) const;

 private:
  const TermCall& call_;
  std::vector<std::string> formals_;
  std::vector<const ArgumentValue*> matched_;  // by formal
};

}  // namespace tarn
