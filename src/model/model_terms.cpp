#include "model/model_terms.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "network/delimited_text.h"
#include "network/letter_case.h"

namespace tarn {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

ConfigurationType type_of_term(std::string_view word, std::string_view term) {
  if (const auto n = whole_number(word)) {
    if (*n >= 1 && *n <= type_count) return *type_of_number(static_cast<int>(*n));
    throw ModelError("term \"" + std::string(term) + "\": there is no configuration type " +
                     std::to_string(*n) + " (1 to 16)");
  }
  if (const auto type = type_of_name(lower_case(word))) return *type;
  throw ModelError("term \"" + std::string(term) + "\": unknown configuration type \"" +
                   std::string(word) + "\"; did you mean " + nearest_type_names(word) + "?");
}

}  // namespace

std::string term_text(const Parameter& parameter) {
  std::string text(short_name(parameter.type));
  if (parameter.block_type != 0) text += "@" + std::to_string(parameter.block_type);
  return text;
}

std::string nearest_type_names(std::string_view word) {
  const std::string key = lower_case(word);
  std::vector<std::pair<std::size_t, std::string_view>> ranked;
  for (int t = 1; t <= type_count; ++t) {
    const std::string_view name = short_name(static_cast<ConfigurationType>(t));
    // A name that begins with the word is as near as a name one edit away.
    const std::size_t distance =
        name.substr(0, key.size()) == key && !key.empty() ? 1 : edit_distance(key, name);
    ranked.emplace_back(distance, name);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string list;
  for (std::size_t k = 0; k < 3 && k < ranked.size(); ++k) {
    if (k > 0) list += k == 2 ? " or " : ", ";
    list += std::string(ranked[k].second);
  }
  return list;
}

ModelDescription parse_model_terms(std::string_view list, std::optional<int> block_type_count) {
  ModelDescription globals, blocks, in_order;
  const bool one_block_type = block_type_count && *block_type_count == 1;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const std::string_view term =
        trimmed(list.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (term.empty()) {
      throw ModelError(list.find_first_not_of(" ,") == std::string_view::npos
                           ? "the model has no terms"
                           : "an empty term in \"" + std::string(list) + "\"");
    }
    const std::size_t at = term.find('@');
    const ConfigurationType type = type_of_term(trimmed(term.substr(0, at)), term);
    if (at == std::string_view::npos) {
      globals.push_back({type, {}});
      in_order.push_back({type, {}});
    } else {
      const std::string_view which = trimmed(term.substr(at + 1));
      const std::string what = "term \"" + std::string(term) + "\"";
      if (!block_type_count) {
        throw ModelError(what + ": block parameters need a blocking (--attributes and --block-by)");
      }
      if (number(type) > last_block_type) {
        throw ModelError(what + ": type 16, the covariate, has no block parameters");
      }
      std::vector<int> chosen;
      if (which == "*") {
        for (int b = 1; b <= *block_type_count; ++b) chosen.push_back(b);
        if (chosen.empty()) throw ModelError(what + ": the block structure has no block types");
      } else {
        if (*block_type_count == 0) {
          throw ModelError(what + ": the block structure has no block types");
        }
        const auto b = whole_number(which);
        if (!b || *b < 1 || *b > *block_type_count) {
          throw ModelError(what + ": the block type must be a number from 1 to " +
                           std::to_string(*block_type_count) + ", or *");
        }
        chosen.push_back(static_cast<int>(*b));
      }
      if (one_block_type) {
        for (int b : chosen) in_order.push_back({type, {b}});
      } else if (!blocks.empty() && blocks.back().type == type) {
        auto& group = blocks.back().block_types;
        group.insert(group.end(), chosen.begin(), chosen.end());
      } else {
        blocks.push_back({type, chosen});
      }
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (one_block_type) return in_order;
  globals.insert(globals.end(), blocks.begin(), blocks.end());
  return globals;
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace tarn
