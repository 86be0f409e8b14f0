// ergm's catalogue through the command line, on data the R tool's own tests use: the statistics
// and pseudo-likelihood estimates of ergm's test-term-directed.R, test-term-mm.R and
// test-nodemix.R on Sampson's monks (samplike; every figure whose term reads the network's
// structure or the group attribute: ergm's file of the directed tests holds the monks in another
// node order, so that its figures of node numbers and of the Trinity attribute are not these),
// ergm's test-operators.R checks of F and the interactions on the Florentine marriages, hamming's
// example of test-term-hamming.R, and a model of new terms taken by every layer. (The
// shared-partner and triad terms on the Florentine marriages against brute force: PartnerCountTerms
// and TriadTerms; the pseudo-score at the estimate:
// PseudoScore.ZeroAtTheEstimateAndARefitReturnsIt.)
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iomanip>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "support/florentine_marriages.h"
#include "support/repository.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

test::Files samplike_files() {
  return {{"samplike.net", test::example("samplike.net")},
          {"samplike.csv", test::example("samplike_attributes.csv")}};
}

test::Files florentine_files() {
  return {{"marriage.net", test::example("florentine_marriage.net")},
          {"attributes.csv", test::example("florentine_attributes.csv")}};
}

// A unit of the last digit of a figure as ergm's tests write it: their tolerance, as they give
// figures truncated or rounded; at least 1e-8 of it, as R's glm converges (its figure of
// mm("Trinity", levels2=-(3:9)) is -1.01160091056776 where log(8/22) is -1.01160091167848).
double last_digit(double figure) {
  std::ostringstream digits;
  digits << std::setprecision(15) << figure;
  const std::string text = digits.str();
  const std::size_t dot = text.find('.');
  const double unit =
      dot == std::string::npos ? 1.0 : std::pow(10.0, -double(text.size() - dot - 1));
  return std::max(unit, 1e-8 * (1 + std::fabs(figure)));
}

// The statistics of a summary, by name in order.
std::vector<std::pair<std::string, double>> summary_of(const test::Files& files,
                                                       const std::vector<std::string>& arguments) {
  std::vector<std::string> all = {"summary"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  all.insert(all.end(), {"--json", "-"});
  const test::CommandRun run = test::run_command(files, all);
  EXPECT_EQ(run.status, exit_ok) << run.err;
  std::vector<std::pair<std::string, double>> statistics;
  if (run.status != exit_ok) return statistics;
  const nlohmann::json json = nlohmann::json::parse(run.out);
  for (const auto& s : json["statistics"]) {
    statistics.emplace_back(s["name"].get<std::string>(), s["value"].get<double>());
  }
  return statistics;
}

TEST(ErgmCatalogue, SamplikeStatisticsAsErgmsTestsCountThem) {
  const std::vector<std::pair<std::string, double>> expected = {
      {"asymmetric", 32},
      {"asymmetric.group", 17},
      {"asymmetric.group.Loyal", 7},
      {"asymmetric.group.Outcasts", 2},
      {"asymmetric.group.Turks", 8},
      {"asymmetric.group", 8},        // levels=3
      {"asymmetric.group.Loyal", 7},  // keep=1:2
      {"asymmetric.group.Outcasts", 2},
      {"mutual.group", 23},
      {"mutual.same.group.Loyal", 8},
      {"mutual.same.group.Outcasts", 4},
      {"mutual.same.group.Turks", 11},
      {"mutual.group", 4},  // levels=2
      {"ideg5+", 9},
      {"ideg6+", 6},
      {"ideg7+", 4},
      {"ideg8+", 3},
      {"ideg5+.homophily.group", 5},
      {"ideg6+.homophily.group", 3},
      {"ideg7+.homophily.group", 0},
      {"ideg8+.homophily.group", 0},
      {"odeg5+", 12},
      {"odeg6+", 5},
      {"odeg7+", 0},
      {"odeg8+", 0},
      {"odeg5+.homophily.group", 3},
      {"odeg6+.homophily.group", 0},
      {"odeg7+.homophily.group", 0},
      {"odeg8+.homophily.group", 0},
      {"idegree2", 3},
      {"idegree3", 5},
      {"ideg1.groupLoyal", 0},
      {"ideg2.groupLoyal", 2},
      {"ideg3.groupLoyal", 1},
      {"ideg1.groupOutcasts", 0},
      {"ideg2.groupOutcasts", 1},
      {"ideg3.groupOutcasts", 2},
      {"ideg1.groupTurks", 0},
      {"ideg2.groupTurks", 0},
      {"ideg3.groupTurks", 2},
      {"ideg4.homophily.group", 3},
      {"ideg5.homophily.group", 2},
      {"odeg4.homophily.group", 6},
      {"odeg5.homophily.group", 3},
      {"idegree1.5", 214.6542655},
      {"odegree1.5", 196.9432239},
      {"istar1", 88},
      {"istar2", 233},
      {"istar3", 455},
      {"istar2.group", 100},
      {"ostar1", 88},
      {"ostar2", 178},
      {"ostar3", 191},
      {"ostar2.group", 88},
      {"nodeifactor.group.Outcasts", 13},
      {"nodeifactor.group.Turks", 46},
      {"nodeofactor.group.Outcasts", 18},
      {"nodeofactor.group.Turks", 36},
      {"gwideg.fixed.0.3", 23.89614},
      {"gwideg0.1.groupLoyal", 7.715119},
      {"gwideg0.1.groupOutcasts", 4.408762},
      {"gwideg0.1.groupTurks", 7.734290},
      {"gwodeg.fixed.0.3", 24.23040},
      {"gwodeg0.1.groupLoyal", 7.735906},
      {"gwodeg0.1.groupOutcasts", 4.419631},
      {"gwodeg0.1.groupTurks", 7.736070},
      // test-term-mm.R: the Trinity mixing matrix, the row level varying fastest.
      {"mm[Trinity=F,Trinity=F]", 8},
      {"mm[Trinity=H,Trinity=F]", 12},
      {"mm[Trinity=S,Trinity=F]", 12},
      {"mm[Trinity=F,Trinity=H]", 8},
      {"mm[Trinity=H,Trinity=H]", 5},
      {"mm[Trinity=S,Trinity=H]", 9},
      {"mm[Trinity=F,Trinity=S]", 13},
      {"mm[Trinity=H,Trinity=S]", 12},
      {"mm[Trinity=S,Trinity=S]", 9},
      // test-nodemix.R: samplike's group mixing matrix.
      {"mix.group.Loyal.Loyal", 23},
      {"mix.group.Outcasts.Loyal", 1},
      {"mix.group.Turks.Loyal", 5},
      {"mix.group.Loyal.Outcasts", 2},
      {"mix.group.Outcasts.Outcasts", 10},
      {"mix.group.Turks.Outcasts", 1},
      {"mix.group.Loyal.Turks", 9},
      {"mix.group.Outcasts.Turks", 7},
      {"mix.group.Turks.Turks", 30},
  };
  const std::string formula =
      "asymmetric + asymmetric(\"group\") + asymmetric(~group, diff=TRUE) + "
      "asymmetric(\"group\", levels=3) + asymmetric(~group, diff=TRUE, keep=1:2) + "
      "mutual(same=\"group\") + mutual(same=\"group\", diff=TRUE) + mutual(same=\"group\", "
      "levels=2) + idegrange(5:8) + idegrange(5:8, by=\"group\", homophily=TRUE) + "
      "odegrange(5:8) + odegrange(5:8, by=\"group\", homophily=TRUE) + idegree(2:3) + "
      "idegree(1:3, \"group\") + idegree(4:5, \"group\", TRUE) + odegree(4:5, ~group, TRUE) + "
      "idegree1.5 + odegree1.5 + istar(1:3) + istar(2, \"group\") + ostar(1:3) + "
      "ostar(2, \"group\") + nodeifactor(\"group\") + nodeofactor(\"group\") + "
      "gwidegree(.3, fixed=TRUE) + gwidegree(.1, TRUE, \"group\") + gwodegree(.3, fixed=TRUE) + "
      "gwodegree(.1, TRUE, ~group) + mm(\"Trinity\", levels2=TRUE) + nodemix(\"group\", "
      "levels2=TRUE)";
  const auto statistics =
      summary_of(samplike_files(), {"samplike.net", "--attributes", "samplike.csv", "-m", formula});
  ASSERT_EQ(statistics.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(statistics[k].first, expected[k].first) << k;
    EXPECT_NEAR(statistics[k].second, expected[k].second, last_digit(expected[k].second))
        << expected[k].first;
  }
}

// ergm's pseudo-likelihood estimates, to the digits its tests give.
TEST(ErgmCatalogue, SamplikePseudoLikelihoodAsErgmsTestsFitIt) {
  const std::vector<std::pair<std::string, std::vector<double>>> fits = {
      {"asymmetric", {-1.33}},
      {"asymmetric(\"group\")", {-0.6008}},
      {"asymmetric(~group, diff=TRUE)", {-.6931, -.6931, -.4855}},
      {"asymmetric(\"group\", levels=3)", {-.4855}},
      {"asymmetric(\"group\", diff=TRUE, keep=c(1,3))", {-.6931, -.4855}},
      {"idegrange(5:8)", {0.1431, -1.0986, -1.1451, -0.2231}},
      {"idegree(2)", {1.223775}},
      {"idegree(2, ~group, TRUE)", {.3448}},
      {"idegree1.5", {-.2387}},
      {"odegree1.5", {-0.2909}},
      {"istar(c(2,4))", {-.28615, .02477}},
      {"istar(2, \"group\")", {.2401}},
      {"mutual", {.5596}},
      {"mutual(same=\"group\")", {.9954}},
      {"mutual(same=\"group\", diff=TRUE)", {.8267, 1.3863, 1.0116}},
      {"mutual(same=~group, levels=1)", {.8266}},
      {"odegree(3)", {-.1625189}},
      {"odegree(4, \"group\")", {1.6292, -0.1112, -0.1625}},
      {"odegree(2, \"group\", TRUE)", {-1.344}},
      {"ostar(c(2,4))", {.1224, -.1986}},
      {"ostar(2, \"group\")", {.1466}},
      {"gwidegree(.4, fixed=TRUE)", {-5.783202}},
      {"gwidegree(.2, fixed=TRUE)", {-2.247936}},
      {"gwidegree(.5, TRUE, \"group\")", {-5.460448, -5.754111, -6.144961}},
      {"gwodegree(.4, fixed=TRUE)", {-1.990492}},
      {"gwodegree(.2, fixed=TRUE)", {43.61801}},
      {"gwodegree(.5, TRUE, \"group\")", {-4.1860720, -5.9706455, -0.4921623}},
      {"nodeifactor(~group)", {-1.4424, -.4618}},
      {"nodeofactor(~group)", {-1.0217, -.8353}},
      // test-term-mm.R: exact figures of the R tool (dyad-independent: the MLE).
      {"mm(\"group\", levels2=TRUE)",
       {0.191055236762708, -3.29583686600359, -2.17475172140943, -2.5649493574587, 1.6094379124341,
        -3.29583686600359, -1.49165487677766, -1.09861228866811, 0.916290731874155}},
      {"mm(\"Trinity\", levels2=-(3:9))", {-1.01160091056776, -0.693147180549145}},
  };
  for (const auto& [model, estimates] : fits) {
    const test::CommandRun run =
        test::run_command(samplike_files(), {"fit", "samplike.net", "--attributes", "samplike.csv",
                                             "-m", model, "-q", "--json", "f.json"});
    ASSERT_EQ(run.status, exit_ok) << model << ": " << run.err;
    const nlohmann::json parameters = nlohmann::json::parse(run.files.at("f.json"))["parameters"];
    ASSERT_EQ(parameters.size(), estimates.size()) << model;
    for (std::size_t k = 0; k < estimates.size(); ++k) {
      EXPECT_NEAR(parameters[k]["estimate"].get<double>(), estimates[k], last_digit(estimates[k]))
          << model << " " << k;
    }
  }
}

// The Florentine families' marriages and wealth, read from the example files.
struct Florentine {
  std::vector<std::pair<int, int>> edges;
  std::map<int, double> wealth;  // by vertex number
};

Florentine florentine() {
  const test::Marriages m = test::florentine_marriages();
  Florentine f{m.edges, {}};
  std::map<std::string, int> vertex;
  for (int k = 1; k <= int(m.families.size()); ++k) vertex[m.family(k)] = k;
  std::string line;
  std::istringstream table(test::example("florentine_attributes.csv"));
  std::getline(table, line);
  while (std::getline(table, line)) {
    const std::size_t comma = line.find(',');
    f.wealth[vertex.at(line.substr(0, comma))] = std::stod(line.substr(comma + 1));
  }
  return f;
}

// test-operators.R: F with a filter compared with a number counts the edges and their absolute
// differences of wealth where the comparison holds; edges:absdiff is absdiff, edges*absdiff is
// edges, absdiff and absdiff again.
TEST(ErgmCatalogue, FlorentineFiltersAndInteractionsAsErgmsTestsCheckThem) {
  const Florentine f = florentine();
  const std::vector<std::string> comparisons = {"== 93", "< 5", "!= 5", "<= 5", "> 5", ">= 5"};
  std::string formula;
  std::vector<double> expected;
  for (const std::string& comparison : comparisons) {
    formula += (formula.empty() ? "" : " + ") +
               std::string("F(~edges + absdiff(\"wealth\"), ~absdiff(\"wealth\") ") + comparison +
               ")";
    double edges = 0, sum = 0;
    for (const auto& [a, b] : f.edges) {
      const double m = std::fabs(f.wealth.at(a) - f.wealth.at(b));
      const std::string op = comparison.substr(0, comparison.find(' '));
      const double bound = std::stod(comparison.substr(comparison.find(' ') + 1));
      const bool holds = op == "=="   ? m == bound
                         : op == "<"  ? m < bound
                         : op == "!=" ? m != bound
                         : op == "<=" ? m <= bound
                         : op == ">"  ? m > bound
                                      : m >= bound;
      edges += holds ? 1 : 0;
      sum += holds ? m : 0;
    }
    expected.push_back(edges);
    expected.push_back(sum);
  }
  formula += " + edges:absdiff(\"wealth\") + absdiff(\"wealth\"):edges + edges*absdiff(\"wealth\")";
  double absdiff = 0;
  for (const auto& [a, b] : f.edges) absdiff += std::fabs(f.wealth.at(a) - f.wealth.at(b));
  for (double v : {absdiff, absdiff, double(f.edges.size()), absdiff, absdiff}) {
    expected.push_back(v);
  }
  const auto statistics =
      summary_of(florentine_files(),
                 {"marriage.net", "--undirected", "--attributes", "attributes.csv", "-m", formula});
  ASSERT_EQ(statistics.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_DOUBLE_EQ(statistics[k].second, expected[k]) << statistics[k].first;
  }
  EXPECT_EQ(statistics[0].first, "F(absdiff(\"wealth\")==93)~edges");
  EXPECT_EQ(statistics[1].first, "F(absdiff(\"wealth\")==93)~absdiff.wealth");
  EXPECT_EQ(statistics[12].first, "edges:absdiff.wealth");
  EXPECT_EQ(statistics[13].first, "absdiff.wealth:edges");
  EXPECT_EQ(statistics[16].first, "edges:absdiff.wealth");
}

// test-term-hamming.R: two networks of 5 nodes differing in two dyads; the observed network is
// hamming's default and at distance 0 from itself; a square matrix file is the same covariate
// as its edge list.
TEST(ErgmCatalogue, HammingAndMatrixCovariates) {
  const test::Files files = {
      {"net1.csv", "from,to\n1,2\n2,3\n1,3\n1,5\n"},
      {"net2.csv", "from,to\n1,2\n2,3\n1,3\n2,5\n"},
      {"net2.txt", "0 1 1 0 0\n0 0 1 0 1\n0 0 0 0 0\n0 0 0 0 0\n0 0 0 0 0\n"},
      {"labelled.csv",
       ",5,4,3,2,1\n1,0,0,1,1,0\n2,1,0,1,0,0\n3,0,0,0,0,0\n4,0,0,0,0,0\n"
       "5,0,0,0,0,0\n"}};
  const auto statistics = summary_of(
      files, {"net1.csv", "-m",
              "hamming(\"net2.csv\") + hamming + hamming(\"net2.txt\") + "
              "edgecov(\"net2.csv\") + edgecov(\"net2.txt\") + edgecov(\"labelled.csv\") + "
              "dyadcov(\"net2.txt\")"});
  const std::vector<std::pair<std::string, double>> expected = {
      {"hamming.net2", 2},
      {"hamming", 0},
      {"hamming.net2", 2},
      {"edgecov.net2", 3},
      {"edgecov.net2", 3},
      {"edgecov.labelled", 3},
      // The pairs 1-2, 2-3 and 1-3 of net1 hold one link each, from the lower node: upper.
      {"dyadcov.net2.mutual", 0},
      {"dyadcov.net2.utri", 3},
      {"dyadcov.net2.ltri", 0}};
  EXPECT_EQ(statistics, expected);
}

// A model of new terms through the pseudo-likelihood, maximum likelihood by MCMC, equilibrium
// expectation, simulate and gof: every layer asks the term table alone.
// ergm's test-term-b12nodematch.R: its two-mode network of 15 + 13 nodes (each row an event,
// then the actor who attended it) and the discounted two-mode nodematch terms.
TEST(ErgmCatalogue, TwoModeNodematchAsErgmsTestsCountIt) {
  const std::vector<int> events = {17, 20, 22, 26, 19, 24, 16, 22, 18, 23, 28, 20, 22,
                                   23, 17, 21, 25, 21, 27, 16, 19, 18, 23, 26, 16};
  const std::vector<int> actors = {1, 1, 2, 2, 3, 3, 4,  4,  5,  5,  5, 6, 6,
                                   6, 7, 7, 7, 8, 9, 10, 10, 11, 11, 4, 2};
  test::Files files = {{"mynw.csv", "from,to\n"}, {"names.csv", "id,names\n"}};
  for (std::size_t k = 0; k < events.size(); ++k) {
    files["mynw.csv"] += std::to_string(events[k]) + "," + std::to_string(actors[k]) + "\n";
  }
  for (int node = 1; node <= 28; ++node) {
    files["names.csv"] += std::to_string(node) + "," + (node <= 10 ? "a" : node <= 20 ? "b" : "c");
    files["names.csv"] += "\n";
  }
  const std::vector<std::pair<std::string, std::vector<double>>> cases = {
      {"b1nodematch(\"names\", beta=1)", {12}},
      {"b1nodematch(\"names\", beta=0)", {9}},
      {"b2nodematch(\"names\", beta=1)", {7}},
      {"b2nodematch(\"names\", beta=0)", {7}},
      {"b1nodematch(\"names\", diff=TRUE, levels=1, beta=1)", {12}},
      {"b1nodematch(\"names\", diff=TRUE, keep=1, beta=0)", {9}},
      {"b2nodematch(\"names\", diff=TRUE, levels=2, beta=1)", {5}},
      {"b2nodematch(\"names\", diff=TRUE, keep=2, beta=0)", {5}},
      {"b1nodematch(\"names\", diff=TRUE, alpha=0)", {10, 0}},
      {"b1nodematch(\"names\", diff=FALSE, alpha=0)", {10}},
      {"b2nodematch(\"names\", diff=TRUE, alpha=0)", {2, 4}},
      {"b2nodematch(\"names\", diff=FALSE, alpha=0)", {6}},
  };
  for (const auto& [formula, expected] : cases) {
    std::vector<double> values;
    for (const auto& [name, value] :
         summary_of(files, {"mynw.csv", "--bipartite", "15", "--nodes", "28", "--attributes",
                            "names.csv", "-m", formula})) {
      values.push_back(value);
    }
    EXPECT_EQ(values, expected) << formula;
  }
}

TEST(ErgmCatalogue, EveryLayerTakesTheNewTerms) {
  const std::string model =
      "edges + mutual(same=\"group\") + idegree1.5 + F(~edges, ~nodematch(\"group\")) + "
      "nodematch(\"group\"):nodeofactor(\"cloisterville\") + "
      "dgwnsp(0.5, fixed=TRUE, type=\"OSP\") + simmelianties + cycle(3) + "
      "triadcensus(levels=\"030T\")";
  const std::vector<std::string> names = {"edges",
                                          "mutual.group",
                                          "idegree1.5",
                                          "F(nodematch(\"group\"))~edges",
                                          "nodematch.group:nodeofactor.cloisterville.TRUE",
                                          "gwnsp.OSP.fixed.0.5",
                                          "simmelianties",
                                          "cycle3",
                                          "triadcensus.030T"};
  for (const char* method : {"mple", "mcmle", "ee"}) {
    const test::CommandRun fit = test::run_command(
        samplike_files(), {"fit", "samplike.net", "--attributes", "samplike.csv", "-m", model,
                           "--method", method, "--seed", "3", "-q", "--json", "fit.json"});
    ASSERT_EQ(fit.status, exit_ok) << method << ": " << fit.err;
    const nlohmann::json parameters = nlohmann::json::parse(fit.files.at("fit.json"))["parameters"];
    ASSERT_EQ(parameters.size(), names.size());
    for (std::size_t k = 0; k < names.size(); ++k) EXPECT_EQ(parameters[k]["term"], names[k]);
    // The within-group links weigh more than the others, by either estimator.
    EXPECT_GT(parameters[3]["estimate"].get<double>(), 1.0) << method;
    if (std::string(method) != "mcmle") continue;
    test::Files with_fit = samplike_files();
    with_fit["fit.json"] = fit.files.at("fit.json");
    const test::CommandRun simulate = test::run_command(
        with_fit, {"simulate", "--fit", "fit.json", "--networks", "10", "-q", "--stats", "s.csv"});
    ASSERT_EQ(simulate.status, exit_ok) << simulate.err;
    EXPECT_NE(simulate.files.at("s.csv").find("\"F(nodematch(\"\"group\"\"))~edges\""),
              std::string::npos);
    EXPECT_NE(simulate.files.at("s.csv").find("triadcensus.030T"), std::string::npos);
    const test::CommandRun gof = test::run_command(
        with_fit, {"gof", "--fit", "fit.json", "--networks", "10", "-q", "--csv", "g.csv"});
    ASSERT_EQ(gof.status, exit_ok) << gof.err;
    EXPECT_NE(gof.files.at("g.csv").find("model,mutual.group"), std::string::npos);
    EXPECT_NE(gof.files.at("g.csv").find("simmelianties"), std::string::npos);
  }
}

// Wrong arguments are usage errors that name the term and the argument (the messages that every
// term shares, such as a term of the other kind, positions out of range or an argument needed:
// Formula.WrongTermsAndArgumentsSayWhy).
TEST(ErgmCatalogue, WrongArgumentsNameTheTermAndTheArgument) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"mutual(same=\"group\", by=\"Trinity\")", "argument by: give same= or by=, not both"},
      {"mutual(diff=TRUE)", "argument diff: it goes with same= or by="},
      {"idegree(1, homophily=TRUE)", "argument homophily: it needs by="},
      {"idegrange(3, to=2)", "argument to: give to= greater than from="},
      {"gwidegree(0.5, attr=\"group\")", "argument fixed: with attr= the decay is fixed"},
      {"diff(\"group\")", "is not a number"},
      {"mm(\"group\", levels2=-(1:9))", "argument levels2: it keeps no cell"},
      {"mm(age~group)", "no attribute \"age\""},
      {"F(~edges, ~mutual)", "mutual is not dyad-independent"},
      {"F(~edges, ~nodemix(\"group\"))", "a filter has one"},
      {"F(~edges, ~nodematch(\"group\") ~ 2)", "give one term, not a formula with '~'"},
      {"edges:mutual", "change statistic interactions are poorly defined"},
      {"edges:hamming", "is not 0 on the empty network"},
      {"Sum(list(~edges, ~nodefactor(\"group\")), \"s\")",
       "argument formulas: the formulas give different numbers of statistics (1 and 2)"},
      {"Sum(~edges + mutual, c(\"a\", \"b\", \"c\"))", "argument label: give one label, or 2"},
      {"Sum(~gwesp(0.5), \"g\")", "is curved"},
      {"sender(nodes=-(1:18))", "argument nodes: it keeps no node"},
  };
  for (const auto& [model, message] : cases) {
    const test::CommandRun run = test::run_command(
        samplike_files(), {"summary", "samplike.net", "--attributes", "samplike.csv", "-m", model});
    EXPECT_EQ(run.status, exit_usage) << model;
    EXPECT_NE(run.err.find(message), std::string::npos) << model << ": " << run.err;
  }
  const std::vector<std::pair<std::string, std::string>> undirected = {
      {"altkstar(2)", "argument fixed: altkstar with its lambda estimated"},
      {"altkstar(0, fixed=TRUE)", "argument lambda: give a positive number"},
      {"concurrent(by=\"wealth\", levels=\"x\")", "argument levels: no level \"x\""},
      {"diff(\"wealth\", dir=\"up\")", "argument dir: give \"t-h\""},
      {"diff(\"wealth\", pow=0.5)", "argument pow: with negative differences kept"},
      {"sociality(levels=2)", "argument levels: it chooses levels of attr="},
      {"degrange(1:3, to=c(4, 5))", "argument to: give as many values as from=, or one"},
  };
  for (const auto& [model, message] : undirected) {
    const test::CommandRun run = test::run_command(
        florentine_files(),
        {"summary", "marriage.net", "--undirected", "--attributes", "attributes.csv", "-m", model});
    EXPECT_EQ(run.status, exit_usage) << model;
    EXPECT_NE(run.err.find(message), std::string::npos) << model << ": " << run.err;
  }
}

}  // namespace
}  // namespace tarn
