// What a front end takes from the library: a model built once with the files it reads, the
// texts of every result written from its numbers, the progress of an MCMC fit, draws at the
// pseudo-likelihood estimate, a saved fit read back, and the processes that a fit's tasks are dealt
// out to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "support/repository.h"
#include "tarnwick/tarnwick.h"

namespace {

using tarn::test::repository_file;

tarnwick::ReadOptions florentine_options() {
  tarnwick::ReadOptions read;
  read.network_path = repository_file("examples/florentine_marriage.net");
  read.attributes_path = repository_file("examples/florentine_attributes.csv");
  read.undirected = true;
  return read;
}

tarnwick::Model florentine_model(const std::string& formula) {
  return tarnwick::build_model(tarnwick::read_network(florentine_options()), formula);
}

// A fit by MCMC of a few small iterations.
tarnwick::FitSettings short_mcmle() {
  tarnwick::FitSettings settings;
  settings.method = "mcmle";
  settings.sample_size = 256;
  settings.max_iterations = 3;
  settings.threads = 2;
  return settings;
}

// The tasks in index order on this process, counted.
class CountingProcesses final : public tarnwick::Processes {
 public:
  std::vector<std::vector<double>> run(
      int count, int, const std::function<std::vector<double>(int)>& task) const override {
    ++calls;
    std::vector<std::vector<double>> results;
    for (int t = 0; t < count; ++t) results.push_back(task(t));
    return results;
  }
  bool writes_results() const override { return true; }
  mutable std::atomic<int> calls{0};
};

TEST(FrontEnd, AModelListsTheFilesItReadsAndItsStatistics) {
  const tarnwick::Model model = florentine_model("edges + nodecov(\"wealth\")");
  const std::vector<tarnwick::InputFile> files = model.input_files();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, florentine_options().network_path);
  EXPECT_EQ(files[1].option, "--attributes");
  EXPECT_EQ(tarnwick::input_files(florentine_options()).size(), 2u);
  EXPECT_FALSE(model.configuration_types_only());
  const tarnwick::StatisticsReport report = tarnwick::statistics_report(model);
  ASSERT_EQ(report.statistics.size(), 2u);
  EXPECT_EQ(report.statistics[0].value, 20);
  EXPECT_EQ(tarnwick::statistics_csv(report).rfind("name,term,value\n", 0), 0u);
  EXPECT_NE(tarnwick::statistics_json(report).find("\"statistics\""), std::string::npos);
  EXPECT_NE(tarnwick::statistics_table(report).find("edges"), std::string::npos);
}

TEST(FrontEnd, AFitGivesTheDialoguesReportOfTheConfigurationTypesOnly) {
  tarnwick::ReadOptions read;
  read.network_path = repository_file("examples/advice.csv");
  const tarnwick::Network advice = tarnwick::read_network(read);
  tarnwick::FitSettings settings;
  const tarnwick::Estimate fit = tarnwick::fit(advice, "edges + mutual", settings);
  EXPECT_EQ(tarnwick::dialogue_report(fit).rfind(" Network file:", 0), 0u);
  EXPECT_THROW(tarnwick::diagnostics_svg(fit), tarnwick::ArgumentError);
  EXPECT_THROW(
      tarnwick::dialogue_report(tarnwick::fit(florentine_model("edges + nodecov(\"wealth\")"))),
      tarnwick::ArgumentError);
  settings.init_list = "-1";
  EXPECT_THROW(tarnwick::check_fit_settings(settings), tarnwick::ArgumentError);
}

// Equilibrium expectation tells each task's chain memory and planned updates, its end, and every
// round of the check, from the threads that reach them, without touching the results.
TEST(FrontEnd, AnEquilibriumExpectationFitTellsItsPhases) {
  tarnwick::FitSettings settings;
  settings.method = "ee";
  settings.threads = 2;
  settings.equilibrium.tasks = 2;
  std::mutex one_at_a_time;
  std::vector<std::string> lines;
  tarnwick::Progress progress;
  progress.phase = [&](const std::string& line) {
    const std::lock_guard<std::mutex> lock(one_at_a_time);
    lines.push_back(line);
  };
  const tarnwick::Model model = florentine_model("edges + gwesp(0.25, fixed=TRUE)");
  const tarnwick::Estimate told = tarnwick::fit(model, settings, progress);
  const tarnwick::Estimate quiet = tarnwick::fit(model, settings);
  EXPECT_EQ(tarnwick::fit_json(told), tarnwick::fit_json(quiet));
  for (const std::string task : {"task 1 of 2: ", "task 2 of 2: "}) {
    std::vector<std::string> said;
    for (const std::string& line : lines) {
      const std::size_t at = line.find(task);
      if (at != std::string::npos) said.push_back(line.substr(at + task.size()));
    }
    ASSERT_EQ(said.size(), 2u) << task;
    EXPECT_EQ(said[0].rfind("the chain forgets in ", 0), 0u) << said[0];
    EXPECT_NE(said[0].find(" to settle, "), std::string::npos) << said[0];
    EXPECT_EQ(said[1], "done");
  }
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[4].rfind("checking the estimate: ", 0), 0u) << lines[4];
  EXPECT_NE(lines[4].find(" networks from 8 chains "), std::string::npos) << lines[4];
  EXPECT_NE(lines[4].find(" after a burn-in of "), std::string::npos) << lines[4];
}

// The library refuses equilibrium-expectation settings the command line's ranges would refuse.
TEST(FrontEnd, RefusesEquilibriumExpectationSettingsOutOfRange) {
  for (const auto& bad :
       {tarnwick::EquilibriumSettings{.tasks = 0},
        tarnwick::EquilibriumSettings{.effective_draws = 0},
        tarnwick::EquilibriumSettings{.gain = 0.0}, tarnwick::EquilibriumSettings{.gain = 1.5}}) {
    tarnwick::FitSettings settings;
    settings.method = "ee";
    settings.equilibrium = bad;
    EXPECT_THROW(tarnwick::check_fit_settings(settings), tarnwick::ArgumentError);
  }
  tarnwick::FitSettings fine;
  fine.method = "ee";
  fine.equilibrium.gain = 1.0;
  EXPECT_NO_THROW(tarnwick::check_fit_settings(fine));
}

TEST(FrontEnd, AnMcmcFitReportsEveryIterationAndGivesItsDiagnostics) {
  tarnwick::FitSettings settings = short_mcmle();
  std::vector<int> iterations;
  tarnwick::Progress progress;
  progress.iteration = [&](const tarnwick::IterationReport& i) { iterations.push_back(i.number); };
  const tarnwick::Estimate fit =
      tarnwick::fit(florentine_model("edges + triangle"), settings, progress);
  ASSERT_FALSE(iterations.empty());
  EXPECT_EQ(iterations.front(), 1);
  ASSERT_TRUE(fit.mcmle.has_value());
  EXPECT_EQ(fit.mcmle->history.size(), iterations.size());
  const std::string page = tarnwick::diagnostics_html(fit);
  EXPECT_NE(page.find("<svg"), std::string::npos);
  EXPECT_NE(page.find("<html"), std::string::npos);
  EXPECT_EQ(tarnwick::diagnostics_svg(fit).rfind("<svg", 0), 0u);
}

TEST(FrontEnd, DrawsWithoutCoefficientsAreAtThePseudoLikelihoodEstimate) {
  const tarnwick::Model model = florentine_model("edges + triangle");
  tarnwick::SimulateSettings settings;
  settings.networks = 12;
  settings.threads = 2;
  settings.keep_networks = false;
  std::atomic<int> edge_lists{0};
  settings.each_network = [&](int, const std::string& edges) {
    if (edges.rfind("node1,node2\n", 0) == 0) ++edge_lists;
  };
  std::atomic<std::int64_t> counter{0};
  tarnwick::Progress progress;
  progress.counter = &counter;
  const tarnwick::SimulationResult drawn = tarnwick::simulate(model, settings, progress);
  EXPECT_EQ(drawn.outcome, tarnwick::DrawOutcome::drawn);
  EXPECT_EQ(edge_lists.load(), 12);
  EXPECT_EQ(counter.load(), 12);
  EXPECT_TRUE(drawn.networks.empty());
  EXPECT_EQ(drawn.sample.statistics.size(), 12u);
  EXPECT_EQ(tarnwick::sample_csv(drawn.sample).rfind("network,edges,triangle\nobserved,20,3\n", 0),
            0u);
  EXPECT_NE(tarnwick::sample_table(drawn.sample).find("12 networks from 8 chains"),
            std::string::npos);

  const tarnwick::GofTables tables = tarnwick::gof(model, settings);
  ASSERT_TRUE(tables.made);
  EXPECT_EQ(tables.networks, 12);
  EXPECT_NE(tarnwick::gof_svg(tables).find("<svg"), std::string::npos);
  const std::string title =
      "Goodness of fit: " + florentine_options().network_path + " (undirected), edges triangle";
  EXPECT_NE(tarnwick::gof_html(tables).find(title), std::string::npos);
  EXPECT_EQ(tarnwick::gof_screen(tables).rfind(" " + title + "\n\n", 0), 0u);
}

TEST(FrontEnd, ASavedFitIsReadBackWithItsDataAndEstimates) {
  const tarnwick::Estimate fit = tarnwick::fit(florentine_model("edges + triangle"));
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("saved_fit_" + std::to_string(getpid()) + ".json");
  std::ofstream(file) << tarnwick::fit_json(fit);
  const tarnwick::SavedFit saved = tarnwick::read_saved_fit(file.string());
  std::filesystem::remove(file);
  EXPECT_EQ(saved.formula, "edges + triangle");
  EXPECT_TRUE(saved.converged());
  EXPECT_EQ(saved.coefficients, fit.estimates());
  ASSERT_FALSE(saved.data_arguments.empty());
  EXPECT_EQ(saved.data_arguments.front(), florentine_options().network_path);
  EXPECT_EQ(saved.nodes, 16);
  // The library names the file, not the command line's option.
  const std::string other = repository_file("examples/advice.csv");
  try {
    tarnwick::read_saved_fit(other);
    ADD_FAILURE() << "a network file was read as a fit";
  } catch (const tarnwick::InputError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(other + ": not a JSON file", 0), 0u) << e.what();
    EXPECT_EQ(e.file, other);
  }
}

// A fit's tasks and gof's chains go to the processes given, with the same results as here.
TEST(FrontEnd, FitAndGofGoToTheProcessesGivenWithTheSameResults) {
  const tarnwick::Model model = florentine_model("edges + triangle");
  tarnwick::FitSettings fit_settings = short_mcmle();
  tarnwick::GofSettings gof_settings;
  gof_settings.networks = 16;
  gof_settings.threads = 2;
  const tarnwick::Estimate fit_here = tarnwick::fit(model, fit_settings);
  const tarnwick::GofTables gof_here = tarnwick::gof(model, gof_settings);
  const CountingProcesses for_fit, for_gof;
  fit_settings.processes = &for_fit;
  gof_settings.processes = &for_gof;
  const tarnwick::Estimate fit_spread = tarnwick::fit(model, fit_settings);
  const tarnwick::GofTables gof_spread = tarnwick::gof(model, gof_settings);
  EXPECT_GT(for_fit.calls.load(), 0);
  EXPECT_GT(for_gof.calls.load(), 0);
  EXPECT_EQ(fit_spread.estimates(), fit_here.estimates());
  EXPECT_EQ(tarnwick::fit_json(fit_spread), tarnwick::fit_json(fit_here));
  EXPECT_EQ(tarnwick::gof_csv(gof_spread), tarnwick::gof_csv(gof_here));
  EXPECT_EQ(tarnwick::gof_screen(gof_spread), tarnwick::gof_screen(gof_here));
}

TEST(FrontEnd, TheNearestNameIsTheFirstWithinTheLimit) {
  EXPECT_EQ(tarnwick::nearest_name("--sed", {"--seed", "--sex"}, 4), "--seed");
  EXPECT_EQ(tarnwick::nearest_name("fitt", {"fit", "gof"}, 3), "fit");
  EXPECT_EQ(tarnwick::nearest_name("zzzzzz", {"fit", "gof"}, 3), "");
  EXPECT_EQ(tarnwick::configuration_types().size(), 16u);
  EXPECT_FALSE(tarnwick::terms().empty());
}

}  // namespace
