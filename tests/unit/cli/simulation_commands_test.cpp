// The commands that simulate (what they write, and the bootstrap's errors:
// Recorded.simulate_advice, Recorded.mple_bootstrap): the same bytes for any number of threads, and
// their refusals (a model without a network distribution, a degenerate model, an estimate that does
// not exist).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/exit_status.h"
#include "support/repository.h"
#include "support/run_folder.h"
#include "support/temporary_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::Files;
using test::run_command;
namespace fs = std::filesystem;

Files advice() {
  return {{"advice.dat", test::example("advice.dat")},
          {"attributes.dat", test::example("attributes.dat")}};
}

// Every command that draws networks: one seed gives the same bytes for one thread or two.
TEST(SimulationCommands, SameSeedSameBytesForOneOrTwoThreads) {
  const std::vector<std::vector<std::string>> commands = {
      {"simulate", "advice.dat", "-m", "edges,mutual,edges@1", "--attributes", "attributes.dat",
       "--block-by", "1", "--networks", "30", "--stats", "-", "--seed", "5"},
      {"fit", "advice.dat", "-m", "edges,mutual,edges@1", "--attributes", "attributes.dat",
       "--block-by", "1", "--se", "bootstrap", "--replicates", "40", "--json", "-", "--seed", "5"},
      {"fit", "advice.dat", "-m", "edges,mutual", "--se", "godambe", "--replicates", "40", "--csv",
       "-"},
      {"gof", "advice.dat", "-m", "edges,mutual", "--networks", "30", "--csv", "-"},
      {"fit", "advice.dat", "-m", "edges + mutual + gwesp(0.5, fixed=TRUE)", "--method", "mcmle",
       "--json", "-", "--seed", "7"},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(command[0] + " " + command[2]);
    std::vector<std::string> one = command, two = command;
    one.insert(one.end(), {"--threads", "1"});
    two.insert(two.end(), {"--threads", "2"});
    const CommandRun a = run_command(advice(), one), b = run_command(advice(), two);
    EXPECT_EQ(a.out, b.out);
    EXPECT_FALSE(a.out.empty());
    EXPECT_EQ(a.status, exit_ok) << a.err;
  }
}

// gof compares the draws with the observed network and has nothing to show of a degenerate
// model's; simulate writes the networks the model describes, warning with their figures.
TEST(SimulationCommands, ADegenerateModelStopsGofWithItsFiguresAndSimulateWarns) {
  for (auto [command, output] : {std::pair{"simulate", "--stats"}, {"gof", "--csv"}}) {
    const CommandRun r = run_command(advice(), {command, "advice.dat", "-m", "edges,mutual,ttriple",
                                                "--networks", "20", output, "g.csv", "-q"});
    EXPECT_NE(r.err.find("The fitted model is degenerate"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("190 observed"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("triad models (ttriple)"), std::string::npos) << r.err;
    if (std::string(command) == "gof") {
      EXPECT_EQ(r.status, exit_fit_problem);
      EXPECT_EQ(r.files, advice());  // nothing written
    } else {
      EXPECT_EQ(r.status, exit_ok) << r.err;
      ASSERT_EQ(r.files.count("g.csv"), 1u);
      // The header, the observed row and the 20 networks drawn.
      const std::string& stats = r.files.at("g.csv");
      EXPECT_EQ(std::count(stats.begin(), stats.end(), '\n'), 22) << stats;
    }
  }
}

// Links only within the two blocks of attribute 1's split into 1 and 2..3, fitted with edges
// and the edges within blocks: the statistics separate the dyads, and no estimate exists.
Files separated_network() {
  std::string network = "(2I5,I3)\n";
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j)
      if (i != j && (i <= 3) == (j <= 3) && (i + j) % 2 == 1) {
        char line[32];
        network.append(line, std::size_t(std::snprintf(line, sizeof line, "%5d%5d%3d\n", i, j, 1)));
      }
  return {{"net.dat", network}, {"blocks.csv", "id,side\n1,a\n2,a\n3,a\n4,b\n5,b\n6,b\n"}};
}

// The CSV names the errors it holds: naive after a --se that could not simulate. (The results of
// an estimate that does not exist: Recorded.mple_no_estimate.)
TEST(SimulationCommands, TheResultsNameTheErrorsGiven) {
  const CommandRun failed =
      run_command(advice(), {"fit", "advice.dat", "-m", "edges,mutual,ttriple", "--se", "godambe",
                             "--replicates", "20", "--csv", "-"});
  EXPECT_EQ(failed.status, exit_fit_problem);
  EXPECT_NE(failed.err.find("The godambe errors were not computed"), std::string::npos)
      << failed.err;
  EXPECT_NE(failed.out.find("ttriple,"), std::string::npos);
  EXPECT_EQ(failed.out.find("godambe"), std::string::npos) << failed.out;
  EXPECT_NE(failed.out.find(",naive,converged,mple,NA,TRUE,FALSE\n"), std::string::npos)
      << failed.out;
}

// simulate and gof draw from the fit only when it gives an estimate; otherwise they say why, as
// fit does, and end with the status of a fit problem.
TEST(SimulationCommands, AFitWithoutAnEstimateStopsSimulateAndGof) {
  for (auto [command, output] : {std::pair{"simulate", "--stats"}, {"gof", "--csv"}}) {
    SCOPED_TRACE(command);
    const CommandRun r = run_command(separated_network(),
                                     {command, "net.dat", "-m", "edges,edges@1", "--attributes",
                                      "blocks.csv", "--block-by", "side", output, "out.csv", "-q"});
    EXPECT_EQ(r.status, exit_fit_problem) << r.err;
    EXPECT_NE(r.err.find("The pseudo-likelihood estimate does not exist"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("edges -1.000, edges@1 +1.000"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--coef"), std::string::npos) << r.err;
    EXPECT_EQ(r.files, separated_network());  // nothing written
  }
}

TEST(SimulateCommand, AFailingRunLeavesNoFolderAndNoTemporaryFile) {
  // A folder outside the run's folder, to see what --out leaves behind.
  const test::TemporaryFolder folder;
  const std::string deep = (folder.path() / "deep" / "sample").string();
  struct Failing {
    const char* what;
    Files files;
    std::vector<std::string> arguments;
    int status;
    std::string message;  // a part of standard error
  };
  const std::vector<Failing> runs = {
      {"link store filled",
       {},
       {"simulate", "--nodes", "1100", "--undirected", "-m", "edges", "--coef", "10", "--burnin",
        "3000000", "--networks", "2", "--out", deep, "-q"},
       exit_fit_problem,
       "within the capacity of 500000 links"},
      {"link store filled, folder there",
       {},
       {"simulate", "--nodes", "1100", "--undirected", "-m", "edges", "--coef", "10", "--burnin",
        "3000000", "--networks", "2", "--out", folder.path().string(), "--stats", "s.csv", "-q"},
       exit_fit_problem,
       "within the capacity of 500000 links"},
      {"a model without a network distribution",
       advice(),
       {"simulate", "advice.dat", "-m", "edges,mutual,ttriple@1", "--attributes", "attributes.dat",
        "--block-by", "1", "--stats", "s.csv", "--out", deep},
       exit_usage,
       "parameter 3 (ttriple@1): a block parameter of type 6"},
      {"--stats among the networks",
       advice(),
       {"simulate", "advice.dat", "-m", "edges", "--networks", "9", "--out", folder.path().string(),
        "--stats", (folder.path() / "network_3.csv").string()},
       exit_usage,
       "--stats"},
  };
  for (const Failing& run : runs) {
    SCOPED_TRACE(run.what);
    const CommandRun r = run_command(run.files, run.arguments);
    EXPECT_EQ(r.status, run.status) << r.err;
    EXPECT_NE(r.err.find(run.message), std::string::npos) << r.err;
    EXPECT_EQ(r.files, run.files);
    EXPECT_TRUE(fs::is_empty(folder.path()));
  }
}

// A folder of an earlier sample is not mixed with a new one: refused unless --overwrite, which
// replaces its network files and leaves the others.
TEST(SimulateCommand, AnEarlierSampleIsRefusedOrReplacedWhole) {
  Files files = advice();
  files["s/network_4.csv"] = "old";
  files["s/network_5.csv"] = "old";
  files["s/notes.txt"] = "mine";
  const std::vector<std::string> command = {"simulate", "advice.dat", "-m", "edges", "--networks",
                                            "3",        "--out",      "s",  "-q"};
  const CommandRun refused = run_command(files, command);
  EXPECT_EQ(refused.status, exit_usage);
  EXPECT_NE(refused.err.find("--out s: the folder is not empty"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.files, files);
  std::vector<std::string> overwrite = command;
  overwrite.push_back("--overwrite");
  const CommandRun replaced = run_command(files, overwrite);
  ASSERT_EQ(replaced.status, exit_ok) << replaced.err;
  std::vector<std::string> names;
  for (const auto& [name, text] : replaced.files) {
    if (name.starts_with("s/")) names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"s/network_1.csv", "s/network_2.csv",
                                             "s/network_3.csv", "s/notes.txt"}));
}

// A lag-1 autocorrelation lies in [-1, 1]; with too few pairs within the chains it is n/a and
// the run says why; a high one is warned of as fit --se warns of it.
TEST(SimulationCommands, AutocorrelationsAreBoundedAndWarnedOf) {
  for (auto [networks, chains, interval] : {std::tuple{"9", "8", "1024"},
                                            {"10", "8", "1024"},
                                            {"18", "8", "1024"},
                                            {"40", "1", "1"},
                                            {"60", "2", "1024"}}) {
    SCOPED_TRACE(std::string(networks) + " networks, " + chains + " chains");
    const CommandRun r = run_command(
        advice(), {"simulate", "advice.dat", "-m", "edges,mutual", "--networks", networks,
                   "--chains", chains, "--interval", interval, "--seed", "3"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    const bool too_few = std::stoi(networks) - std::stoi(chains) < 10;
    std::istringstream table(r.out);
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
      if (!line.starts_with(" edges ") && !line.starts_with(" mutual ")) continue;
      const std::string acf = line.substr(line.find_last_of(' ') + 1);
      ++rows;
      if (too_few) {
        EXPECT_EQ(acf, "n/a");
      } else {
        EXPECT_LE(std::fabs(std::stod(acf)), 1.0) << line;
      }
    }
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(r.err.find("shown as n/a") != std::string::npos, too_few) << r.err;
    // One toggle between networks: consecutive networks are nearly the same.
    EXPECT_EQ(r.err.find("strongly correlated") != std::string::npos, std::string(interval) == "1")
        << r.err;
  }
}

// Coefficients given on the command line are not called fitted; the hint names the term that
// drives the networks away, from the network the chain ran to (a huge edges coefficient, not the
// model's triangle term; a triangle term that does), and triad terms only when one does (a
// fitted model's: ADegenerateModelStopsGofWithItsFiguresAndSimulateWarns).
TEST(SimulationCommands, TheDegeneracyMessageNamesTheTermThatDrivesIt) {
  const struct {
    const char* coef;
    const char* term;
    bool triads_named;
    const char* where;  // where the networks lie
  } cases[] = {{"1e308,0", "edges", false,
                "100% of the 100 networks drawn lie nearer the complete network (420 links) than "
                "the observed one"},
               {"-3,2", "triangle", true, "The networks drawn lie away from the observed one"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.coef);
    const CommandRun r = run_command(advice(), {"simulate", "advice.dat", "-m", "edges + triangle",
                                                "--coef", c.coef, "-q", "--stats", "s.csv"});
    EXPECT_EQ(r.status, exit_ok);
    EXPECT_NE(r.err.find(c.where), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("These coefficients describe other networks"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::string("The term that drives the networks away is ") + c.term +
                         ": its coefficients times the change of its statistics"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Models with triad terms (triangle)") != std::string::npos, c.triads_named)
        << r.err;
  }
}

}  // namespace
}  // namespace tarn
