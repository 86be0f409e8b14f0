#pragma once
// Exact draws of the statistics of a model whose terms all have a form by node classes (edges,
// mutual and the attribute terms without a dyadic covariate: mple/dyad_classes.h): the pairs of
// nodes are independent, and the pairs of one class (the classes of their two nodes and the keys
// on which they agree) alike, so the numbers of null, one-way and mutual pairs of a class are
// multinomial and a draw of the statistics costs one multinomial per class, not one step per
// dyad. The mean and covariance of the statistics follow in closed form.

#include <cstdint>
#include <vector>

#include "mple/dyad_classes.h"
#include "model/study.h"
#include "numeric/matrix.h"
#include "simulate/random_stream.h"

namespace tarn {

// True when `study` takes exact draws: its model has them and its network has more than
// `chains_up_to` nodes. Networks within the dialogue's capacity (max_nodes) keep the chains they
// always walked, so that their results stay as they were.
bool draws_exactly(const Study& study, int chains_up_to);

class DyadClassDraws {
 public:
  // True when the study's model has the form (pair_classes_apply).
  static bool apply(const Study& study);
  explicit DyadClassDraws(const Study& study);

  int statistic_count() const { return statistics_; }
  // The statistics of one network drawn from the model at `eta`, and its links.
  Vector draw(const Vector& eta, RandomStream& random, std::int64_t* links = nullptr) const;
  // Their exact mean and covariance at `eta`.
  Vector mean(const Vector& eta) const;
  Matrix covariance(const Vector& eta) const;
  // The number of classes of pairs.
  std::size_t classes() const { return classes_.size(); }

 private:
  // A class's states (directed: i->j, j->i, both; undirected: the edge; the null state, of
  // statistics 0, last), their statistics [state][statistic], and its number of pairs.
  struct StateClass {
    std::vector<Vector> statistics;
    std::int64_t pairs = 0;
  };
  std::vector<double> probabilities(const StateClass& c, const Vector& eta) const;

  int statistics_ = 0;
  std::vector<int> state_links_;  // links of each state, the null state's 0 last
  std::vector<StateClass> classes_;
};

}  // namespace tarn
