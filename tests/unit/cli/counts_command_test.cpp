// Networks of counts on the command line (--response, --reference): equilibrium expectation
// against MCMLE, simulate and gof from a fit's results, and a table of bad input, each refused
// with its status and nothing written. (The statistics and the exact fits of counts are checked
// against brute force and closed forms in the valued layer's tests.)

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "cli/exit_status.h"
#include "support/json_fields.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using test::CommandRun;
using test::run_command;

// E-mails sent between six people.
const std::vector<std::tuple<int, int, int>> emails = {
    {1, 2, 3}, {2, 1, 1}, {1, 3, 2}, {3, 1, 2}, {2, 3, 5}, {3, 4, 1}, {4, 3, 4},
    {4, 5, 2}, {5, 6, 1}, {6, 5, 1}, {6, 1, 7}, {2, 5, 1}, {5, 2, 0}, {3, 6, 2}};

std::string emails_csv() {
  std::string csv = "from,to,emails\n";
  for (const auto& [a, b, n] : emails) {
    csv += std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(n) + "\n";
  }
  return csv;
}

// Equilibrium expectation, MCMLE, and MCMLE from --init of a dependent model of counts agree
// within their errors; the EE fit records its tasks and the check that accepted its estimate
// (simulate takes up a fit of counts: SimulateAndGofTakeUpAFitOfCounts).
TEST(CountsCommand, EquilibriumExpectationAgreesWithMcmle) {
  const std::string model = "sum + nonzero + mutual(form=\"min\")";
  std::map<std::string, nlohmann::json> fits;
  for (const std::string method : {"ee", "mcmle"}) {
    const CommandRun r =
        run_command({{"e.csv", emails_csv()}},
                    {"fit", "e.csv", "--response", "emails", "--reference", "Poisson", "--method",
                     method, "-m", model, "--json", "f.json", "-q"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    fits[method] = nlohmann::json::parse(r.files.at("f.json"));
    EXPECT_EQ(fits[method]["outcome"], "converged") << method;
  }
  // --init: MCMLE starts there instead of contrastive divergence, and gets there too.
  const CommandRun given =
      run_command({{"e.csv", emails_csv()}},
                  {"fit", "e.csv", "--response", "emails", "--reference", "Poisson", "--method",
                   "mcmle", "-m", model, "--init", "0,0,0", "--json", "f.json", "-q"});
  ASSERT_EQ(given.status, exit_ok) << given.err;
  const auto from_zero = nlohmann::json::parse(given.files.at("f.json"));
  EXPECT_EQ(from_zero["mcmle"]["start"]["kind"], "given");
  EXPECT_EQ(fits["mcmle"]["mcmle"]["start"]["kind"], "dyad_independent");
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR(from_zero["parameters"][k]["estimate"].get<double>(),
                fits["mcmle"]["parameters"][k]["estimate"].get<double>(),
                fits["mcmle"]["parameters"][k]["std_error"].get<double>());
  }
  const auto& ee = fits["ee"]["ee"]["equilibrium_expectation"];
  EXPECT_EQ(fits["ee"]["method"], "ee");
  EXPECT_EQ(ee["tasks"], 4);
  EXPECT_TRUE(ee["check"]["passed"].get<bool>());
  for (std::size_t k = 0; k < 3; ++k) {
    const auto& a = fits["ee"]["parameters"][k];
    const auto& b = fits["mcmle"]["parameters"][k];
    const double se = std::hypot(a["std_error"].get<double>(), b["std_error"].get<double>());
    EXPECT_NEAR(a["estimate"].get<double>(), b["estimate"].get<double>(), se) << a["term"];
    EXPECT_NEAR(a["std_error"].get<double>(), b["std_error"].get<double>(),
                0.2 * b["std_error"].get<double>())
        << a["term"];
  }
}

// A fit's results carry --response and --reference: simulate and gof take it up, and the
// networks written read back as counts.
TEST(CountsCommand, SimulateAndGofTakeUpAFitOfCounts) {
  const CommandRun fit =
      run_command({{"e.csv", emails_csv()}},
                  {"fit", "e.csv", "--response", "emails", "--reference", "Poisson", "--method",
                   "mcmle", "-m", "sum + nonzero", "--json", "f.json", "-q"});
  ASSERT_EQ(fit.status, exit_ok) << fit.err;
  const auto json = nlohmann::json::parse(fit.files.at("f.json"));
  EXPECT_EQ(json["input"]["network"]["response"], "emails");
  EXPECT_EQ(json["input"]["network"]["reference"], "Poisson");
  test::Files files = fit.files;
  const CommandRun drawn = run_command(files, {"simulate", "--fit", "f.json", "--networks", "400",
                                               "--stats", "s.csv", "--out", "nets", "-q"});
  ASSERT_EQ(drawn.status, exit_ok) << drawn.err;
  ASSERT_TRUE(drawn.files.count("nets/network_001.csv")) << drawn.err;
  const std::string first = drawn.files.at("nets/network_001.csv");
  EXPECT_EQ(first.substr(0, first.find('\n')), "sender,receiver,emails");
  // A drawn network reads back as counts.
  const CommandRun summary = run_command(
      drawn.files, {"summary", "nets/network_001.csv", "--response", "emails", "-m", "sum"});
  EXPECT_EQ(summary.status, exit_ok) << summary.err;
  const CommandRun gof =
      run_command(files, {"gof", "--fit", "f.json", "--networks", "100", "--csv", "g.csv", "-q"});
  ASSERT_EQ(gof.status, exit_ok) << gof.err;
  const std::string csv = gof.files.at("g.csv");
  for (const char* feature : {"value,", "out_strength,", "in_strength,", "model,"}) {
    EXPECT_NE(csv.find(std::string("\n") + feature), std::string::npos) << feature << "\n" << csv;
  }
}

struct BadCase {
  const char* name;
  std::string file;
  std::vector<std::string> arguments;
  int status;
  const char* message;
};

TEST(CountsCommand, BadInputIsRefusedWithNothingWritten) {
  const std::string good = emails_csv();
  const std::vector<BadCase> cases = {
      {"a count that is not whole",
       "from,to,emails\n1,2,2.5\n",
       {"summary", "e.csv", "--response", "emails", "-m", "sum"},
       exit_bad_input,
       "line 2, column 3: the value \"2.5\" of --response emails is not a count"},
      {"no such column",
       good,
       {"summary", "e.csv", "--response", "calls", "-m", "sum"},
       exit_bad_input,
       "--response names \"calls\", which is no column of the header"},
      {"the sender column",
       good,
       {"summary", "e.csv", "--response", "1", "-m", "sum"},
       exit_bad_input,
       "is the sender or receiver column"},
      {"an undirected pair of two counts",
       "from,to,w\n1,2,3\n2,1,4\n",
       {"summary", "e.csv", "--response", "w", "--undirected", "-m", "sum"},
       exit_bad_input,
       "has the count 4 here and 3 on line 2"},
      {"an unknown reference",
       good,
       {"fit", "e.csv", "--response", "emails", "--reference", "Negbin", "--method", "mcmle", "-m",
        "sum"},
       exit_usage,
       "--reference Negbin: reference Negbin: no such reference"},
      {"Bernoulli with counts above 1",
       good,
       {"fit", "e.csv", "--response", "emails", "--reference", "Bernoulli", "-m", "edges"},
       exit_usage,
       "Bernoulli is the binary model, but --response emails has counts up to 7"},
      {"a count outside Binomial's values",
       good,
       {"fit", "e.csv", "--response", "emails", "--reference", "Binomial(trials=5)", "--method",
        "mcmle", "-m", "sum"},
       exit_usage,
       "the value 7, outside the values of Binomial(trials=5)"},
      {"the pseudo-likelihood",
       good,
       {"fit", "e.csv", "--response", "emails", "--reference", "Poisson", "-m", "sum"},
       exit_usage,
       "--method mple: a model of counts has no pseudo-likelihood"},
      {"equilibrium expectation with a dyad not observed",
       "from,to,emails\n1,2,3\n2,1,NA\n2,3,1\n",
       {"fit", "e.csv", "--response", "emails", "--reference", "Poisson", "--method", "ee", "-m",
        "sum + mutual(form=\"min\")"},
       exit_usage,
       "the network has 1 missing dyads (--missing or values NA): equilibrium expectation does "
       "not leave them out; give --method mcmle"},
      {"a start of another length",
       good,
       {"fit", "e.csv", "--response", "emails", "--reference", "Poisson", "--method", "mcmle", "-m",
        "sum + mutual(form=\"min\")", "--init", "0.1"},
       exit_usage,
       "--init: give 2 coefficients, one per statistic (sum, mutual.min), not 1"},
      {"no reference for a fit",
       good,
       {"fit", "e.csv", "--response", "emails", "--method", "mcmle", "-m", "sum"},
       exit_usage,
       "--response reads counts: give --reference"},
      {"a binary network's term",
       good,
       {"summary", "e.csv", "--response", "emails", "-m", "sum + gwesp(0.5, fixed=TRUE)"},
       exit_usage,
       "gwesp is a term of binary networks"},
      {"a valued term without counts",
       good,
       {"summary", "e.csv", "-m", "sum"},
       exit_usage,
       "sum is a term of valued networks; name the network's column of counts (its response)"},
      {"form= of no form",
       good,
       {"summary", "e.csv", "--response", "emails", "-m", "nodematch(\"x\", form=\"max\")"},
       exit_usage,
       "form must be \"sum\" or \"nonzero\""},
      {"a reference without counts",
       good,
       {"summary", "e.csv", "--reference", "Poisson", "-m", "edges"},
       exit_usage,
       "--reference is the reference measure of a model of counts; name the column of counts "
       "with --response"},
      {"counts of a two-mode network",
       good,
       {"summary", "e.csv", "--response", "emails", "--two-mode", "-m", "sum"},
       exit_usage,
       "models of counts are of one-mode networks"},
  };
  for (const BadCase& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--json", "out.json"});
    const CommandRun r = run_command({{"e.csv", c.file}}, arguments);
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(r.files.count("out.json"), 0u) << c.name;
  }
}

}  // namespace
}  // namespace tarn
