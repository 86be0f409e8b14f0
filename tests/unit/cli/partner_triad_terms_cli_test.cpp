// The shared-partner and triad terms through the command line: summary's names and values
// against counts written here on the Florentine marriages; the pseudo-likelihood estimate
// against its score equation, with change statistics counted here by brute force; and every layer
// (MPLE, MCMLE, EE, simulate, gof) taking them on Sampson's monks.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using Matrix = std::vector<std::vector<int>>;  // [a][b], nodes 1..n

test::Files florentine_files() {
  return {
      {"marriage.net", test::read_text(test::repository_file("examples/florentine_marriage.net"))}};
}
test::Files samplike_files() {
  return {{"samplike.net", test::read_text(test::repository_file("examples/samplike.net"))}};
}

// The links of a Pajek file's *Edges or *Arcs section.
Matrix ties_of(const std::string& text, int n, bool directed) {
  Matrix x(std::size_t(n) + 1, std::vector<int>(std::size_t(n) + 1, 0));
  std::istringstream lines(text);
  std::string line;
  bool links = false;
  while (std::getline(lines, line)) {
    if (line.rfind("*", 0) == 0) {
      links = line.find("dges") != std::string::npos || line.find("rcs") != std::string::npos;
      continue;
    }
    std::istringstream fields(line);
    int a = 0, b = 0;
    if (!links || !(fields >> a >> b)) continue;
    x[std::size_t(a)][std::size_t(b)] = 1;
    if (!directed) x[std::size_t(b)][std::size_t(a)] = 1;
  }
  return x;
}

int common(const Matrix& x, int n, int a, int b) {
  int count = 0;
  for (int k = 1; k <= n; ++k) count += k != a && k != b && x[a][k] && x[k][b];
  return count;
}

// Undirected statistics: edges, esp(1), nsp(0), triads of 2 edges, cycles of 4.
std::vector<double> undirected_statistics(const Matrix& x, int n) {
  double edges = 0, esp1 = 0, nsp0 = 0, two = 0, four = 0;
  for (int a = 1; a <= n; ++a)
    for (int b = a + 1; b <= n; ++b) {
      edges += x[a][b];
      esp1 += x[a][b] && common(x, n, a, b) == 1;
      nsp0 += !x[a][b] && common(x, n, a, b) == 0;
      for (int c = b + 1; c <= n; ++c) two += x[a][b] + x[a][c] + x[b][c] == 2;
    }
  // 4-cycles a-b-c-d-a: ordered sequences of distinct nodes, less 4 starts and 2 directions.
  for (int a = 1; a <= n; ++a)
    for (int b = 1; b <= n; ++b)
      for (int c = 1; c <= n; ++c)
        for (int d = 1; d <= n; ++d) {
          const bool distinct = a != b && a != c && a != d && b != c && b != d && c != d;
          four += distinct && x[a][b] && x[b][c] && x[c][d] && x[d][a];
        }
  return {edges, esp1, nsp0, two, four / 8};
}

TEST(PartnerTriadTermsCli, FlorentineSummaryNamesAndCounts) {
  const test::CommandRun run =
      test::run_command(florentine_files(), {"summary", "marriage.net", "--undirected", "-m",
                                             "edges + esp(1) + nsp(0) + "
                                             "triadcensus(levels=3) + cycle(4)",
                                             "--json", "-"});
  ASSERT_EQ(run.status, exit_ok) << run.err;
  const nlohmann::json statistics = nlohmann::json::parse(run.out)["statistics"];
  const std::vector<std::string> names = {"edges", "esp1", "nsp0", "triadcensus.2", "cycle4"};
  const Matrix x = ties_of(
      test::read_text(test::repository_file("examples/florentine_marriage.net")), 16, false);
  const std::vector<double> expected = undirected_statistics(x, 16);
  ASSERT_EQ(statistics.size(), names.size());
  for (std::size_t s = 0; s < names.size(); ++s) {
    EXPECT_EQ(statistics[s]["name"], names[s]);
    EXPECT_EQ(statistics[s]["value"].get<double>(), expected[s]) << names[s];
  }
}

// At the maximum of the pseudo-likelihood its score is 0: the sum over dyads of (y - p) times
// each change statistic, p the logistic of the estimates' sum of change statistics.
TEST(PartnerTriadTermsCli, PseudoLikelihoodEstimateSolvesItsScoreEquation) {
  const test::CommandRun run = test::run_command(
      florentine_files(),
      {"fit", "marriage.net", "--undirected", "-m",
       "edges + esp(1) + nsp(0) + triadcensus(levels=3) + cycle(4)", "-q", "--json", "f.json"});
  ASSERT_EQ(run.status, exit_ok) << run.err;
  const nlohmann::json parameters = nlohmann::json::parse(run.files.at("f.json"))["parameters"];
  ASSERT_EQ(parameters.size(), 5u);
  std::vector<double> theta;
  for (const auto& p : parameters) theta.push_back(p["estimate"].get<double>());
  const int n = 16;
  Matrix x =
      ties_of(test::read_text(test::repository_file("examples/florentine_marriage.net")), n, false);
  std::vector<double> score(theta.size(), 0.0), scale(theta.size(), 0.0);
  for (int a = 1; a <= n; ++a)
    for (int b = a + 1; b <= n; ++b) {
      const int y = x[a][b];
      x[a][b] = x[b][a] = 1;
      const std::vector<double> with = undirected_statistics(x, n);
      x[a][b] = x[b][a] = 0;
      const std::vector<double> without = undirected_statistics(x, n);
      x[a][b] = x[b][a] = y;
      double eta = 0;
      for (std::size_t s = 0; s < theta.size(); ++s) eta += theta[s] * (with[s] - without[s]);
      const double p = 1 / (1 + std::exp(-eta));
      for (std::size_t s = 0; s < theta.size(); ++s) {
        score[s] += (y - p) * (with[s] - without[s]);
        scale[s] += std::fabs(with[s] - without[s]);
      }
    }
  for (std::size_t s = 0; s < theta.size(); ++s) {
    EXPECT_NEAR(score[s], 0.0, 1e-6 * scale[s]) << parameters[s]["term"];
  }
}

TEST(PartnerTriadTermsCli, EveryLayerTakesThem) {
  const std::string model =
      "edges + mutual + dgwnsp(0.5, fixed=TRUE, type=\"OSP\") + simmelianties + cycle(3) + "
      "triadcensus(levels=\"030T\")";
  const std::vector<std::string> names = {"edges",         "mutual", "gwnsp.OSP.fixed.0.5",
                                          "simmelianties", "cycle3", "triadcensus.030T"};
  for (const char* method : {"mple", "mcmle", "ee"}) {
    const test::CommandRun fit =
        test::run_command(samplike_files(), {"fit", "samplike.net", "-m", model, "--method", method,
                                             "--seed", "3", "-q", "--json", "fit.json"});
    ASSERT_EQ(fit.status, exit_ok) << method << ": " << fit.err;
    const nlohmann::json parameters = nlohmann::json::parse(fit.files.at("fit.json"))["parameters"];
    ASSERT_EQ(parameters.size(), names.size());
    for (std::size_t k = 0; k < names.size(); ++k) EXPECT_EQ(parameters[k]["term"], names[k]);
    if (std::string(method) != "mcmle") continue;
    test::Files with_fit = samplike_files();
    with_fit["fit.json"] = fit.files.at("fit.json");
    const test::CommandRun simulate = test::run_command(
        with_fit, {"simulate", "--fit", "fit.json", "--networks", "10", "-q", "--stats", "s.csv"});
    ASSERT_EQ(simulate.status, exit_ok) << simulate.err;
    EXPECT_NE(simulate.files.at("s.csv").find("triadcensus.030T"), std::string::npos);
    const test::CommandRun gof = test::run_command(
        with_fit, {"gof", "--fit", "fit.json", "--networks", "10", "-q", "--csv", "g.csv"});
    ASSERT_EQ(gof.status, exit_ok) << gof.err;
    EXPECT_NE(gof.files.at("g.csv").find("simmelianties"), std::string::npos);
  }
}

TEST(PartnerTriadTermsCli, TermsOfTheOtherKindAreRefusedWithTheTermToUse) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"desp(1)", "desp is a term of a directed network; on this network use esp"},
      {"dgwnsp(0.5, fixed=TRUE)", "on this network use gwnsp"},
      {"transitive", "transitive is a term of a directed network"},
      {"esp(1, type=\"OSP\")", "argument type: an undirected network has one type"},
      {"cycle(2)", "argument k"},
  };
  for (const auto& [model, message] : cases) {
    const test::CommandRun run = test::run_command(
        florentine_files(), {"summary", "marriage.net", "--undirected", "-m", model});
    EXPECT_EQ(run.status, exit_usage) << model;
    EXPECT_NE(run.err.find(message), std::string::npos) << model << ": " << run.err;
  }
}

}  // namespace
}  // namespace tarn
