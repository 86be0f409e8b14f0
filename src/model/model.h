#pragma once
// A model: a list of terms with their arguments, each adding one or more statistics, in order.
// Built once from a formula (the command line) or a description of configuration types (the
// dialogue) through the term table, and passed as a value. A model whose terms are all among the
// sixteen configuration types, on a directed network, also has the layout of the fused kernel's
// columns, which the pseudo-likelihood fit then uses.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/kernel_layout.h"
#include "terms/term.h"
#include "terms/term_table.h"

namespace tarn {

struct Model {
  std::vector<TermPointer> terms;
  std::optional<KernelLayout> kernel;
  bool directed = true;
  // What building the model has to say (ergm's m2star, ...): codes and the names they concern.
  std::vector<std::string> notes;
  // ergm's offset(term): per term, whether its coefficients are fixed rather than estimated
  // (empty: none is); and their values, the offset terms' coefficients in order (with_offsets).
  std::vector<char> offset_terms;
  std::vector<double> offset_values;

  int parameter_count() const;
  int term_count() const { return static_cast<int>(terms.size()); }
  // The names of the statistics, in order.
  std::vector<std::string> statistic_names() const;
  // The term of statistic k (0-based), and the first statistic of term t.
  int term_of_statistic(int k) const;
  int first_statistic(int t) const;
  bool dyad_independent() const;
  PartnerTables partner_tables() const;
  // True when some term is no configuration type (the kernel cannot compute it).
  bool has_general_terms() const { return !kernel.has_value(); }

  // The coefficients: the statistics' own in a linear model; a curved term has two, a weight
  // and a decay, for its many statistics (terms/curved_terms.h).
  bool curved() const;
  int coefficient_count() const;
  std::vector<std::string> coefficient_names() const;
  int term_of_coefficient(int k) const;
  int first_coefficient(int t) const;
  // The canonical parameters (one per statistic) of coefficients, and their Jacobian d eta / d
  // coefficients (statistics by coefficients, row by row).
  std::vector<double> canonical(const std::vector<double>& coefficients) const;
  std::vector<double> canonical_jacobian(const std::vector<double>& coefficients) const;
  // The least value of each coefficient (-infinity but for a decay's 0).
  std::vector<double> least_coefficients() const;
  // Of statistics, the one of each coefficient: a linear term's own, NaN for a curved term's.
  std::vector<double> coefficient_statistics(const std::vector<double>& statistics) const;
  // The linear model at these coefficients: each curved term with its decay fixed there.
  Model fixed_at(const std::vector<double>& coefficients) const;
  // The coefficients from an estimate of the linear model at the written decays
  // (fixed_at(start_from_fixed(anything))): each curved term's weight from it, its decay as
  // written.
  std::vector<double> start_from_fixed(const std::vector<double>& fixed_estimate) const;

  bool offset_term(int t) const {
    return static_cast<std::size_t>(t) < offset_terms.size() &&
           offset_terms[static_cast<std::size_t>(t)] != 0;
  }
  bool has_offsets() const;
  int offset_coefficient_count() const;
  // Per coefficient (a linear model's per statistic): the fixed value of an offset term's, or
  // nullopt for one that is estimated.
  std::vector<std::optional<double>> fixed_coefficients() const;
  // Per free coefficient, its index among all (0-based).
  std::vector<int> free_coefficients() const;

  // delta[k] = the change statistic of statistic k for the dyad (i, j).
  void add_changes(const TermGraph& g, int i, int j, double* delta) const {
    for (const TermPointer& term : terms) {
      term->add_change(g, i, j, delta);
      delta += term->statistic_count();
    }
  }
  std::vector<double> network_statistics(const TermGraph& g) const;
  // The first term whose statistics have no network distribution for these dyads, and why:
  // "parameter 3 (ttriple@2): ...". Empty when every one has.
  std::string distribution_problem(const DyadSpace& space) const;
};

// The model of a description of configuration types, as the dialogue chooses it (its limits
// checked by build_kernel_layout), every parameter a term of the table.
Model build_model(const ModelDescription& description, int block_type_count,
                  const TermContext& context);

// The model of a formula (terms/formula.h) on the network that `context` describes. A formula
// of configuration types only (numbers or their names, TERM@B, TERM@*) gives their parameters in
// the order the dialogue would (see model_terms.h); any other formula its terms as written.
// Throws ModelError naming the term.
Model model_of_formula(std::string_view formula, const TermContext& context);

// The model with its offset terms' coefficients fixed at `values` (one per coefficient of the
// offset terms, in order; -infinity and infinity allowed). Throws UsageError naming `option` and
// both counts when they differ, or when values are given to a model without offset terms.
Model with_offsets(Model model, const std::vector<double>& values, const std::string& option);

}  // namespace tarn
