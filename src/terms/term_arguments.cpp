#include "terms/term_arguments.h"

#include <algorithm>
#include <cmath>

#include "terms/term.h"

namespace tarn {

namespace {

std::string list_of(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t k = 0; k < names.size(); ++k) {
    text += (k == 0 ? "" : k + 1 == names.size() ? " and " : ", ") + names[k];
  }
  return text;
}

}  // namespace

TermArguments::TermArguments(const TermCall& call, std::vector<std::string> formals)
    : call_(call), formals_(std::move(formals)), matched_(formals_.size(), nullptr) {
  const std::string what = "term \"" + call.written + "\": ";
  std::size_t position = 0;
  for (const TermArgument& argument : call.arguments) {
    if (!argument.name.empty()) continue;
    while (position < formals_.size() &&
           std::any_of(call.arguments.begin(), call.arguments.end(),
                       [&](const TermArgument& a) { return a.name == formals_[position]; })) {
      ++position;
    }
    if (position >= formals_.size()) {
      throw ModelError(what + (formals_.empty()
                                   ? "it takes no arguments"
                                   : "too many arguments; its arguments are " + list_of(formals_)));
    }
    matched_[position++] = &argument.value;
  }
  for (const TermArgument& argument : call.arguments) {
    if (argument.name.empty()) continue;
    const auto at = std::find(formals_.begin(), formals_.end(), argument.name);
    if (at == formals_.end()) {
      throw ModelError(
          what + "it has no argument \"" + argument.name + "\"" +
          (formals_.empty() ? "; it takes none" : "; its arguments are " + list_of(formals_)));
    }
    const auto k = static_cast<std::size_t>(at - formals_.begin());
    if (matched_[k] != nullptr) {
      throw ModelError(what + "the argument \"" + argument.name + "\" is given twice");
    }
    matched_[k] = &argument.value;
  }
}

const ArgumentValue* TermArguments::find(std::string_view name) const {
  for (std::size_t k = 0; k < formals_.size(); ++k) {
    if (formals_[k] == name) return matched_[k];
  }
  return nullptr;
}

void TermArguments::fail(std::string_view name, const std::string& why) const {
  throw ModelError("term \"" + call_.written + "\", argument " + std::string(name) + ": " + why);
}

double TermArguments::number(std::string_view name, std::optional<double> fallback) const {
  const ArgumentValue* value = find(name);
  if (value == nullptr) {
    if (!fallback) fail(name, "it is needed");
    return *fallback;
  }
  if (value->kind != ArgumentValue::Kind::numbers || value->numbers.size() != 1) {
    fail(name, "give one number (\"" + value->written + "\" is none)");
  }
  return value->numbers.front();
}

std::vector<int> TermArguments::whole_numbers(std::string_view name, int least) const {
  const ArgumentValue* value = find(name);
  if (value == nullptr) fail(name, "it is needed");
  if (value->kind != ArgumentValue::Kind::numbers || value->numbers.empty()) {
    fail(name, "give whole numbers (\"" + value->written + "\" is none)");
  }
  std::vector<int> whole;
  for (double v : value->numbers) {
    if (std::floor(v) != v || v < least || v > 100000) {
      fail(name, "give whole numbers of at least " + std::to_string(least) + " (\"" +
                     value->written + "\" is not)");
    }
    whole.push_back(static_cast<int>(v));
  }
  return whole;
}

bool TermArguments::logical(std::string_view name, bool fallback) const {
  const ArgumentValue* value = find(name);
  if (value == nullptr) return fallback;
  if (value->kind != ArgumentValue::Kind::logical) {
    fail(name, "give TRUE or FALSE (\"" + value->written + "\" is neither)");
  }
  return value->logical;
}

std::optional<std::string> TermArguments::text_if_given(std::string_view name) const {
  const ArgumentValue* value = find(name);
  if (value == nullptr) return std::nullopt;
  if (value->kind == ArgumentValue::Kind::text || value->kind == ArgumentValue::Kind::word) {
    return value->text;
  }
  // A number stands for itself: the column number of a record-format attribute file.
  return value->written;
}

std::string TermArguments::text(std::string_view name) const {
  auto value = text_if_given(name);
  if (!value) fail(name, "it is needed");
  return *value;
}

std::vector<std::string> TermArguments::texts(std::string_view name) const {
  const ArgumentValue* value = find(name);
  if (value == nullptr) fail(name, "it is needed");
  std::vector<std::string> values;
  if (value->kind == ArgumentValue::Kind::text || value->kind == ArgumentValue::Kind::word) {
    values.push_back(value->text);
  } else if (value->kind == ArgumentValue::Kind::list) {
    for (const ArgumentValue& item : value->items) {
      if (item.kind != ArgumentValue::Kind::text) {
        fail(name, "give names in quotes (\"" + item.written + "\" is none)");
      }
      values.push_back(item.text);
    }
  } else {
    fail(name, "give a name in quotes, or several as c(\"a\", \"b\")");
  }
  return values;
}

const ArgumentValue& TermArguments::formula(std::string_view name) const {
  const ArgumentValue* value = find(name);
  if (value == nullptr) fail(name, "it is needed");
  if (value->kind != ArgumentValue::Kind::formula) {
    fail(name, "give a formula such as ~edges (\"" + value->written + "\" is none)");
  }
  return *value;
}

std::string TermArguments::written_options(std::initializer_list<std::string_view> names) const {
  std::string text;
  for (const std::string_view name : names) {
    if (const ArgumentValue* value = find(name)) {
      text += ", " + std::string(name) + "=" + value->written;
    }
  }
  return text;
}

}  // namespace tarn
