// Terms of the state of a pair i, j of a directed network (no link, one, or both), with ergm's
// names and definitions:
//   mutual(same=attr)   reciprocated pairs whose two nodes are of one kept level (diff=TRUE: one
//                       statistic per level), mutual.group or mutual.same.group.2
//   mutual(by=attr)     each node counted once for each reciprocated pair it is in, by its level:
//                       mutual.by.group.2 (their sum is twice mutual)
//   asymmetric(attr)    pairs with exactly one link (with attr: of matching nodes; diff=TRUE: by
//                       level), asymmetric, asymmetric.group, asymmetric.group.2
// mutual without arguments is the configuration type (classic_terms.cpp).

#include <algorithm>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/level_match.h"
#include "terms/pair_state_term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

TermPointer make_mutual_by(const TermArguments& arguments, const TermContext& context) {
  if (arguments.given("diff")) arguments.fail("diff", "diff= goes with same=, not by=");
  const AttributeMatch m =
      attribute_match(arguments, context, "by", "mutual.by", "mutual.by", true);
  const LevelMatch match = m.match;
  NodeClassForm form;
  for (int node = 1; node <= context.node_count; ++node) {
    form.node_class.push_back(match.statistic_of_match(node) + 1);
  }
  return std::make_shared<PairStateTerm>(
      "mutual(by=\"" + m.attribute + "\"" + m.options + ")", m.names,
      [match](int i, int j, bool reverse, double* out) {
        if (!reverse) return;
        for (const int node : {i, j}) {
          if (const int s = match.statistic_of_match(node); s >= 0) out[s] += 1.0;
        }
      },
      std::move(form), [](int, int, bool, double*) {});
}

TermPointer make_mutual_same(const TermArguments& arguments, const TermContext& context) {
  const AttributeMatch m = attribute_match(arguments, context, "same", "mutual", "mutual.same");
  const LevelMatch match = m.match;
  return std::make_shared<PairStateTerm>(
      "mutual(same=\"" + m.attribute + "\"" + m.options + ")", m.names,
      [match](int i, int j, bool reverse, double* out) {
        if (const int s = match.statistic(i, j); reverse && s >= 0) out[s] += 1.0;
      },
      match.form(), [](int, int, bool, double*) {});
}

TermPointer make_asymmetric(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "diff", "keep", "levels"});
  if (!arguments.given("attr")) {
    for (const char* option : {"diff", "keep", "levels"}) {
      if (arguments.given(option)) arguments.fail(option, "it goes with attr=");
    }
    return std::make_shared<PairStateTerm>(
        "asymmetric", std::vector<std::string>{"asymmetric"},
        [](int, int, bool reverse, double* out) { out[0] += reverse ? -1.0 : 1.0; },
        NodeClassForm{}, [](int, int, bool, double* out) { out[0] = 1.0; });
  }
  const AttributeMatch m = attribute_match(arguments, context, "attr", "asymmetric", "asymmetric");
  const LevelMatch match = m.match;
  const std::string text = "asymmetric(\"" + m.attribute + "\"" + m.options + ")";
  std::vector<std::string> names = m.names;
  return std::make_shared<PairStateTerm>(
      text, std::move(names),
      [match](int i, int j, bool reverse, double* out) {
        if (const int s = match.statistic(i, j); s >= 0) out[s] += reverse ? -1.0 : 1.0;
      },
      match.form(),
      [match](int i, int, bool matched, double* out) {
        if (const int s = match.statistic_of_match(i); matched && s >= 0) out[s] = 1.0;
      });
}

constexpr std::array<TermEntry, 1> entries = {{
    {"asymmetric", "attr, diff=FALSE, keep, levels",
     "pairs with exactly one link (with attr: between nodes of one kept level)", Networks::directed,
     "", make_asymmetric},
}};

}  // namespace

TermPointer make_mutual_by_attribute(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"same", "by", "diff", "keep", "levels"});
  if (arguments.given("same")) {
    if (arguments.given("by")) arguments.fail("by", "give same= or by=, not both");
    return make_mutual_same(arguments, context);
  }
  if (arguments.given("by")) return make_mutual_by(arguments, context);
  for (const char* option : {"diff", "keep", "levels"}) {
    if (arguments.given(option)) arguments.fail(option, "it goes with same= or by=");
  }
  return make_classic_term(ConfigurationType::mutual, 0, context);
}

std::span<const TermEntry> dyad_state_term_entries() {
  return entries;
}

}  // namespace tarn
