#include "estimate/estimator_table.h"

#include <array>

#include "estimate/ee_estimator.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

constexpr std::array estimators{
    Estimator{"mple", "maximum pseudo-likelihood, with naive, Godambe or bootstrap standard errors",
              false, check_pseudo_likelihood_settings, fit_by_pseudo_likelihood},
    Estimator{"mcmle",
              "maximum likelihood by Markov chain Monte Carlo, from the pseudo-likelihood "
              "estimate, with errors from the inverse Fisher information",
              true, check_mcmle_settings, fit_by_mcmle},
    Estimator{"ee",
              "equilibrium expectation from the pseudo-likelihood estimate, then maximum "
              "likelihood by MCMC from its estimate, with errors from the inverse Fisher "
              "information",
              true, check_ee_settings, fit_by_equilibrium_expectation},
};

}  // namespace

std::span<const Estimator> estimator_table() {
  return estimators;
}

const Estimator& estimator_named(std::string_view name) {
  std::string names;
  for (std::size_t k = 0; k < estimators.size(); ++k) {
    if (estimators[k].name == name) return estimators[k];
    names += std::string(k == 0                       ? ""
                         : k + 1 == estimators.size() ? " or "
                                                      : ", ") +
             std::string(estimators[k].name);
  }
  throw UsageError("--method " + std::string(name) + ": give " + names);
}

}  // namespace tarn
