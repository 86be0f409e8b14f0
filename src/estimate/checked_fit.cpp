#include "estimate/checked_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "mple/estimate_existence.h"
#include "network/setting_error.h"

namespace tarn {

namespace {

// The warning, with the separating direction's largest components by parameter.
Warning no_estimate(const EstimateExistence& e, const Model& model) {
  const std::vector<std::string> names = model.statistic_names();
  std::vector<std::size_t> order(e.direction.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&e](std::size_t a, std::size_t b) {
    return std::fabs(e.direction[a]) > std::fabs(e.direction[b]);
  });
  std::string direction;
  for (std::size_t k = 0; k < order.size() && k < 4; ++k) {
    const double d = e.direction[order[k]];
    if (std::fabs(d) < 1e-9) break;
    char value[32];
    std::snprintf(value, sizeof value, "%+.3f", d);
    direction += (direction.empty() ? "" : ", ") + names[order[k]] + " " + value;
  }
  return Warning{"estimate_does_not_exist"}
      .add_count("separated_dyads", e.separated_dyads)
      .add_text("direction", direction);
}

}  // namespace

void refuse_curved(const Model& model, const std::string& instead,
                   std::vector<std::string> settings) {
  for (const TermPointer& term : model.terms) {
    if (!term->curved()) continue;
    throw SettingError(std::move(settings),
                       term->text() +
                           ": without fixed=TRUE its decay is estimated, which only maximum "
                           "likelihood does; " +
                           instead + ", or fix the decay (fixed=TRUE)");
  }
}

CheckedFit fit_and_check(const Study& study, CancelFlag cancel) {
  CheckedFit fit;
  FitObserver observer;
  observer.cancel = cancel;
  fit.result = fit_pseudo_likelihood(study, observer);
  fit.warnings = fit_warnings(fit.result);
  // Dependent statistics leave no direction to examine. The check's linear program knows no
  // offsets: with them, an estimate that runs away shows as unbounded passes.
  if (fit.result.end != FitEnd::dependent && !study.model.has_offsets()) {
    add_existence(check_estimate_existence(study, ExistenceMethod::shortest, cancel), study.model,
                  fit);
  }
  return fit;
}

void add_existence(const EstimateExistence& existence, const Model& model, CheckedFit& fit) {
  if (existence.exists) return;
  fit.warnings.push_back(no_estimate(existence, model));
  fit.estimate_exists = false;
}

}  // namespace tarn
