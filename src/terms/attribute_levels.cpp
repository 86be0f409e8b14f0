#include "terms/attribute_levels.h"

#include <map>

#include "network/fatal_error.h"

namespace tarn {

// The attribute a term names, every node with a value.
const AttributeColumn& attribute_of(const TermArguments& arguments, const TermContext& context) {
  const std::string name = arguments.text("attr");
  if (context.attributes == nullptr) {
    arguments.fail("attr", "the attribute \"" + name + "\" needs an attribute file (--attributes)");
  }
  const AttributeColumn* column = context.attributes->find(name);
  if (column == nullptr) {
    std::string known;
    for (const AttributeColumn& c : context.attributes->columns) {
      known += (known.empty() ? "" : ", ") + c.name;
    }
    arguments.fail("attr", "no attribute \"" + name + "\" in " + context.attributes->source +
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

}  // namespace tarn
