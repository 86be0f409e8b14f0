#include "mple/pair_layout.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

#include "network/usage_error.h"

namespace tarn {

std::uint64_t pair_key(int a, int b) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
         static_cast<std::uint32_t>(b);
}

std::vector<int> refine(const std::vector<int>& classes, const std::vector<int>& values,
                        int& count) {
  std::unordered_map<std::uint64_t, int> id;
  std::vector<int> refined(classes.size());
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const auto [at, added] =
        id.emplace(pair_key(classes[i], values[i]), static_cast<int>(id.size()));
    refined[i] = at->second;
  }
  count = static_cast<int>(id.size());
  return refined;
}

Forms forms_of(const Model& model, FormsOf which) {
  Forms forms;
  for (const TermPointer& term : model.terms) {
    if (which == FormsOf::dyad_independent_terms && !term->dyad_independent()) {
      forms.of_term.emplace_back();
      continue;
    }
    std::optional<NodeClassForm> form = term->node_class_form();
    if (!form) {
      if (forms.without == nullptr) forms.without = term.get();
      forms.of_term.emplace_back();
      continue;
    }
    forms.of_term.push_back(std::move(*form));
  }
  return forms;
}

NodeClasses node_classes(const Forms& forms, int n) {
  NodeClasses classes;
  classes.of_node.assign(static_cast<std::size_t>(n), 0);
  for (const NodeClassForm& form : forms.of_term) {
    if (!form.node_class.empty()) {
      classes.of_node = refine(classes.of_node, form.node_class, classes.count);
    }
  }
  classes.size.assign(static_cast<std::size_t>(classes.count), 0);
  classes.representative.assign(static_cast<std::size_t>(classes.count), 0);
  for (int i = n; i >= 1; --i) {
    const auto c = static_cast<std::size_t>(classes.of_node[static_cast<std::size_t>(i - 1)]);
    ++classes.size[c];
    classes.representative[c] = i;  // the lowest node of the class
  }
  return classes;
}

MatchKeys match_keys(const Forms& forms) {
  MatchKeys match;
  for (const NodeClassForm& form : forms.of_term) {
    int index = -1;
    if (!form.match_key.empty()) {
      for (std::size_t k = 0; k < match.keys.size(); ++k) {
        if (*match.keys[k] == form.match_key) index = static_cast<int>(k);
      }
      if (index < 0) {
        index = match.count();
        match.keys.push_back(&form.match_key);
      }
    }
    match.of_term.push_back(index);
  }
  return match;
}

PairLayout pair_layout(const Study& study, FormsOf which) {
  PairLayout layout;
  layout.forms = forms_of(study.model, which);
  if (layout.forms.without != nullptr) {
    throw UsageError(layout.forms.without->text() + " has no form by classes of nodes");
  }
  layout.classes = node_classes(layout.forms, study.node_count());
  layout.match = match_keys(layout.forms);
  return layout;
}

std::vector<int> groups_by_keys(const MatchKeys& match, std::int64_t pattern, int n, int& groups) {
  std::vector<int> group(static_cast<std::size_t>(n), 0);
  groups = 1;
  for (int k = 0; k < match.count(); ++k) {
    if ((pattern >> k) & 1) group = refine(group, *match.keys[static_cast<std::size_t>(k)], groups);
  }
  return group;
}

std::vector<double> untouched_changes(const Model& model, const MatchKeys& match, int i, int j,
                                      std::int64_t pattern, FormsOf which) {
  std::vector<double> x(static_cast<std::size_t>(model.parameter_count()), 0.0);
  int offset = 0;
  for (std::size_t t = 0; t < model.terms.size(); ++t) {
    const Term& term = *model.terms[t];
    if (which == FormsOf::every_term || term.dyad_independent()) {
      const int k = match.of_term[t];
      term.untouched_change(i, j, k >= 0 && ((pattern >> k) & 1), x.data() + offset);
    }
    offset += term.statistic_count();
  }
  return x;
}

ClassPairTable::ClassPairTable(const NodeClasses& classes, const MatchKeys& match, int n)
    : classes_(classes),
      match_(match),
      k2_(std::int64_t{classes.count} * classes.count),
      patterns_(std::int64_t{1} << match.count()) {
  if (match.count() > most_match_keys || k2_ * patterns_ > largest_class_table) {
    throw UsageError(
        "the model's terms divide the " + std::to_string(n) + " nodes into " +
        std::to_string(classes.count) + " classes by their attribute values" +
        (match.count() > 0 ? " and compare " + std::to_string(match.count()) + " attributes"
                           : std::string()) +
        ": too many for the table of their pairs that the pseudo-likelihood of a network of "
        "this size needs (numeric attributes with many distinct values in nodecov, nodeicov, "
        "nodeocov or absdiff are the usual cause)");
  }
  table_.assign(static_cast<std::size_t>(k2_ * patterns_), 0);
  count_all_pairs();
  for (std::int64_t s = 1; s < patterns_; ++s) count_agreeing_pairs(s, n);
  to_exact_patterns();
}

std::int64_t agreement_pattern(const MatchKeys& match, int i, int j) {
  std::int64_t p = 0;
  for (int k = 0; k < match.count(); ++k) {
    const std::vector<int>& key = *match.keys[static_cast<std::size_t>(k)];
    if (key[static_cast<std::size_t>(i - 1)] == key[static_cast<std::size_t>(j - 1)])
      p |= std::int64_t{1} << k;
  }
  return p;
}

void ClassPairTable::count_all_pairs() {
  for (int c1 = 0; c1 < classes_.count; ++c1) {
    for (int c2 = 0; c2 < classes_.count; ++c2) {
      const std::int64_t s1 = classes_.size[static_cast<std::size_t>(c1)];
      cell(0, c1, c2) = s1 * classes_.size[static_cast<std::size_t>(c2)] - (c1 == c2 ? s1 : 0);
    }
  }
}

// The pairs that agree at least on the keys in s: the nodes grouped by those keys, and counted by
// class within each group.
void ClassPairTable::count_agreeing_pairs(std::int64_t s, int n) {
  int groups = 1;
  const std::vector<int> group = groups_by_keys(match_, s, n, groups);
  std::vector<std::uint64_t> members(static_cast<std::size_t>(n));
  for (std::size_t i = 0; i < members.size(); ++i) {
    members[i] = pair_key(group[i], classes_.of_node[i]);
  }
  std::sort(members.begin(), members.end());
  std::vector<std::pair<int, std::int64_t>> in_group;  // (class, count)
  for (std::size_t a = 0; a < members.size();) {
    const std::uint64_t g = members[a] >> 32;
    in_group.clear();
    while (a < members.size() && (members[a] >> 32) == g) {
      const auto c = static_cast<int>(members[a] & 0xffffffffu);
      std::int64_t count = 0;
      while (a < members.size() && members[a] == pair_key(static_cast<int>(g), c)) ++a, ++count;
      in_group.emplace_back(c, count);
    }
    for (const auto& [c1, n1] : in_group) {
      for (const auto& [c2, n2] : in_group) cell(s, c1, c2) += n1 * n2;
    }
  }
  for (int c = 0; c < classes_.count; ++c) cell(s, c, c) -= classes_.size[std::size_t(c)];
}

// From "agree at least on S" to "agree exactly on S".
void ClassPairTable::to_exact_patterns() {
  for (int k = 0; k < match_.count(); ++k) {
    const std::int64_t bit = std::int64_t{1} << k;
    for (std::int64_t s = 0; s < patterns_; ++s) {
      if (s & bit) continue;
      for (std::int64_t e = 0; e < k2_; ++e) {
        table_[static_cast<std::size_t>(s * k2_ + e)] -=
            table_[static_cast<std::size_t>((s | bit) * k2_ + e)];
      }
    }
  }
}

}  // namespace tarn
