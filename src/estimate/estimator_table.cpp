#include "estimate/estimator_table.h"

#include <algorithm>
#include <array>

#include "estimate/ee_estimator.h"
#include "estimate/mcmle_estimator.h"
#include "estimate/pseudo_likelihood_estimator.h"
#include "network/setting_error.h"

namespace tarn {

namespace {

constexpr std::array<std::string_view, 2> pseudo_likelihood_settings{"replicates", "dyad_sample"};
constexpr std::array<std::string_view, 4> mcmle_settings{"init", "sample_size", "max_iterations",
                                                         "error_precision"};
constexpr std::array<std::string_view, 10> ee_settings{
    "init",    "sample_size", "max_iterations", "error_precision",         "ee.tasks",
    "ee.gain", "ee.draws",    "ee.updates",     "ee.proposals_per_update", "ee.scale_updates"};

constexpr std::array estimators{
    Estimator{"mple", "maximum pseudo-likelihood, with naive, Godambe or bootstrap standard errors",
              false, pseudo_likelihood_settings, check_pseudo_likelihood_settings,
              fit_by_pseudo_likelihood, nullptr,
              "a model of counts has no pseudo-likelihood (a dyad's conditional distribution is "
              "over every count, not two values); give {0=}mcmle or ee, which start from the "
              "exact fit of the model's dyad-independent terms"},
    Estimator{"mcmle",
              "maximum likelihood by Markov chain Monte Carlo, from the pseudo-likelihood "
              "estimate, with errors from the inverse Fisher information",
              true, mcmle_settings, check_mcmle_settings, fit_by_mcmle, fit_counts_by_mcmle, ""},
    Estimator{"ee",
              "equilibrium expectation from the pseudo-likelihood estimate, then maximum "
              "likelihood by MCMC from its estimate, with errors from the inverse Fisher "
              "information",
              true, ee_settings, check_ee_settings, fit_by_equilibrium_expectation,
              fit_counts_by_equilibrium, ""},
};

// "a, b or c".
std::string listed(const std::vector<std::string_view>& names) {
  std::string text;
  for (std::size_t k = 0; k < names.size(); ++k) {
    text += std::string(k == 0                  ? ""
                        : k + 1 == names.size() ? " or "
                                                : ", ") +
            std::string(names[k]);
  }
  return text;
}

bool takes(const Estimator& estimator, std::string_view key) {
  return std::find(estimator.settings.begin(), estimator.settings.end(), key) !=
         estimator.settings.end();
}

}  // namespace

std::span<const Estimator> estimator_table() {
  return estimators;
}

const Estimator& estimator_named(std::string_view name) {
  std::vector<std::string_view> names;
  for (const Estimator& e : estimators) {
    if (e.name == name) return e;
    names.push_back(e.name);
  }
  throw SettingError({"method"}, "{0=}" + std::string(name) + ": give " + listed(names));
}

std::vector<std::string> given_estimator_settings(const EstimatorSettings& s) {
  const EstimatorSettings d;
  std::vector<std::string> given;
  auto add = [&given](bool differs, const char* key) {
    if (differs) given.emplace_back(key);
  };
  add(s.replicates != d.replicates, "replicates");
  add(s.sampling.dyad_sample != d.sampling.dyad_sample, "dyad_sample");
  add(s.mcmle.init != d.mcmle.init, "init");
  add(s.mcmle.sample_size != d.mcmle.sample_size, "sample_size");
  add(s.mcmle.max_iterations != d.mcmle.max_iterations, "max_iterations");
  add(s.mcmle.error_precision != d.mcmle.error_precision, "error_precision");
  add(s.ee.tasks != d.ee.tasks, "ee.tasks");
  add(s.ee.gain != d.ee.gain, "ee.gain");
  add(s.ee.effective_draws != d.ee.effective_draws, "ee.draws");
  add(s.ee.updates != d.ee.updates, "ee.updates");
  add(s.ee.proposals_per_update != d.ee.proposals_per_update, "ee.proposals_per_update");
  add(s.ee.scale_updates != d.ee.scale_updates, "ee.scale_updates");
  return given;
}

void check_estimator_settings(const Estimator& estimator, const EstimatorSettings& settings) {
  for (const std::string& key : given_estimator_settings(settings)) {
    if (takes(estimator, key)) continue;
    std::vector<std::string_view> taking;
    for (const Estimator& e : estimators) {
      if (takes(e, key)) taking.push_back(e.name);
    }
    throw SettingError({key, "method"}, "{0} is for {1=}" + listed(taking));
  }
  estimator.check(settings);
}

}  // namespace tarn
