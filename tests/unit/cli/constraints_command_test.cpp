// --constraints on the command line: draws from a fit stay inside its space, Godambe errors over
// the free dyads, and a table of bad inputs (one row per kind: which terms are functions of the
// degrees is DegreeConstraintTerms'), each refused with status 2 and a message naming the option
// and what is wrong.
#include <gtest/gtest.h>

#include <cmath>
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

using test::CommandRun;
using test::Files;
using test::run_command;

// The marriages, with Pucci (an isolate) in a block of its own.
Files florentine() {
  return {{"f.net", test::example("florentine_marriage.net")},
          {"part.csv", test::pucci_apart()},
          {"free.csv", "Medici,Pucci\nPucci,Strozzi\n"},
          {"present.csv", "Medici Albizzi\n"}};
}

// The command (first of `tail`) on the marriages, then the rest of `tail`.
std::vector<std::string> args(const std::vector<std::string>& tail) {
  std::vector<std::string> a = {tail.front(), "f.net", "--undirected", "--attributes", "part.csv"};
  a.insert(a.end(), tail.begin() + 1, tail.end());
  return a;
}

// A fit keeps its constraints in its JSON results, and every network drawn from it keeps degree 6
// at most and Pucci apart. (Draws within each space against the exact distribution:
// ConstrainedSampler.VisitsMatchTheExactDistributionWithinTheSpace.)
TEST(ConstraintsCommand, NetworksDrawnFromAFitKeepItsConstraints) {
  Files files = florentine();
  const std::string space = "bd(maxout=6) + blockdiag(\"part\")";
  const CommandRun fit = run_command(
      files, args({"fit", "-m", "edges", "--constraints", space, "--json", "fit.json", "-q"}));
  ASSERT_EQ(fit.status, exit_ok) << fit.err;
  EXPECT_EQ(nlohmann::json::parse(fit.files.at("fit.json"))["command"]["constraints"], space);
  files["fit.json"] = fit.files.at("fit.json");
  const CommandRun drawn =
      run_command(files, {"simulate", "--fit", "fit.json", "--networks", "30", "--out", "s", "-q"});
  ASSERT_EQ(drawn.status, exit_ok) << drawn.err;
  int networks = 0;
  for (const auto& [name, links] : test::drawn_links(drawn, "s")) {
    ++networks;
    std::map<std::string, int> degree;
    for (const auto& [a, b] : links) ++degree[a], ++degree[b];
    EXPECT_EQ(degree.count("Pucci"), 0u) << name;
    for (const auto& [node, d] : degree) EXPECT_LE(d, 6) << name << " " << node;
  }
  EXPECT_EQ(networks, 30);
}

// Godambe errors from networks drawn over the free dyads of edges alone (whose estimate, their
// log-odds, FreeDyads and OffsetsCommand check): the pseudo-score of a dyad-independent model is
// its score, so they are the exact 1 / sqrt(105 p (1 - p)) within Monte Carlo error. 20
// marriages; blockdiag frees the 105 pairs among the 15 families other than Pucci.
TEST(ConstraintsCommand, GodambeErrorsOverTheFreeDyadsAreExact) {
  const double p = 20.0 / 105.0;
  const CommandRun g = run_command(
      florentine(),
      args({"fit", "-m", "edges", "--constraints", "blockdiag(\"part\")", "--se", "godambe",
            "--replicates", "800", "--seed", "4", "--json", "g.json", "-q"}));
  ASSERT_EQ(g.status, exit_ok) << g.err;
  const auto godambe = nlohmann::json::parse(g.files.at("g.json"));
  EXPECT_EQ(godambe["standard_errors"]["method"], "godambe");
  const double se = 1.0 / std::sqrt(105.0 * p * (1.0 - p));
  EXPECT_NEAR(godambe["parameters"][0]["std_error"].get<double>(), se, 0.1 * se);
}

TEST(ConstraintsCommand, BadInputIsRefusedWithItsReason) {
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"fit", "-m", "edges", "--constraints", "degreedist"},
       "--constraints degreedist: no constraint degreedist (offered: bd, blockdiag, degrees, "
       "edges, "
       "fixallbut, fixedas, idegrees, observed, odegrees)"},
      {{"fit", "-m", "triangle", "--constraints", "odegrees"},
       "--constraints odegrees: an undirected network has one degree a node: give degrees"},
      {{"fit", "-m", "edges + triangle", "--constraints", "degrees"},
       "--constraints degrees: the term edges is a function of the degrees that degrees fixes"},
      {{"fit", "-m", "triangle", "--constraints", "degrees + edges"},
       "--constraints degrees + edges: edges with degrees: the degrees fix the link count"},
      {{"fit", "-m", "triangle", "--constraints", "bd(maxout=6) + degrees"},
       "bd with degrees: degree bounds and fixed degrees are not offered together"},
      {{"fit", "-m", "triangle", "--constraints", "degrees(1)"},
       "--constraints degrees(1): takes no arguments"},
      {{"fit", "-m", "edges + triangle", "--constraints", "edges"},
       "--constraints edges: the term edges is constant under the edges constraint"},
      {{"fit", "-m", "edges", "--constraints", "bd(maxout=-1)"},
       "--constraints bd(maxout=-1): maxout=-1: give a whole number, 0 or more"},
      {{"fit", "-m", "edges", "--constraints", "bd(most=3)"},
       "--constraints bd(most=3): no argument most (it takes maxout, maxin, minout, minin)"},
      {{"fit", "-m", "edges", "--constraints", "bd(maxin=3)"},
       "an undirected network's degree is bounded by maxout and minout"},
      {{"fit", "-m", "edges", "--constraints", "bd(maxout=4)"},
       "--constraints bd(maxout=4): the observed network breaks maxout=4: node \"Medici\" has "
       "degree 6"},
      {{"simulate", "-m", "edges", "--coef", "-1", "--constraints", "blockdiag(\"wealth\")"},
       "--constraints blockdiag(\"wealth\"): no node attribute \"wealth\""},
      {{"fit", "-m", "edges", "--constraints", "fixallbut(\"none.csv\")"},
       "cannot read the file \"none.csv\""},
      {{"fit", "-m", "edges", "--constraints", "fixedas(present=\"free.csv\")"},
       "present dyad \"Medici\" \"Pucci\" (file \"free.csv\") holds no link in the observed "
       "network"},
      {{"fit", "-m", "edges", "--constraints", "bd(maxout=7"}, "--constraints bd(maxout=7: "},
      {{"fit", "-m", "edges", "--constraints", "fixedas(present=\"present.csv\")", "--method",
        "ee"},
       "equilibrium expectation does not keep to the constraints yet"},
      {{"fit", "-m", "edges", "--constraints", "bd(maxout=6)", "--dyad-sample", "50"},
       "--dyad-sample: the sample of dyads does not keep to --constraints bd(maxout=6)"},
  };
  for (const auto& c : cases) {
    const CommandRun r = run_command(florentine(), args(c.arguments));
    SCOPED_TRACE(c.message);
    EXPECT_EQ(r.status, exit_usage) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace tarn
