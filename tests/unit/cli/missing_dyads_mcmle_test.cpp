// Maximum likelihood by MCMC with missing dyads maximises the likelihood of the observed dyads:
// the sum over the networks that complete the observed one of exp(theta . g(y)) / kappa(theta).
// On four nodes (12 dyads, 3 of them missing) that likelihood is exact by enumeration of all
// 4096 networks, and its maximiser, found here by Newton's method on the exact moments, is what
// the fit must reach within its Monte Carlo error, with the log-likelihood of the observed dyads
// there.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using Pair = std::pair<int, int>;
using Stats = std::array<double, 2>;  // edges, mutual pairs

Stats count(const std::set<Pair>& links) {
  Stats s = {static_cast<double>(links.size()), 0.0};
  for (const auto& [i, j] : links) s[1] += i < j && links.count({j, i}) > 0 ? 1.0 : 0.0;
  return s;
}

struct Moments {
  Stats mean{};
  double cov[2][2] = {};
};

Moments moments(const std::vector<Stats>& networks, const Stats& theta) {
  Moments m;
  double total = 0;
  std::vector<double> weight;
  for (const Stats& s : networks) {
    weight.push_back(std::exp(theta[0] * s[0] + theta[1] * s[1]));
    total += weight.back();
  }
  for (std::size_t k = 0; k < networks.size(); ++k) {
    for (int a = 0; a < 2; ++a) m.mean[a] += weight[k] / total * networks[k][a];
  }
  for (std::size_t k = 0; k < networks.size(); ++k) {
    for (int a = 0; a < 2; ++a) {
      for (int b = 0; b < 2; ++b) {
        m.cov[a][b] +=
            weight[k] / total * (networks[k][a] - m.mean[a]) * (networks[k][b] - m.mean[b]);
      }
    }
  }
  return m;
}

TEST(MissingDyadsMcmle, EdgesAndMutualReachTheExactMaximiserOfTheObservedDyadsLikelihood) {
  const std::set<Pair> links = {{1, 2}, {2, 1}, {1, 3}, {2, 3}, {3, 4}, {4, 3}};
  const std::vector<Pair> missing = {{3, 2}, {2, 4}, {4, 2}};
  std::vector<Pair> dyads;
  for (int i = 1; i <= 4; ++i) {
    for (int j = 1; j <= 4; ++j) {
      if (i != j) dyads.emplace_back(i, j);
    }
  }
  std::vector<Stats> every, completions;
  for (unsigned bits = 0; bits < 1u << dyads.size(); ++bits) {
    std::set<Pair> net;
    for (std::size_t k = 0; k < dyads.size(); ++k) {
      if (bits >> k & 1u) net.insert(dyads[k]);
    }
    every.push_back(count(net));
  }
  for (unsigned bits = 0; bits < 1u << missing.size(); ++bits) {
    std::set<Pair> net = links;
    for (std::size_t k = 0; k < missing.size(); ++k) {
      if (bits >> k & 1u) net.insert(missing[k]);
    }
    completions.push_back(count(net));
  }
  // Newton: score E_completions[g] - E[g], information Cov[g] - Cov_completions[g].
  Stats theta = {0, 0};
  double information[2][2] = {};
  for (int iteration = 0; iteration < 60; ++iteration) {
    const Moments all = moments(every, theta), given = moments(completions, theta);
    for (int a = 0; a < 2; ++a) {
      for (int b = 0; b < 2; ++b) information[a][b] = all.cov[a][b] - given.cov[a][b];
    }
    const double det =
        information[0][0] * information[1][1] - information[0][1] * information[1][0];
    const Stats score = {given.mean[0] - all.mean[0], given.mean[1] - all.mean[1]};
    theta[0] += (information[1][1] * score[0] - information[0][1] * score[1]) / det;
    theta[1] += (information[0][0] * score[1] - information[1][0] * score[0]) / det;
  }
  const double det = information[0][0] * information[1][1] - information[0][1] * information[1][0];
  const Stats se = {std::sqrt(information[1][1] / det), std::sqrt(information[0][0] / det)};

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
    EXPECT_NEAR(parameter["estimate"].get<double>(), theta[std::size_t(k)],
                0.1 * se[std::size_t(k)])
        << k;
    EXPECT_NEAR(parameter["std_error"].get<double>(), se[std::size_t(k)], 0.15 * se[std::size_t(k)])
        << k;
  }
  // The log-likelihood of the observed dyads at the estimate: log sum over the completions less
  // log sum over every network, within the bridge's Monte Carlo error.
  const Stats at = {json["parameters"][0]["estimate"].get<double>(),
                    json["parameters"][1]["estimate"].get<double>()};
  const auto log_sum = [&at](const std::vector<Stats>& networks) {
    double sum = 0.0;
    for (const Stats& s : networks) sum += std::exp(at[0] * s[0] + at[1] * s[1]);
    return std::log(sum);
  };
  ASSERT_TRUE(json["log_likelihood"].is_number()) << r.err;
  EXPECT_NEAR(json["log_likelihood"].get<double>(), log_sum(completions) - log_sum(every), 0.05);
}

}  // namespace
}  // namespace tarn
