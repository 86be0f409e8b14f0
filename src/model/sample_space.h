#pragma once
// The networks a model is fitted and simulated over when not every network is possible (ergm's
// `constraints = ~ ...`): which dyads may vary, every other dyad keeping its observed value
// (blockdiag, fixallbut, fixedas), bounds on the degrees that every network keeps (bd), a fixed
// link count (edges) or fixed degrees (degrees, odegrees, idegrees). Built once from the
// constraint text and the observed network; the sampler's proposals and the pseudo-likelihood
// read it. A study without constraints has none (a null pointer), and runs as before.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/model.h"
#include "network/node_covariates.h"
#include "network/node_labels.h"
#include "terms/term_graph.h"

namespace tarn {

// Degree bounds of bd(); -1: no bound. Undirected: maxout and minout bound the degree.
struct DegreeBounds {
  int maxout = -1, maxin = -1, minout = -1, minin = -1;
  bool any() const { return maxout >= 0 || maxin >= 0 || minout >= 0 || minin >= 0; }
};

class SampleSpace {
 public:
  std::string text;                // the constraints as given
  std::vector<std::string> names;  // each constraint's name, in order

  // The space was made from the missing dyads alone (observed_dyads_space), no --constraints.
  bool missing_only() const { return text.empty() && bipartite_ == 0; }
  // A two-mode network's: nodes 1..bipartite() the first mode, only dyads between the modes
  // vary (0: one mode).
  int bipartite() const { return bipartite_; }
  // Some dyads are fixed at their observed values (those within a mode of a two-mode network
  // are always no link).
  bool restricts_dyads() const { return !free_.empty() || bipartite_ > 0; }
  // The dyad (i, j) may vary (undirected: either order); every dyad without dyad constraints.
  bool free(int i, int j) const {
    if (bipartite_ > 0 && (i <= bipartite_) == (j <= bipartite_)) return false;
    if (free_.empty()) return true;
    return free_[static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n_) +
                 static_cast<std::size_t>(j - 1)] != 0;
  }
  // The free dyads, (i, j) with i < j when undirected (none without dyad constraints), by
  // index 0..free_dyad_count()-1. A two-mode network's alone are computed, not listed: 10^5 x
  // 10^4 nodes have 10^9 of them.
  std::int64_t free_dyad_count() const {
    if (computed_two_mode()) return std::int64_t{bipartite_} * (n_ - bipartite_);
    return static_cast<std::int64_t>(free_list_.size());
  }
  std::pair<int, int> free_dyad(std::int64_t k) const {
    if (computed_two_mode()) {
      const std::int64_t second = n_ - bipartite_;
      return {static_cast<int>(k / second) + 1, bipartite_ + 1 + static_cast<int>(k % second)};
    }
    return free_list_[static_cast<std::size_t>(k)];
  }

  const DegreeBounds& bounds() const { return bounds_; }
  // The link count is fixed (the edges constraint): moves swap a link and a non-link.
  bool fixes_link_count() const { return fixed_link_count_; }
  // Every node keeps its observed out-degree (odegrees), in-degree (idegrees) or both (degrees;
  // undirected: both, the degree). Moves then rewire links (simulate/space_proposal.h).
  bool fixes_out_degrees() const { return fixed_out_; }
  bool fixes_in_degrees() const { return fixed_in_; }
  bool fixes_degrees() const { return fixed_out_ || fixed_in_; }
  // The constraint that fixes them, as written: degrees, odegrees or idegrees.
  const char* degrees_fixed() const {
    return fixed_out_ && fixed_in_ ? "degrees" : fixed_out_ ? "odegrees" : "idegrees";
  }
  // Degree bounds, fixed degrees or a fixed link count tie the free dyads to each other: no
  // dyad-independent model is then fitted exactly by its pseudo-likelihood.
  bool dependent_dyads() const { return bounds_.any() || fixed_link_count_ || fixes_degrees(); }
  // Toggling (i, j) in `graph` keeps every degree within the bounds.
  bool keeps_bounds(const TermGraph& graph, int i, int j, bool adding) const;

 private:
  friend SampleSpace build_sample_space(std::string_view, const TermGraph&, const NodeCovariates&,
                                        const NodeLabels*, const std::vector<std::pair<int, int>>*);
  friend SampleSpace missing_dyads_space(const SampleSpace*, int, bool,
                                         const std::vector<std::pair<int, int>>&);
  friend SampleSpace observed_dyads_space(const SampleSpace*, int, bool,
                                          const std::vector<std::pair<int, int>>&);
  friend SampleSpace two_mode_space(int, int);
  // The constraints' space (none: every dyad) on `node_count` nodes, to restrict further.
  static SampleSpace over(const SampleSpace* constraints, int node_count, bool directed);
  void list_free_dyads();
  bool computed_two_mode() const { return bipartite_ > 0 && free_.empty(); }
  int n_ = 0;
  bool directed_ = true;
  int bipartite_ = 0;
  std::vector<unsigned char> free_;  // n * n, both orders set when undirected
  std::vector<std::pair<int, int>> free_list_;
  DegreeBounds bounds_;
  bool fixed_link_count_ = false;
  bool fixed_out_ = false, fixed_in_ = false;
};

// Throws UsageError naming the term and the constraint when a statistic of `model` is constant
// over the space, so that no coefficient can be estimated for it: a dyad-independent statistic
// whose change is the same for every free dyad while the link count is fixed (edges under the
// edges constraint), or a term whose statistics are a function of the degrees the space fixes
// (Term::degree_function: kstar(2) under degrees, ostar(2) under odegrees).
void refuse_constant_terms(const Model& model, const TermGraph& graph, const SampleSpace& space);

// The space of a two-mode network of `node_count` nodes, 1..first_mode the first mode: the
// dyads between the modes, without a table of every dyad (their list is the free dyads).
SampleSpace two_mode_space(int node_count, int first_mode);

// The dyads of `constraints` (null: every dyad) that are observed: the missing dyads (sorted;
// undirected i < j) are not free. Its text is that of the constraints (empty without).
SampleSpace observed_dyads_space(const SampleSpace* constraints, int node_count, bool directed,
                                 const std::vector<std::pair<int, int>>& missing);

// The missing dyads (sorted; undirected i < j) that `constraints` (null: none) leave free: the
// space of the networks that agree with the observed one on every observed dyad.
SampleSpace missing_dyads_space(const SampleSpace* constraints, int node_count, bool directed,
                                const std::vector<std::pair<int, int>>& missing);

// The study whose space is that of `study` without its missing dyads (the pseudo-likelihood's
// dyads); the study itself when every dyad is observed.
struct Study;
Study observed_dyads_study(const Study& study);
// The study whose space is the missing dyads of `study` alone (its draws are the observed network
// completed); `study` must have some.
Study missing_dyads_study(const Study& study);

// The space of `text` ("bd(maxout=5) + blockdiag(\"school\")", no '~') on the observed `graph`
// with the node attributes `covariates`; `labels` (null: numbers) name the nodes in messages and
// in the files of fixallbut and fixedas, which give a dyad a line, two nodes. Throws UsageError
// naming --constraints and the offending text: a constraint not offered, a bad argument, a file
// that cannot be read, an observed network outside the space (a degree past a bound, a link across
// blocks).
// `missing`: the network's missing dyads, which the constraint observed leaves free and no other.
SampleSpace build_sample_space(std::string_view text, const TermGraph& graph,
                               const NodeCovariates& covariates, const NodeLabels* labels = nullptr,
                               const std::vector<std::pair<int, int>>* missing = nullptr);

}  // namespace tarn
