#pragma once
// The classes of nodes and the match keys that a model's terms tell apart (terms/term.h,
// NodeClassForm), and the count of ordered pairs of nodes by class pair and by the keys on which
// they agree: the ground of the pseudo-likelihood by classes of dyads (mple/dyad_classes.h) and of
// the dyad draw weighted by classes (simulate/class_dyad_draw.h).

#include <cstdint>
#include <vector>

#include "model/study.h"

namespace tarn {

// At most this many distinct match keys, and this many entries in the table of class pairs and
// match patterns.
inline constexpr int most_match_keys = 6;
inline constexpr std::int64_t largest_class_table = std::int64_t{1} << 24;

// (a, b) as one 64-bit key, a in the high half.
std::uint64_t pair_key(int a, int b);

// Numbers the distinct pairs (previous class, value) of the nodes 0, 1, 2, ... in order of first
// appearance.
std::vector<int> refine(const std::vector<int>& classes, const std::vector<int>& values,
                        int& count);

// Each term's form; a term left out, or without one, has an empty form.
struct Forms {
  std::vector<NodeClassForm> of_term;
  const Term* without = nullptr;  // the first term asked for without a form
};
// Which terms' forms are asked for.
enum class FormsOf { every_term, dyad_independent_terms };
Forms forms_of(const Model& model, FormsOf which = FormsOf::every_term);

// The classes of the nodes (equal classes for every term), numbered from 0, with their sizes and
// lowest nodes.
struct NodeClasses {
  std::vector<int> of_node;  // by node - 1
  int count = 1;
  std::vector<std::int64_t> size;
  std::vector<int> representative;
};
NodeClasses node_classes(const Forms& forms, int n);

// The distinct match keys, and which of them each term reads (-1: none). The keys point into the
// forms they were found in.
struct MatchKeys {
  std::vector<const std::vector<int>*> keys;
  std::vector<int> of_term;
  int count() const { return static_cast<int>(keys.size()); }
};
MatchKeys match_keys(const Forms& forms);

// The classes of nodes, and the match keys of their pairs, that the model's terms tell apart.
struct PairLayout {
  Forms forms;
  NodeClasses classes;
  MatchKeys match;
};
// Throws UsageError naming the first term asked for that has no form.
PairLayout pair_layout(const Study& study, FormsOf which = FormsOf::every_term);

// The group of each node by the keys in the set `pattern` (bit k: key k): nodes agree on those
// keys exactly when they are of one group. `groups` is set to their number.
std::vector<int> groups_by_keys(const MatchKeys& match, std::int64_t pattern, int n, int& groups);

// The keys on which nodes i and j agree (bit k: key k).
std::int64_t agreement_pattern(const MatchKeys& match, int i, int j);

// The change of every statistic of an untouched i->j whose nodes agree on the keys `pattern`,
// from the terms `which` names (the others' statistics 0).
std::vector<double> untouched_changes(const Model& model, const MatchKeys& match, int i, int j,
                                      std::int64_t pattern, FormsOf which = FormsOf::every_term);

// Ordered pairs of distinct nodes by class pair and by the set of keys on which they agree:
// cell(S, c1, c2). Throws UsageError when the table would be too large.
class ClassPairTable {
 public:
  ClassPairTable(const NodeClasses& classes, const MatchKeys& match, int n);

  std::int64_t patterns() const { return patterns_; }
  std::int64_t& cell(std::int64_t pattern, int c1, int c2) {
    return table_[static_cast<std::size_t>(pattern * k2_ +
                                           static_cast<std::int64_t>(c1) * classes_.count + c2)];
  }
  std::int64_t cell(std::int64_t pattern, int c1, int c2) const {
    return const_cast<ClassPairTable*>(this)->cell(pattern, c1, c2);
  }
  // The keys on which nodes i and j agree.
  std::int64_t pattern_of(int i, int j) const { return agreement_pattern(match_, i, j); }

 private:
  void count_all_pairs();
  void count_agreeing_pairs(std::int64_t s, int n);
  void to_exact_patterns();

  const NodeClasses& classes_;
  const MatchKeys& match_;
  std::int64_t k2_, patterns_;
  std::vector<std::int64_t> table_;
};

}  // namespace tarn
