#pragma once
// One term of a valued model (ergm's valued terms, as ergm.count and ergm define them): the
// statistics it adds and their change when one dyad's value moves.
//
// The change of the dyad (i, j) to the value `to` is s(y with y_ij = to) - s(y), y_ij being what
// the graph holds. The statistics of a network are those of the empty network (every dyad 0)
// plus the changes of setting its non-zero dyads one by one, as ergm computes them.

#include <memory>
#include <string>
#include <vector>

#include "terms/valued_graph.h"

namespace tarn {

class ValuedTerm {
 public:
  virtual ~ValuedTerm() = default;

  const std::string& text() const { return text_; }
  const std::vector<std::string>& statistic_names() const { return names_; }
  int statistic_count() const { return static_cast<int>(names_.size()); }

  // True when a dyad's change does not depend on the other dyads' values.
  virtual bool dyad_independent() const = 0;
  // out[s] += the change of statistic s when the dyad (i, j) moves to `to`.
  virtual void add_change(const ValuedGraph& g, int i, int j, int to, double* out) const = 0;
  // out[s] = statistic s of the network whose every dyad is 0.
  virtual void empty_statistics(const ValuedGraph& g, double* out) const;

 protected:
  ValuedTerm(std::string text, std::vector<std::string> names)
      : text_(std::move(text)), names_(std::move(names)) {}

 private:
  std::string text_;
  std::vector<std::string> names_;
};

using ValuedTermPointer = std::shared_ptr<const ValuedTerm>;

// A dyad-independent term: a sum over the dyads of f_ij(y_ij), f_ij(0) = 0 unless
// empty_statistics says otherwise (then f_ij(0) is that over the dyads).
class DyadSumTerm : public ValuedTerm {
 public:
  bool dyad_independent() const override { return true; }
  // out[s] = f_ij(value) for statistic s (the dyad's share of the statistic).
  virtual void dyad_statistics(int i, int j, int value, double* out) const = 0;
  void add_change(const ValuedGraph& g, int i, int j, int to, double* out) const override;

 protected:
  using ValuedTerm::ValuedTerm;
};

}  // namespace tarn
