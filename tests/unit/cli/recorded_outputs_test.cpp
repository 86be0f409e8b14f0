// Every output of the command line on the shared data sets, compared byte for byte with the texts
// recorded in tests/recorded/<case>/: the screen, standard error, JSON, tidy CSV, the dialogue's
// report, the diagnostics and goodness-of-fit figures (SVG, HTML), the statistics and the networks
// of simulate. The texts were recorded before the results became numbers that the writers read,
// so they hold the writers to what they wrote then. Times (seconds and the sampler's share of
// them) are the only figures masked.
//
// After a deliberate change of an output, record the cases anew with
// TARNWICK_RECORDED_REGENERATE=1 build/tests/test_cli --gtest_filter='Recorded*'.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "support/repository.h"
#include "support/run_folder.h"
#include "support/temporary_folder.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;
using test::Files;

struct RecordedCase {
  std::string name;
  std::vector<std::string> inputs;  // files of examples/ or tests/recorded/data/
  std::vector<std::vector<std::string>> commands;
};

const std::string gw_advice = "edges + mutual + gwesp(0.5, fixed=TRUE)";
const std::string gw_all =
    "edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.5, fixed=TRUE) + gwodegree(0.5, "
    "fixed=TRUE)";

std::vector<RecordedCase> recorded_cases() {
  const std::vector<std::string> advice = {"advice.csv", "attributes.csv"};
  return {
      {"mple_advice",
       advice,
       {{"fit", "advice.csv", "-m", "edges,mutual", "--json", "fit.json", "--csv", "fit.csv",
         "--report", "fit.out"}}},
      {"mple_godambe",
       advice,
       {{"fit", "advice.csv", "--attributes", "attributes.csv", "-m",
         gw_advice + " + nodematch(level)", "--se", "godambe", "--replicates", "40", "--json",
         "fit.json", "--csv", "fit.csv"}}},
      {"mple_bootstrap",
       advice,
       {{"fit", "advice.csv", "--attributes", "attributes.csv", "-m",
         "edges + mutual + nodematch(level)", "--se", "bootstrap", "--replicates", "30", "--seed",
         "4", "--json", "fit.json", "--csv", "fit.csv"}}},
      {"mple_dyad_sample",
       advice,
       {{"fit", "advice.csv", "-m", gw_advice, "--dyad-sample", "150", "--seed", "3", "--json",
         "fit.json", "--csv", "fit.csv"}}},
      {"mple_blocks",
       {"advice.dat", "attributes.dat"},
       {{"fit", "advice.dat", "--attributes", "attributes.dat", "--block-by", "1", "-m",
         "edges,mutual,edges@*", "--report", "fit.out", "--json", "fit.json", "--csv", "fit.csv"}}},
      {"mple_samplike",
       {"samplike.dat", "samplike_attributes.dat"},
       {{"fit", "samplike.dat", "--attributes", "samplike_attributes.dat", "-m",
         "edges + mutual + nodematch(2) + gwesp(0.25, fixed=TRUE) + nodeicov(3)", "--json",
         "fit.json", "--csv", "fit.csv"}}},
      {"mple_no_estimate",
       {"triangle.csv"},
       {{"fit", "triangle.csv", "-m", "edges + mutual", "--json", "fit.json", "--csv", "fit.csv"}}},
      {"mple_exact_likelihood",
       {"florentine_marriage.net", "florentine_attributes.csv"},
       {{"fit", "florentine_marriage.net", "--undirected", "--attributes",
         "florentine_attributes.csv", "-m", "edges + nodecov(wealth)", "--json", "fit.json",
         "--csv", "fit.csv"}}},
      {"mcmle_advice",
       advice,
       {{"fit", "advice.csv", "-m", gw_advice, "--method", "mcmle", "--json", "fit.json", "--csv",
         "fit.csv", "--diagnostics", "diagnostics.svg"},
        {"fit", "advice.csv", "-m", gw_advice, "--method", "mcmle", "--seed", "2", "-q",
         "--diagnostics", "diagnostics.html"}}},
      {"mcmle_degenerate",
       advice,
       {{"fit", "advice.csv", "-m", gw_all, "--method", "mcmle", "--json", "fit.json", "--csv",
         "fit.csv", "--diagnostics", "diagnostics.svg"}}},
      {"mcmle_dyad_independent",
       advice,
       {{"fit", "advice.csv", "-m", "edges,mutual", "--method", "mcmle", "--json", "fit.json",
         "--csv", "fit.csv"}}},
      {"mcmle_florentine",
       {"florentine_marriage.net"},
       {{"fit", "florentine_marriage.net", "--undirected", "-m", "edges + triangle", "--method",
         "mcmle", "--json", "fit.json", "--csv", "fit.csv"}}},
      {"ee_advice",
       advice,
       {{"fit", "advice.csv", "-m", "edges + mutual + ctriple", "--method", "ee", "--json",
         "fit.json", "--csv", "fit.csv", "--diagnostics", "diagnostics.svg"}}},
      {"gof_advice",
       advice,
       {{"gof", "advice.csv", "-m", "edges,mutual", "--networks", "30", "--csv", "gof.csv", "--svg",
         "gof.svg", "--html", "gof.html"}}},
      {"gof_florentine",
       {"florentine_marriage.net"},
       {{"gof", "florentine_marriage.net", "--undirected", "-m", "edges + triangle", "--coef",
         "-1.6,0.2", "--networks", "20", "--csv", "gof.csv", "--svg", "gof.svg"}}},
      {"simulate_advice",
       advice,
       {{"simulate", "advice.csv", "--attributes", "attributes.csv", "-m",
         "edges + mutual + nodematch(level)", "--networks", "12", "--stats", "stats.csv", "--out",
         "sample"}}},
      {"simulate_empty_start",
       {},
       {{"simulate", "--nodes", "30", "-m", "edges + mutual", "--coef", "-2,1", "--networks", "5",
         "--stats", "stats.csv", "--out", "sample"}}},
      {"fit_then_simulate_and_gof",
       advice,
       {{"fit", "advice.csv", "-m", gw_advice, "--method", "mcmle", "-q", "--json", "fit.json"},
        {"simulate", "--fit", "fit.json", "--networks", "8", "--stats", "stats.csv"},
        {"gof", "--fit", "fit.json", "--networks", "16", "--csv", "gof.csv"}}},
      {"summary_advice",
       advice,
       {{"summary", "advice.csv", "--attributes", "attributes.csv", "-m",
         gw_advice + " + istar(2:3) + nodematch(level)"}}},
  };
}

std::string input_text(const std::string& name) {
  const fs::path example = test::repository_file("examples/" + name);
  if (fs::exists(example)) return test::read_text(example);
  return test::read_text(test::repository_file("tests/recorded/data/" + name));
}

// Seconds and shares of time vary from run to run; every other figure is the seed's. A
// plain scan, since GCC 12's <regex> trips -Wmaybe-uninitialized in optimised builds.
std::string masked(const std::string& text) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto word = [&](char c) {
    return digit(c) || std::isalpha(static_cast<unsigned char>(c)) || c == '_';
  };
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!digit(text[i]) || (i > 0 && word(text[i - 1]))) {
      out += text[i++];
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && digit(text[j])) ++j;
    const std::string_view rest = std::string_view(text).substr(j);
    const bool seconds = rest.size() >= 4 && rest[0] == '.' && digit(rest[1]) &&
                         rest.substr(2, 2) == " s" && (rest.size() == 4 || !word(rest[4]));
    if (seconds) {
      out += "T s";
      i = j + 4;
    } else if (rest.starts_with("% of the time")) {
      out += "P% of the time";
      i = j + 13;
    } else {
      out.append(text, i, j - i);
      i = j;
    }
  }
  return out;
}

// The run's outputs by name: each command's screen and standard error, and every file the
// commands wrote (not the inputs).
std::map<std::string, std::string> run_case(const RecordedCase& c) {
  const test::TemporaryFolder folder(true);
  const fs::path& dir = folder.path();
  for (const std::string& name : c.inputs) {
    std::ofstream(dir / name, std::ios::binary) << input_text(name);
  }
  std::map<std::string, std::string> outputs;
  for (std::size_t k = 0; k < c.commands.size(); ++k) {
    std::vector<const char*> argv = {"tarnwick"};
    for (const std::string& a : c.commands[k]) argv.push_back(a.c_str());
    std::ostringstream out, err;
    const int status = run_command_line(static_cast<int>(argv.size()), argv.data(), out, err);
    const std::string prefix = "command" + std::to_string(k + 1);
    outputs[prefix + ".screen"] = masked(out.str());
    outputs[prefix + ".stderr"] = masked(err.str()) + "status " + std::to_string(status) + "\n";
  }
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = fs::relative(entry.path(), dir).generic_string();
    if (!entry.is_regular_file()) continue;
    if (std::find(c.inputs.begin(), c.inputs.end(), name) != c.inputs.end()) continue;
    outputs[name] = masked(test::read_text(entry.path()));
  }
  return outputs;
}

std::map<std::string, std::string> recorded(const fs::path& folder) {
  std::map<std::string, std::string> texts;
  if (!fs::exists(folder)) return texts;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      texts[fs::relative(entry.path(), folder).generic_string()] = test::read_text(entry.path());
    }
  }
  return texts;
}

class Recorded : public testing::TestWithParam<RecordedCase> {};

TEST_P(Recorded, OutputsAreTheRecordedBytes) {
  const RecordedCase& c = GetParam();
  const fs::path folder = test::repository_file("tests/recorded/" + c.name);
  const std::map<std::string, std::string> outputs = run_case(c);
  if (std::getenv("TARNWICK_RECORDED_REGENERATE") != nullptr) {
    fs::remove_all(folder);
    for (const auto& [name, text] : outputs) {
      fs::create_directories((folder / name).parent_path());
      std::ofstream(folder / name, std::ios::binary) << text;
    }
    GTEST_SKIP() << "recorded anew in " << folder;
  }
  const std::map<std::string, std::string> expected = recorded(folder);
  ASSERT_FALSE(expected.empty()) << "nothing recorded in " << folder;
  for (const auto& [name, text] : expected) {
    const auto found = outputs.find(name);
    ASSERT_NE(found, outputs.end()) << c.name << ": " << name << " was not written";
    EXPECT_EQ(found->second, text) << c.name << ": " << name << " differs";
  }
  for (const auto& [name, text] : outputs) {
    EXPECT_TRUE(expected.count(name) == 1) << c.name << ": " << name << " was not recorded";
  }
}

INSTANTIATE_TEST_SUITE_P(SharedData, Recorded, testing::ValuesIn(recorded_cases()),
                         [](const testing::TestParamInfo<RecordedCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace tarn
