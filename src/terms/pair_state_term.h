#pragma once
// A term of a directed network whose change statistic at (i, j) reads the dyad and its reverse
// link j->i only: mutual and asymmetric by attribute, dyadcov. Not dyad-independent (the reverse
// link is part of the network), but its form by node classes is known: a dyad that no link
// touches changes as the untouched function says.

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "terms/term.h"

namespace tarn {

class PairStateTerm final : public Term {
 public:
  // Adds the change of the dyad (i, j) into out (zeroed before), `reverse` the link j->i.
  using Change = std::function<void(int i, int j, bool reverse, double* out)>;
  // Adds the change of an untouched dyad of representatives i and j, `matched` the equality of
  // their match keys (see NodeClassForm).
  using Untouched = std::function<void(int i, int j, bool matched, double* out)>;
  PairStateTerm(std::string text, std::vector<std::string> names, Change change, NodeClassForm form,
                Untouched untouched)
      : Term(std::move(text), std::move(names)),
        change_(std::move(change)),
        form_(std::move(form)),
        untouched_(std::move(untouched)) {}

  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    change_(i, j, g.has_link(j, i), out);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // The links added one at a time in the order of link_list (senders ascending): the reverse of
  // a->b is in place when b < a.
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    for (const auto& [a, b] : g.link_list()) change_(a, b, b < a && g.has_link(b, a), out);
  }
  std::optional<NodeClassForm> node_class_form() const override { return form_; }
  void untouched_change(int i, int j, bool matched, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    untouched_(i, j, matched, out);
  }

 private:
  Change change_;
  NodeClassForm form_;
  Untouched untouched_;
};

}  // namespace tarn
