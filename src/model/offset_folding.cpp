#include "model/offset_folding.h"

#include <memory>
#include <string>

namespace tarn {

namespace {

// The inner term's statistics at fixed canonical parameters: no coefficients of its own.
class FoldedOffset final : public Term {
 public:
  FoldedOffset(TermPointer inner, std::vector<double> values)
      : Term("offset(" + inner->text() + ")", offset_names(*inner)),
        inner_(std::move(inner)),
        values_(std::move(values)) {}

  bool dyad_independent() const override { return inner_->dyad_independent(); }
  PartnerTables partner_tables() const override { return inner_->partner_tables(); }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    inner_->add_change(g, i, j, out);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    inner_->network_statistics(g, out);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    inner_->sender_changes(g, i, include_diagonal, rows);
  }
  std::string distribution_problem(const DyadSpace& space) const override {
    return inner_->distribution_problem(space);
  }
  bool counts_raw_triads() const override { return inner_->counts_raw_triads(); }
  bool weighs_geometrically() const override { return inner_->weighs_geometrically(); }
  std::optional<NodeClassForm> node_class_form() const override {
    return inner_->node_class_form();
  }
  void untouched_change(int i, int j, bool matched, double* out) const override {
    inner_->untouched_change(i, j, matched, out);
  }
  int beyond_cutoff(const TermGraph& g) const override { return inner_->beyond_cutoff(g); }

  const TermPointer& inner() const { return inner_; }
  const std::vector<double>& values() const { return values_; }

  bool curved() const override { return true; }
  int coefficient_count() const override { return 0; }
  std::vector<std::string> coefficient_names() const override { return {}; }
  void canonical(const double*, double* eta) const override {
    for (std::size_t s = 0; s < values_.size(); ++s) eta[s] = values_[s];
  }
  void canonical_jacobian(const double*, double*) const override {}
  void start_coefficients(const double*, double*) const override {}

 private:
  static std::vector<std::string> offset_names(const Term& inner) {
    std::vector<std::string> names;
    for (const std::string& name : inner.statistic_names()) names.push_back("offset(" + name + ")");
    return names;
  }
  TermPointer inner_;
  std::vector<double> values_;
};

}  // namespace

Model folded_offsets(const Model& model) {
  Model folded = model;
  folded.kernel.reset();
  const std::vector<std::optional<double>> fixed = model.fixed_coefficients();
  for (int t = 0; t < model.term_count(); ++t) {
    if (!model.offset_term(t)) continue;
    TermPointer& term = folded.terms[std::size_t(t)];
    std::vector<double> values;
    for (int c = 0; c < term->coefficient_count(); ++c) {
      values.push_back(fixed[std::size_t(model.first_coefficient(t) + c)].value_or(0.0));
    }
    term = std::make_shared<FoldedOffset>(term, std::move(values));
  }
  // Folded, the offsets are the terms' own: none is left to fix.
  folded.offset_terms.clear();
  folded.offset_values.clear();
  return folded;
}

std::optional<UnfoldedOffset> unfolded_offset(const TermPointer& term) {
  const auto* folded = dynamic_cast<const FoldedOffset*>(term.get());
  if (!folded) return std::nullopt;
  return UnfoldedOffset{folded->inner(), folded->values()};
}

std::vector<double> spread_free(const Model& model, const std::vector<double>& free,
                                std::optional<double> fill) {
  std::vector<double> all;
  std::size_t f = 0;
  for (const std::optional<double>& fixed : model.fixed_coefficients()) {
    if (fixed) {
      all.push_back(fill ? *fill : *fixed);
    } else {
      all.push_back(f < free.size() ? free[f++] : 0.0);
    }
  }
  return all;
}

}  // namespace tarn
