#include "estimate/estimator_table.h"

#include <array>

#include "estimate/mcmle_estimator.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

constexpr std::array estimators{
    Estimator{"mple", "maximum pseudo-likelihood, with naive, Godambe or bootstrap standard errors",
              check_pseudo_likelihood_settings, fit_by_pseudo_likelihood},
    Estimator{"mcmle",
              "maximum likelihood by Markov chain Monte Carlo, from the pseudo-likelihood "
              "estimate, with errors from the inverse Fisher information",
              check_mcmle_settings, fit_by_mcmle},
};

}  // namespace

std::span<const Estimator> estimator_table() {
  return estimators;
}

const Estimator& estimator_named(std::string_view name) {
  std::string names;
  for (const Estimator& e : estimators) {
    if (e.name == name) return e;
    names += std::string(names.empty() ? "" : " or ") + std::string(e.name);
  }
  throw UsageError("--method " + std::string(name) + ": give " + names);
}

}  // namespace tarn
