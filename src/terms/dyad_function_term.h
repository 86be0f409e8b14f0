#pragma once
// A dyad-independent term whose change statistic at (i, j) is a function of the dyad alone,
// added into its statistics: the factor, covariate, mixing, difference and node-effect terms.
// Undirected, the function is asked with either order of the two nodes and must not care.

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "terms/term.h"

namespace tarn {

class DyadFunctionTerm final : public DyadIndependentTerm<DyadFunctionTerm> {
 public:
  // Adds the change of the dyad (i, j) into out (zeroed before).
  using Change = std::function<void(int i, int j, double* out)>;
  // `form`: the classes of the nodes whose values the function reads, so that f(i, j) depends on
  // the classes of i and j alone (and, with a match key, on whether they are equal); or, with
  // `pair_valued`, the dyads where f is not 0 (form.touched), f being 0 at every other dyad.
  DyadFunctionTerm(std::string text, std::vector<std::string> names, Change change,
                   std::optional<NodeClassForm> form, bool pair_valued = false)
      : DyadIndependentTerm(std::move(text), std::move(names)),
        change_(std::move(change)),
        form_(std::move(form)),
        pair_valued_(pair_valued) {}
  void add_change(const TermGraph&, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    change_(i, j, out);
  }
  std::optional<NodeClassForm> node_class_form() const override { return form_; }
  DegreeFunction degree_function() const override { return degrees_; }
  // Its statistics are a function of these degrees (a change that reads only one end's class,
  // or the same at every dyad); set when it is made.
  void set_degree_function(DegreeFunction degrees) { degrees_ = degrees; }
  void untouched_change(int i, int j, bool, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (!pair_valued_) change_(i, j, out);
  }

 private:
  Change change_;
  std::optional<NodeClassForm> form_;
  bool pair_valued_;
  DegreeFunction degrees_;
};

// The class of each node by its value: the rank of the value among the distinct values.
inline NodeClassForm classes_of_values(const std::vector<double>& values) {
  std::vector<double> distinct = values;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  NodeClassForm form;
  for (double v : values) {
    form.node_class.push_back(
        static_cast<int>(std::lower_bound(distinct.begin(), distinct.end(), v) - distinct.begin()));
  }
  return form;
}

// The class of each node by a code (its level; -1 and other negative codes are classes too).
inline NodeClassForm classes_of_codes(const std::vector<int>& codes) {
  NodeClassForm form;
  const int least = codes.empty() ? 0 : *std::min_element(codes.begin(), codes.end());
  for (int code : codes) form.node_class.push_back(code - std::min(least, 0));
  return form;
}

// Every node a class of its own (a node-effect term: sender, receiver, sociality).
inline NodeClassForm classes_of_nodes(int node_count) {
  NodeClassForm form;
  for (int i = 0; i < node_count; ++i) form.node_class.push_back(i);
  return form;
}

// One statistic per node, the links at it (sender, receiver and sociality terms, one- and
// two-mode): index[node - 1] is its statistic, or -1; `ends` says which end of a link i->j counts
// (0 the receiver j, 1 the sender i, 2 both); with codes, only links between nodes of one code.
TermPointer node_link_counts(std::string text, std::vector<std::string> names,
                             std::vector<int> index, std::vector<int> codes, int ends);

}  // namespace tarn
