#pragma once
// A warning as the results hold it: a code, the figures it is made of, what gave it, and the
// words the command line gives it. A front end may word the code and figures its own way.

#include <concepts>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace tarnwick {

// Each result lists its fields by name beside its definition: visit_fields(result, visit) calls
// visit(name, member) for every member in order, of a const or a mutable result, so that a
// program can convert the results without naming their fields again (the Python package's
// values, a saved fit).
template <class Result, class Type>
concept same_result = std::same_as<std::remove_const_t<Result>, Type>;

struct WarningFigure {
  std::string name;
  std::variant<std::int64_t, double, std::string> value;
};

template <class Result, class Visit>
requires same_result<Result, WarningFigure>
void visit_fields(Result& r, Visit&& visit) {
  visit("name", r.name), visit("value", r.value);
}

struct WarningRecord {
  std::string code;     // as in the JSON results
  std::string message;  // as the command line words it
  // What gave it: "data" (the network's files and the model's terms), "fit", "draws" (the
  // networks drawn), "sample" (their autocorrelations) or "features" (how gof measured them).
  std::string about;
  std::vector<WarningFigure> figures;
  // The settings the message names, by key ("sample_size", "method"), and the message with a
  // place for each, as ArgumentError holds them, for a front end to name them its own way
  // (ArgumentError::worded); empty for a message that names none.
  std::vector<std::string> settings;
  std::string text;
};

// The message in a front end's words, as ArgumentError::worded words an error: each setting named
// by name(key) and joined to a value by joiner; the message itself when it names none.
std::string worded(const WarningRecord& record,
                   const std::function<std::string(const std::string&)>& name,
                   const std::string& joiner);

template <class Result, class Visit>
requires same_result<Result, WarningRecord>
void visit_fields(Result& r, Visit&& visit) {
  visit("code", r.code), visit("message", r.message), visit("about", r.about),
      visit("figures", r.figures), visit("settings", r.settings), visit("text", r.text);
}

}  // namespace tarnwick
