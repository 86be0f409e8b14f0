#include "terms/attribute_levels.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "network/fatal_error.h"

namespace tarn {

// The attribute a term names, every node with a value.
const AttributeColumn& attribute_of(const TermArguments& arguments, const TermContext& context,
                                    std::string_view argument) {
  // ergm 4 takes an attribute as ~name too.
  const ArgumentValue* value = arguments.find(argument);
  if (value != nullptr && value->kind == ArgumentValue::Kind::formula) {
    const bool name = value->lhs.empty() && !value->rhs.empty() &&
                      std::all_of(value->rhs.begin(), value->rhs.end(), [](char c) {
                        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
                      });
    if (!name) {
      arguments.fail(argument, "give an attribute's name, or ~name (\"" + value->written +
                                   "\" is neither; functions of attributes are not offered)");
    }
    return attribute_named(arguments, context, argument, value->rhs);
  }
  return attribute_named(arguments, context, argument, arguments.text(argument));
}

const AttributeColumn& attribute_named(const TermArguments& arguments, const TermContext& context,
                                       std::string_view argument, const std::string& name) {
  if (context.attributes == nullptr) {
    arguments.fail(argument,
                   "the attribute \"" + name + "\" needs an attribute file (--attributes)");
  }
  const AttributeColumn* column = context.attributes->find(name);
  if (column == nullptr) {
    std::string known;
    for (const AttributeColumn& c : context.attributes->columns) {
      known += (known.empty() ? "" : ", ") + c.name;
    }
    arguments.fail(argument, "no attribute \"" + name + "\" in " + context.attributes->source +
                                 " (its attributes: " + known + ")");
  }
  // A missing value is the data's, not the formula's: an input error (status 3), naming the node
  // as the files do.
  for (int node = 1; node <= context.node_count; ++node) {
    if (static_cast<std::size_t>(node - 1) >= column->value.size() ||
        column->value[static_cast<std::size_t>(node - 1)].empty()) {
      throw FatalError("Attribute file \"" + context.attributes->source +
                           "\": " + node_name(context, node) + " has no value of \"" + name +
                           "\" (no row, an empty cell or NA); the term \"" +
                           arguments.call().written + "\" needs a value of every node.",
                       {context.attributes->source});
    }
  }
  return *column;
}

std::vector<double> numbers_of(const TermArguments& arguments, const AttributeColumn& column,
                               const TermContext& context, std::string_view argument) {
  std::vector<double> values;
  for (int i = 0; i < context.node_count; ++i) {
    const auto v = plain_number(column.value[std::size_t(i)]);
    if (!v) {
      arguments.fail(argument, "the value \"" + column.value[std::size_t(i)] + "\" of " +
                                   node_name(context, i + 1) + " is not a number");
    }
    values.push_back(*v);
  }
  return values;
}

Levels levels_of(const AttributeColumn& column, int n) {
  Levels levels;
  bool numeric = true;
  for (int i = 0; i < n; ++i)
    numeric = numeric && plain_number(column.value[std::size_t(i)]).has_value();
  if (numeric) {
    std::map<double, int> index;
    for (int i = 0; i < n; ++i) index.emplace(*plain_number(column.value[std::size_t(i)]), 0);
    for (auto& [value, k] : index) {
      k = levels.count();
      levels.names.push_back(r_number_text(value));
    }
    for (int i = 0; i < n; ++i) {
      levels.of_node.push_back(index[*plain_number(column.value[std::size_t(i)])]);
    }
  } else {
    std::map<std::string, int> index;
    for (int i = 0; i < n; ++i) index.emplace(column.value[std::size_t(i)], 0);
    for (auto& [value, k] : index) {
      k = levels.count();
      levels.names.push_back(value);
    }
    for (int i = 0; i < n; ++i) levels.of_node.push_back(index[column.value[std::size_t(i)]]);
  }
  return levels;
}

namespace {

// The position of a value in quotes among the names (a number written bare is a position).
int position_of_value(const TermArguments& arguments, std::string_view argument,
                      const std::vector<std::string>& names, const ArgumentValue& value) {
  const auto at = std::find(names.begin(), names.end(), value.text);
  if (at == names.end()) arguments.fail(argument, "no level \"" + value.text + "\"");
  return static_cast<int>(at - names.begin());
}

}  // namespace

std::vector<int> kept_positions(const TermArguments& arguments, std::string_view argument,
                                const std::vector<std::string>& names, bool drop_first) {
  const int count = static_cast<int>(names.size());
  std::vector<int> all;
  for (int k = 0; k < count; ++k) all.push_back(k);
  const ArgumentValue* value = arguments.find(argument);
  if (value == nullptr) {
    if (drop_first && !all.empty()) all.erase(all.begin());
    return all;
  }
  switch (value->kind) {
    case ArgumentValue::Kind::logical:
      if (value->logical) return all;
      arguments.fail(argument, "FALSE keeps no level; give TRUE, positions or values");
    case ArgumentValue::Kind::word:
      if (value->text == "NULL") return all;  // R's NULL: every level
      return {position_of_value(arguments, argument, names, *value)};
    case ArgumentValue::Kind::text:
      return {position_of_value(arguments, argument, names, *value)};
    case ArgumentValue::Kind::list: {
      std::vector<int> positions;
      for (const ArgumentValue& item : value->items) {
        if (item.kind != ArgumentValue::Kind::text) {
          arguments.fail(argument, "give positions, or values in quotes (\"" + item.written +
                                       "\" is neither)");
        }
        positions.push_back(position_of_value(arguments, argument, names, item));
      }
      return positions;
    }
    case ArgumentValue::Kind::formula:
      arguments.fail(argument, "give TRUE, positions or values, not a formula");
    case ArgumentValue::Kind::numbers:
      break;
  }
  const bool negative = value->numbers.front() < 0;
  std::vector<int> positions;
  for (double v : value->numbers) {
    const double p = std::fabs(v);
    if ((v < 0) != negative || std::floor(p) != p || p < 1 || p > count) {
      arguments.fail(argument, "give positions 1 to " + std::to_string(count) +
                                   ", all positive (kept) or all negative (left out)");
    }
    positions.push_back(static_cast<int>(p) - 1);
  }
  if (!negative) return positions;
  std::vector<int> kept;
  for (int k : all) {
    if (std::find(positions.begin(), positions.end(), k) == positions.end()) kept.push_back(k);
  }
  return kept;
}

std::vector<int> apply_keep(const TermArguments& arguments, std::vector<int> kept) {
  if (!arguments.given("keep")) return kept;
  if (arguments.given("levels")) arguments.fail("keep", "give levels= alone (keep= is ergm 3's)");
  std::vector<int> chosen;
  for (int k : arguments.whole_numbers("keep", 1)) {
    if (k > static_cast<int>(kept.size())) {
      arguments.fail("keep", "give positions 1 to " + std::to_string(kept.size()));
    }
    chosen.push_back(kept[std::size_t(k - 1)]);
  }
  return chosen;
}

std::vector<int> kept_by_base(const TermArguments& arguments, std::string_view argument,
                              const std::vector<std::string>& names) {
  if (arguments.given(argument) || !arguments.given("base")) {
    return kept_positions(arguments, argument, names, true);
  }
  const ArgumentValue* base = arguments.find("base");
  if (base->kind == ArgumentValue::Kind::numbers && base->numbers.size() == 1 &&
      base->numbers.front() == 0) {
    return kept_positions(arguments, argument, names, false);
  }
  const std::vector<int> left_out = arguments.whole_numbers("base", 1);
  std::vector<int> kept;
  for (int k = 0; k < static_cast<int>(names.size()); ++k) {
    if (std::find(left_out.begin(), left_out.end(), k + 1) == left_out.end()) kept.push_back(k);
  }
  return kept;
}

std::vector<int> statistic_index(const std::vector<int>& kept, int count) {
  std::vector<int> index(static_cast<std::size_t>(count), -1);
  for (std::size_t s = 0; s < kept.size(); ++s) index[std::size_t(kept[s])] = static_cast<int>(s);
  return index;
}

std::vector<int> kept_codes(const Levels& levels, const std::vector<int>& kept, bool apart) {
  const std::vector<int> index = statistic_index(kept, levels.count());
  std::vector<int> codes;
  for (int level : levels.of_node) {
    const int code = index[std::size_t(level)];
    codes.push_back(code >= 0 ? code : apart ? -1 : static_cast<int>(kept.size()));
  }
  return codes;
}

std::vector<std::string> kept_names(const Levels& levels, const std::vector<int>& kept) {
  std::vector<std::string> names;
  for (int k : kept) names.push_back(levels.names[std::size_t(k)]);
  return names;
}

}  // namespace tarn
