#include "mcmle/mcmle_start.h"

#include <cmath>

#include "model/offset_folding.h"
#include "model/sample_space.h"
#include "mple/pseudo_likelihood.h"

namespace tarn {

std::optional<DyadIndependentReference> dyad_independent_reference(const Study& study) {
  // Under degree bounds the dyad-independent terms alone give no likelihood in closed form.
  if (study.space && study.space->dependent_dyads()) return std::nullopt;
  const Model& model = study.model;
  DyadIndependentReference reference;
  reference.coefficients = model.start_from_fixed(Vector(std::size_t(model.parameter_count())));
  bool closed_form = true;
  Study independent = study.with_network(study.network);
  Model& kept = independent.model;
  kept.terms.clear();
  kept.kernel.reset();
  kept.offset_terms.clear();
  kept.offset_values.clear();
  std::vector<int> first_of_kept;  // the first coefficient of each kept free term in the model
  for (int t = 0; t < model.term_count(); ++t) {
    const TermPointer& term = model.terms[std::size_t(t)];
    const std::optional<UnfoldedOffset> offset = unfolded_offset(term);
    if (offset && !term->dyad_independent()) {
      // The bridge walks it from 0, which it cannot from -Inf.
      for (double v : offset->values) closed_form = closed_form && std::isfinite(v);
      continue;
    }
    if (!term->dyad_independent()) continue;
    kept.terms.push_back(offset ? offset->term : term);
    kept.offset_terms.push_back(offset ? 1 : 0);
    if (offset) {
      kept.offset_values.insert(kept.offset_values.end(), offset->values.begin(),
                                offset->values.end());
    } else {
      first_of_kept.push_back(model.first_coefficient(t));
    }
  }
  reference.eta = model.canonical(reference.coefficients);
  if (first_of_kept.empty() && !kept.has_offsets()) {
    // Every network equally likely: log 2^-dyads.
    const std::int64_t dyads = study.space && study.space->restricts_dyads()
                                   ? study.space->free_dyad_count()
                                   : study.dyad_count();
    reference.log_likelihood = -static_cast<double>(dyads) * std::log(2.0);
  } else {
    const FitResult fit = fit_pseudo_likelihood(independent);
    if (fit.end != FitEnd::completed || !std::isfinite(fit.loglik)) return std::nullopt;
    int k = 1;
    std::size_t free_term = 0;
    for (std::size_t t = 0; t < kept.terms.size(); ++t) {
      const int count = kept.terms[t]->statistic_count();
      if (kept.offset_term(int(t))) {
        k += count;
        continue;
      }
      for (int s = 0; s < count; ++s) {
        reference.coefficients[std::size_t(first_of_kept[free_term] + s)] = fit.estimate(k++);
      }
      ++free_term;
    }
    reference.eta = model.canonical(reference.coefficients);
    reference.log_likelihood = fit.loglik;
  }
  // A dyad-dependent offset stands at 0 in the reference.
  for (int t = 0; t < model.term_count(); ++t) {
    const TermPointer& term = model.terms[std::size_t(t)];
    if (term->dyad_independent() || !unfolded_offset(term)) continue;
    const int first = model.first_statistic(t);
    for (int s = 0; s < term->statistic_count(); ++s) reference.eta[std::size_t(first + s)] = 0.0;
  }
  if (!closed_form) reference.log_likelihood.reset();
  return reference;
}

bool move_start(StartRecord& record, Vector& theta, const StartMove& why,
                const std::optional<DyadIndependentReference>& reference, int start_halvings) {
  if (record.kind == McmleStart::dyad_independent || !reference) return false;
  if (!record.moved) record.moved = why;
  const Vector& to = reference->coefficients;
  if (why.reason != "no_step" && record.share > std::ldexp(1.0, -start_halvings)) {
    record.share *= 0.5;
    for (std::size_t k = 0; k < theta.size(); ++k) {
      theta[k] = to[k] + record.share * (record.first[k] - to[k]);
    }
    return true;
  }
  record.kind = McmleStart::dyad_independent;
  record.share = 0.0;
  theta = to;
  return true;
}

}  // namespace tarn
