#pragma once
// One term of a model with its arguments: the statistics it adds, their network statistics and
// their change statistics. Every layer asks a term; none switches on which term it is.
//
// The change statistic of the dyad (i, j) is s(y with i->j) - s(y without i->j), whatever the
// graph holds at (i, j): the fit's regressor of the dyad, and the amount by which a sampler's
// statistics rise when it adds the link (fall when it removes it). Undirected, (i, j) is the
// edge {i, j}.

#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "terms/configuration_type.h"
#include "terms/term_graph.h"

namespace tarn {

// A model that cannot be built as written: an unknown term, a wrong argument, a broken limit.
class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A term of the other kind of network than the one read; the message names the term to use
// instead. `of_undirected`: the term is one of an undirected network, given on a directed one,
// which may be an undirected network read as directed.
class TermOfOtherNetworkKind : public ModelError {
 public:
  TermOfOtherNetworkKind(const std::string& message, bool of_undirected)
      : ModelError(message), of_undirected(of_undirected) {}
  bool of_undirected;
};

// What decides whether a statistic is the change of a count of the network (network
// distribution): which dyads are the model's, and what else the graph holds.
struct DyadSpace {
  bool include_diagonal = false;  // the self-pairs (i, i) are dyads
  bool fixed_self_links = false;  // self-links that are not dyads stay in the graph
  bool symmetric_blocks = true;   // every pair of blocks has one block type both ways
};

// One of the sixteen configuration types, as a parameter: its type, and its block type (0: all
// dyads). The pseudo-likelihood sweep computes these with a fused kernel.
struct ClassicParameter {
  ConfigurationType type = ConfigurationType::edges;
  int block_type = 0;
};

// How the change statistic of a dyad depends on its two nodes, for the pseudo-likelihood of a
// network too large for a sweep over every dyad (mple/dyad_classes.h). A term that gives one has,
// at every dyad (i, j) that is not touched (neither i->j nor j->i is a link, and (i, j) is not
// among `touched`), a change that depends only on the classes of i and j and on whether their
// match keys are equal; a touched dyad is asked by add_change on the graph.
struct NodeClassForm {
  std::vector<int> node_class;  // node i at i - 1; empty: every node is of one class
  std::vector<int> match_key;   // node i at i - 1; empty: the change reads no equality of nodes
  // Dyads whose change differs from that of untouched dyads of their classes (directed: (i, j);
  // undirected: i < j), besides those the links touch (an edgecov file's non-zero values).
  std::vector<std::pair<int, int>> touched;
};

// Which degrees a term's statistics are a function of, so that a sample space keeping those
// degrees holds the statistics constant. Undirected, any of the three means the degrees.
struct DegreeFunction {
  bool of_out = false;   // the out-degrees alone (ostar, sender; edges)
  bool of_in = false;    // the in-degrees alone (istar, receiver; edges)
  bool of_both = false;  // the out- and in-degrees together (isolates, nodefactor)
  bool any() const { return of_out || of_in || of_both; }
};

class Term;
using TermPointer = std::shared_ptr<const Term>;

class Term : public std::enable_shared_from_this<Term> {
 public:
  virtual ~Term() = default;

  // The term as written, in its canonical form: "gwesp(0.5, fixed=TRUE)", "ttriple@2".
  const std::string& text() const { return text_; }
  // The names of its statistics, as the established R tool names its coefficients.
  const std::vector<std::string>& statistic_names() const { return names_; }
  int statistic_count() const { return static_cast<int>(names_.size()); }

  // True when the change statistic of a dyad does not depend on the rest of the network.
  virtual bool dyad_independent() const = 0;
  // The shared-partner tables the graph must keep for this term.
  virtual PartnerTables partner_tables() const { return {}; }

  // out[s] = the change statistic of statistic s for the dyad (i, j).
  virtual void add_change(const TermGraph& g, int i, int j, double* out) const = 0;
  // out[s] = statistic s of the graph.
  virtual void network_statistics(const TermGraph& g, double* out) const = 0;
  // rows[s][j - 1] = the change statistic of statistic s for the dyad (i, j), for every j whose
  // dyad is the model's (directed: j != i, and j = i with the self-pairs; undirected: j > i);
  // other entries may hold anything. The default asks add_change dyad by dyad; terms that share
  // work between the dyads of one sender do it once.
  virtual void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                              double* const* rows) const;

  // Why its statistics are no change of a count of the network for these dyads, or empty.
  virtual std::string distribution_problem(const DyadSpace&) const { return {}; }
  // True for a raw count of triads (ttriple, triangle, ...), whose models are often degenerate;
  // messages suggest a geometrically weighted term in its place.
  virtual bool counts_raw_triads() const { return false; }
  // True for a geometrically weighted term (gwesp, gwdsp, the gw degree terms): when its model is
  // degenerate, messages suggest a smaller decay, not the term itself.
  virtual bool weighs_geometrically() const { return false; }
  // Which degrees its statistics are a function of (none by default).
  virtual DegreeFunction degree_function() const { return {}; }
  // The configuration type it is, for the fused kernel; null for any other term.
  virtual const ClassicParameter* classic() const { return nullptr; }

  // Its form by node classes (see NodeClassForm), or none: a term whose change at a dyad reads
  // more of the network than the dyad's reverse link (every dyad-dependent term but mutual), or
  // the blocks of the dyads.
  virtual std::optional<NodeClassForm> node_class_form() const { return std::nullopt; }
  // out[s] = the change of statistic s at an untouched dyad (i, j) (see NodeClassForm), from i's
  // and j's classes and whether their match keys are equal (`matched`); for terms with a form.
  virtual void untouched_change(int i, int j, bool matched, double* out) const;

  // A curved term (a gw term whose decay is estimated) has coefficients other than its
  // statistics: the statistics' canonical parameters are a function of the coefficients. A
  // linear term's coefficients are its canonical parameters.
  virtual bool curved() const { return false; }
  virtual int coefficient_count() const { return statistic_count(); }
  // Which of its coefficients is a curved term's decay (0-based), or -1.
  virtual int decay_coefficient() const { return -1; }
  virtual std::vector<std::string> coefficient_names() const { return names_; }
  // eta[s] for each statistic s, from the term's coefficients.
  virtual void canonical(const double* coefficients, double* eta) const;
  // jacobian[s * coefficient_count() + c] = d eta[s] / d coefficient c.
  virtual void canonical_jacobian(const double* coefficients, double* jacobian) const;
  // The least value coefficient c may take (a decay is at least 0).
  virtual double least_coefficient(int) const { return -std::numeric_limits<double>::infinity(); }
  // The linear term the curved one is at these coefficients (its decay fixed there); the term
  // itself when it is linear.
  virtual TermPointer fixed_at(const double* coefficients) const;
  // The coefficients to start from, given the estimate of fixed_at(start) (one value per
  // statistic of that term): a curved term's weight from it, its decay as written.
  virtual void start_coefficients(const double* fixed_estimate, double* coefficients) const;
  // How many links, pairs or nodes of the graph the statistics leave out (counts above a curved
  // term's cutoff).
  virtual int beyond_cutoff(const TermGraph&) const { return 0; }

 protected:
  Term(std::string text, std::vector<std::string> names)
      : text_(std::move(text)), names_(std::move(names)) {}

 private:
  std::string text_;
  std::vector<std::string> names_;
};

// A one-statistic network count whose every configuration holds `per_configuration` links:
// the sum of each link's change with the link in place counts each configuration that often.
template <class FinalTerm>
double count_by_link_changes(const FinalTerm& term, const TermGraph& g, double per_configuration) {
  double sum = 0.0, change = 0.0;
  for (const auto& [a, b] : g.link_list()) {
    term.FinalTerm::add_change(g, a, b, &change);
    sum += change;
  }
  return sum / per_configuration;
}

// The rows of Term::sender_changes, dyad by dyad, from the add_change of a final term class:
// the call is resolved at compile time, so that a term whose change costs a few operations pays
// no indirect call per dyad.
template <class FinalTerm>
void changes_dyad_by_dyad(const FinalTerm& term, const TermGraph& g, int i, bool include_diagonal,
                          double* const* rows) {
  const int n = g.node_count();
  const int count = term.statistic_count();
  double value[64];
  for (int j = g.directed() ? 1 : i + 1; j <= n; ++j) {
    if (j == i && !include_diagonal) continue;
    if (count == 1) {
      term.FinalTerm::add_change(g, i, j, &rows[0][j - 1]);
      continue;
    }
    double* out = count <= 64 ? value : nullptr;
    std::vector<double> many;
    if (out == nullptr) {
      many.resize(static_cast<std::size_t>(count));
      out = many.data();
    }
    term.FinalTerm::add_change(g, i, j, out);
    for (int s = 0; s < count; ++s) rows[s][j - 1] = out[s];
  }
}

// A dyad-independent term's statistics: the sum of its change statistics over the links.
template <class FinalTerm>
void sum_of_changes_over_links(const FinalTerm& term, const TermGraph& g, double* out) {
  const int count = term.statistic_count();
  for (int s = 0; s < count; ++s) out[s] = 0.0;
  std::vector<double> change(static_cast<std::size_t>(count));
  for (const auto& [a, b] : g.link_list()) {
    term.FinalTerm::add_change(g, a, b, change.data());
    for (int s = 0; s < count; ++s) out[s] += change[static_cast<std::size_t>(s)];
  }
}

// A dyad-independent term whose statistics are sums over the links of its change statistics:
// FinalTerm gives add_change, and the sweep and the network statistics follow from it.
template <class FinalTerm>
class DyadIndependentTerm : public Term {
 public:
  bool dyad_independent() const override { return true; }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(static_cast<const FinalTerm&>(*this), g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    sum_of_changes_over_links(static_cast<const FinalTerm&>(*this), g, out);
  }

 protected:
  using Term::Term;
};

}  // namespace tarn
