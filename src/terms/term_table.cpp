#include "terms/term_table.h"

#include <algorithm>
#include <vector>

#include "numeric/edit_distance.h"
#include "numeric/letter_case.h"
#include "terms/bipartite_mode.h"

namespace tarn {

namespace {

bool fits(const TermEntry& entry, bool directed) {
  return entry.networks == Networks::both || (entry.networks == Networks::directed) == directed;
}

bool all_digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string node_name(const TermContext& context, int node) {
  const std::string number = std::to_string(node);
  if (context.labels == nullptr || context.labels->numbered()) return "node " + number;
  return "\"" + context.labels->name(node) + "\" (node " + number + ")";
}

std::vector<const TermEntry*> term_table() {
  std::vector<const TermEntry*> all;
  for (auto family : {classic_term_entries(),          structural_term_entries(),
                      closure_term_entries(),          triad_term_entries(),
                      threetrail_term_entries(),       geometric_term_entries(),
                      partner_count_term_entries(),    attribute_term_entries(),
                      dyad_state_term_entries(),       difference_term_entries(),
                      node_effect_term_entries(),      mixing_term_entries(),
                      degree_term_entries(),           bipartite_term_entries(),
                      bipartite_match_term_entries(),  bipartite_partner_term_entries(),
                      bipartite_mixing_term_entries(), dyadic_covariate_term_entries(),
                      operator_term_entries(),         valued_dyad_term_entries(),
                      valued_dependent_term_entries()}) {
    for (const TermEntry& entry : family) all.push_back(&entry);
  }
  return all;
}

const TermEntry* find_term_entry(std::string_view name) {
  const std::string lowered = lower_case(name);
  const std::vector<const TermEntry*> all = term_table();
  for (const TermEntry* entry : all) {
    if (entry->name == name) return entry;
  }
  for (const TermEntry* entry : all) {
    if (entry->name == lowered) return entry;
  }
  return nullptr;
}

std::string nearest_term_names(std::string_view word, bool directed) {
  const std::string key = lower_case(word);
  std::vector<std::pair<std::size_t, std::string_view>> ranked;
  for (const TermEntry* entry : term_table()) {
    if (!fits(*entry, directed)) continue;
    const std::string_view name = entry->name;
    // A name that begins with the word, or contains it, is as near as a name one edit away.
    const bool inside = !key.empty() && name.find(key) != std::string_view::npos;
    ranked.emplace_back(inside ? 1 : edit_distance(key, name), name);
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

TermPointer make_term(const TermCall& call, const TermContext& context) {
  if (!call.operands.empty()) return make_interaction(call, context);
  std::string name = call.name;
  if (all_digits(name)) {
    const auto type = name.size() <= 2 ? type_of_number(std::stoi(name)) : std::nullopt;
    if (!type) {
      throw ModelError("term \"" + call.written + "\": there is no configuration type " + name +
                       " (1 to 16)");
    }
    name = std::string(short_name(*type));
  }
  const TermEntry* entry = find_term_entry(name);
  if (entry == nullptr) {
    throw ModelError("term \"" + call.written + "\": unknown term \"" + call.name +
                     "\"; did you mean " + nearest_term_names(call.name, context.directed) +
                     "? (tarnwick fit --help lists the terms)");
  }
  if (!fits(*entry, context.directed)) {
    const std::string kind = context.directed ? "an undirected" : "a directed";
    std::string text = "term \"" + call.written + "\": " + std::string(entry->name) +
                       " is a term of " + kind + " network";
    if (!entry->other_kind.empty()) {
      text += "; on this network use " + std::string(entry->other_kind);
    }
    throw TermOfOtherNetworkKind(text, context.directed);
  }
  if (call.block && !context.directed) {
    throw ModelError("term \"" + call.written +
                     "\": block parameters (@B) are for the sixteen configuration types of a "
                     "directed network; on an undirected network nodematch or nodemix model "
                     "edges by attribute");
  }
  if (call.block) {
    throw ModelError("term \"" + call.written +
                     "\": block parameters (@B) are for the "
                     "sixteen configuration types (tarnwick fit --help lists them)");
  }
  if (entry->make == nullptr) {
    throw ModelError(
        "term \"" + call.written + "\": " + std::string(entry->name) +
        " is a term of valued networks; name the network's column of counts (its response)");
  }
  return entry->make(call, context);
}

ValuedTermPointer make_valued_term(const TermCall& call, const TermContext& context) {
  if (!call.operands.empty() || call.offset || call.block) {
    throw ModelError("term \"" + call.written +
                     "\": a valued model takes neither interactions, offsets nor block "
                     "parameters (@B)");
  }
  const TermEntry* entry = find_term_entry(call.name);
  if (entry == nullptr) {
    throw ModelError("term \"" + call.written + "\": unknown term \"" + call.name +
                     "\"; did you mean " + nearest_term_names(call.name, context.directed) +
                     "? (tarnwick fit --help lists the terms)");
  }
  // An entry of a binary and a valued term says the binary term's kind of network; its valued
  // maker checks its own (form= of a binary term through make_term).
  if (entry->make == nullptr && !fits(*entry, context.directed)) {
    const std::string kind = context.directed ? "an undirected" : "a directed";
    std::string text = "term \"" + call.written + "\": " + std::string(entry->name) +
                       " is a term of " + kind + " network";
    if (!entry->other_kind.empty())
      text += "; on this network use " + std::string(entry->other_kind);
    throw TermOfOtherNetworkKind(text, context.directed);
  }
  if (entry->make_valued == nullptr) {
    throw ModelError("term \"" + call.written + "\": " + std::string(entry->name) +
                     " is a term of binary networks; a model of counts (--response) takes sum, "
                     "nonzero, atleast, mutual(form=), transitiveweights, the node terms with "
                     "form=, ... (tarnwick fit --help lists them)");
  }
  return entry->make_valued(call, context);
}

}  // namespace tarn
