// Maximum likelihood by MCMC with missing dyads maximises the likelihood of the observed dyads:
// the sum over the networks that complete the observed one of exp(theta . g(y)) / kappa(theta).
// On four nodes (12 dyads, 3 of them missing) that likelihood is exact by enumeration of all
// 4096 networks, and its maximiser (test::exact_fit over every completion) is what
// the fit must reach within its Monte Carlo error, with the log-likelihood of the observed dyads
// there.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "model/model.h"
#include "support/exact_networks.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using Pair = std::pair<int, int>;

TEST(MissingDyadsMcmle, EdgesAndMutualReachTheExactMaximiserOfTheObservedDyadsLikelihood) {
  const std::vector<Pair> links = {{1, 2}, {2, 1}, {1, 3}, {2, 3}, {3, 4}, {4, 3}};
  const std::vector<Pair> missing = {{3, 2}, {2, 4}, {4, 2}};
  TermContext context;
  context.node_count = 4;
  const Model model = model_of_formula("edges + mutual", context);
  TermGraph observed(4, true, model.partner_tables());
  for (const auto& [i, j] : links) observed.toggle(i, j);
  const test::ExactLikelihood exact{
      model, test::every_network(model, 4), {}, test::every_network_over(model, observed, missing)};
  const test::ExactFit mle = test::exact_fit(exact, {0.0, 0.0});

  std::string edges = "sender,receiver,value\n";
  for (const auto& [i, j] : links) edges += std::to_string(i) + "," + std::to_string(j) + ",1\n";
  for (const auto& [i, j] : missing) edges += std::to_string(i) + "," + std::to_string(j) + ",NA\n";
  const test::CommandRun r = test::run_command(
      {{"e.csv", edges}}, {"fit", "e.csv", "-m", "edges + mutual", "--method", "mcmle", "--seed",
                           "3", "--sample-size", "4000", "--json", "r.json", "-q"});
  ASSERT_EQ(r.status, exit_ok) << r.err;
  const auto json = nlohmann::json::parse(r.files.at("r.json"));
  EXPECT_EQ(json["input"]["network"]["missing_dyads"], 3);
  for (int k = 0; k < 2; ++k) {
    const auto& parameter = json["parameters"][k];
    const double se = std::sqrt(mle.inverse_fisher(k, k));
    EXPECT_NEAR(parameter["estimate"].get<double>(), mle.estimate[std::size_t(k)], 0.1 * se) << k;
    EXPECT_NEAR(parameter["std_error"].get<double>(), se, 0.15 * se) << k;
  }
  // The log-likelihood of the observed dyads at the estimate: log sum over the completions less
  // log sum over every network, within the bridge's Monte Carlo error.
  const Vector at = {json["parameters"][0]["estimate"].get<double>(),
                     json["parameters"][1]["estimate"].get<double>()};
  ASSERT_TRUE(json["log_likelihood"].is_number()) << r.err;
  EXPECT_NEAR(json["log_likelihood"].get<double>(), test::exact_point(exact, at).log_likelihood,
              0.05);
}

}  // namespace
}  // namespace tarn
