#include "model/model_terms.h"

#include <algorithm>

#include "numeric/letter_case.h"
#include "numeric/number_text.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

// The configuration type a call names by number or short name, if it is one.
std::optional<ConfigurationType> type_of_call(const TermCall& call) {
  if (!call.arguments.empty()) return std::nullopt;
  if (const auto n = whole_number(call.name)) {
    if (*n >= 1 && *n <= type_count) return type_of_number(static_cast<int>(*n));
    return std::nullopt;
  }
  return type_of_name(lower_case(call.name));
}

}  // namespace

std::string term_text(const Parameter& parameter) {
  std::string text(short_name(parameter.type));
  if (parameter.block_type != 0) text += "@" + std::to_string(parameter.block_type);
  return text;
}

std::optional<ModelDescription> classic_description(const std::vector<TermCall>& calls,
                                                    std::optional<int> block_type_count) {
  for (const TermCall& call : calls) {
    if (!type_of_call(call)) return std::nullopt;
  }
  ModelDescription globals, blocks, in_order;
  const bool one_block_type = block_type_count && *block_type_count == 1;
  for (const TermCall& call : calls) {
    const ConfigurationType type = *type_of_call(call);
    if (!call.block) {
      globals.push_back({type, {}});
      in_order.push_back({type, {}});
      continue;
    }
    const std::string& which = *call.block;
    const std::string what = "term \"" + call.written + "\"";
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
  if (one_block_type) return in_order;
  globals.insert(globals.end(), blocks.begin(), blocks.end());
  return globals;
}

ModelDescription parse_model_terms(std::string_view list, std::optional<int> block_type_count) {
  const std::vector<TermCall> calls = parse_formula(list);
  if (auto description = classic_description(calls, block_type_count)) return *description;
  for (const TermCall& call : calls) {
    if (type_of_call(call)) continue;
    const std::string what = "term \"" + call.written + "\": ";
    if (const auto n = whole_number(call.name)) {
      throw ModelError(what + "there is no configuration type " + std::to_string(*n) +
                       " (1 to 16)");
    }
    throw ModelError(what + "unknown configuration type \"" + call.name + "\"; did you mean " +
                     nearest_term_names(call.name, true) + "?");
  }
  return {};
}

}  // namespace tarn
