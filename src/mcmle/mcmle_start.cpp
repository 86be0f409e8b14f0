#include "mcmle/mcmle_start.h"

#include <cmath>

#include "model/sample_space.h"
#include "mple/pseudo_likelihood.h"

namespace tarn {

std::optional<DyadIndependentReference> dyad_independent_reference(const Study& study) {
  // Under degree bounds the dyad-independent terms alone give no likelihood in closed form.
  if (study.space && study.space->dependent_dyads()) return std::nullopt;
  DyadIndependentReference reference;
  reference.coefficients =
      study.model.start_from_fixed(Vector(std::size_t(study.model.parameter_count())));
  Study independent = study.with_network(study.network);
  independent.model.terms.clear();
  independent.model.kernel.reset();
  std::vector<int> first_of_kept;  // the first coefficient of each kept term in the whole model
  for (int t = 0; t < study.model.term_count(); ++t) {
    const TermPointer& term = study.model.terms[static_cast<std::size_t>(t)];
    // A term without coefficients (a folded offset) has none to estimate here.
    if (!term->dyad_independent() || term->coefficient_count() == 0) continue;
    independent.model.terms.push_back(term);
    first_of_kept.push_back(study.model.first_coefficient(t));
  }
  if (independent.model.terms.empty()) {
    // Every network equally likely: log 2^-dyads.
    const std::int64_t dyads = study.space && study.space->restricts_dyads()
                                   ? static_cast<std::int64_t>(study.space->free_dyads().size())
                                   : study.dyad_count();
    reference.log_likelihood = -static_cast<double>(dyads) * std::log(2.0);
    return reference;
  }
  const FitResult fit = fit_pseudo_likelihood(independent);
  if (fit.end != FitEnd::completed || !std::isfinite(fit.loglik)) return std::nullopt;
  int k = 1;
  for (std::size_t t = 0; t < independent.model.terms.size(); ++t) {
    for (int s = 0; s < independent.model.terms[t]->statistic_count(); ++s) {
      reference.coefficients[std::size_t(first_of_kept[t] + s)] = fit.estimate(k++);
    }
  }
  reference.log_likelihood = fit.loglik;
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
