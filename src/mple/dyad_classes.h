#pragma once
// The pseudo-likelihood of a network too large for a sweep over every dyad (n(n - 1) of them),
// by classes of dyads: a model whose terms all have a form by node classes (terms/term.h:
// edges, mutual and the attribute terms) gives every dyad that no link touches the change
// statistics of its two nodes' classes and of the equality of their match keys. The dyads the
// links touch (i->j and j->i of every link) and those a dyadic covariate names are asked one by
// one; every other dyad is counted, class pair by class pair, without being visited. The fit is
// then a logistic regression over the distinct rows, each weighted by its number of dyads, with
// the same passes as the sweep (mple/pseudo_likelihood.h): the same estimates up to the order of
// the additions.

#include <cstdint>
#include <vector>

#include "model/study.h"
#include "mple/fit_passes.h"
#include "mple/fit_result.h"

namespace tarn {

// Networks up to this many nodes are fitted by the sweep over the dyads, as they always were.
inline constexpr int dense_fit_nodes = max_nodes;
// Above this many dyads the sweep is refused: it would take hours.
inline constexpr std::int64_t largest_sweep = 1000000000;

// The distinct rows of change statistics with their response and their number of dyads, in
// ascending order of (response, statistics).
struct DyadClassRows {
  int m = 0;
  std::vector<double> x;  // row r at r * m
  std::vector<char> y;
  std::vector<std::int64_t> count;
  std::size_t size() const { return count.size(); }
  const double* row(std::size_t r) const { return x.data() + r * static_cast<std::size_t>(m); }
};

// True when the study is fitted by dyad classes: more than dense_fit_nodes nodes, no self-pairs
// as dyads, and every term has a form by node classes.
bool fits_by_dyad_classes(const Study& study);

// Throws UsageError when the study has more dyads than largest_sweep and cannot be fitted by
// dyad classes, naming the first term without a form.
void check_sweep_size(const Study& study);

// The rows of the study's dyads. Throws UsageError when the node classes are too many for a
// table of their pairs.
DyadClassRows dyad_class_rows(const Study& study);

// The unordered pairs of distinct nodes {i, j}, grouped by the classes of i and j (i's at most
// j's) and the match keys on which they agree, for a model whose terms all have a form by node
// classes: per group, the change statistics of i->j and of j->i where neither is a link, two of
// its nodes, and its number of pairs. The dyads the terms name (`touched`) are not singled out:
// callers check that none is named (pair_classes_apply).
struct PairClass {
  std::vector<double> forward, backward;
  int first = 0, second = 0;  // a node of each class
  std::int64_t pairs = 0;
};
bool pair_classes_apply(const Study& study);
std::vector<PairClass> pair_classes(const Study& study);

// The fit over the rows (start: as fit_pseudo_likelihood_from), and the pseudo-score.
FitResult fit_dyad_class_rows(const Study& study, const DyadClassRows& rows,
                              const FitObserver& observer, const ParamVector* start);
ParamVector score_of_dyad_class_rows(const DyadClassRows& rows, const ParamVector& estimate);

}  // namespace tarn
