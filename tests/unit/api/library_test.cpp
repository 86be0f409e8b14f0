// The library's public calls: networks read from files or built from label arrays are the same
// network, statistics and fits agree with exact values, every estimator of the table reaches
// every writer, and errors come as the library's exception types.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <tuple>

#include "support/repository.h"
#include "tarnwick/tarnwick.h"

namespace {

using tarn::test::repository_file;

std::map<std::string, double> by_name(const std::vector<tarnwick::Statistic>& statistics) {
  std::map<std::string, double> values;
  for (const auto& s : statistics) values[s.name] = s.value;
  return values;
}

tarnwick::Network florentine_file() {
  tarnwick::ReadOptions read;
  read.network_path = repository_file("examples/florentine_marriage.net");
  read.attributes_path = repository_file("examples/florentine_attributes.csv");
  read.undirected = true;
  return tarnwick::read_network(read);
}

// The same network as arrays: its links by label, every node listed with its wealth.
tarnwick::Network florentine_arrays(const tarnwick::Network& file) {
  std::vector<std::string> senders, receivers;
  for (const auto& [a, b] : file.links()) {
    senders.push_back(file.labels()[std::size_t(a)]);
    receivers.push_back(file.labels()[std::size_t(b)]);
  }
  // Wealth by node from the file's attribute table, reversed in order to show that nodes are
  // matched by label, not by position.
  std::ifstream table(repository_file("examples/florentine_attributes.csv"));
  std::map<std::string, double> wealth_of;
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    const std::size_t comma = line.find(',');
    wealth_of[line.substr(0, comma)] = std::stod(line.substr(comma + 1));
  }
  std::vector<std::string> nodes(file.labels().rbegin(), file.labels().rend());
  std::vector<double> values;
  for (const std::string& label : nodes) values.push_back(wealth_of.at(label));
  return tarnwick::network_from_links(nodes, senders, receivers, false, {{"wealth", values}});
}

TEST(Library, AFileAndTheSameLinksAsArraysGiveTheSameStatistics) {
  const tarnwick::Network file = florentine_file();
  EXPECT_EQ(file.node_count(), 16);
  EXPECT_EQ(file.link_count(), 20);
  EXPECT_FALSE(file.directed());
  const tarnwick::Network arrays = florentine_arrays(file);
  EXPECT_EQ(arrays.node_count(), 16);  // Pucci has no marriage: an isolate from the node list
  const std::string formula =
      "edges + triangle + kstar(2) + nodecov(\"wealth\") + gwesp(0.5, fixed=TRUE) + degree(0:3)";
  const auto expected = by_name(tarnwick::summary(file, formula));
  EXPECT_EQ(expected.at("edges"), 20);
  EXPECT_EQ(expected.at("triangle"), 3);
  EXPECT_EQ(expected.at("degree0"), 1);
  EXPECT_EQ(by_name(tarnwick::summary(arrays, formula)), expected);
}

TEST(Library, LabelsThatLookLikeNumbersOrHoldCommasStayLabels) {
  const tarnwick::Network net =
      tarnwick::network_from_links({"101", "102", "a, b", "say \"x\"", "lone"},
                                   {"101", "a, b", "say \"x\""}, {"102", "102", "101"}, true);
  EXPECT_EQ(net.node_count(), 5);
  EXPECT_EQ(net.link_count(), 3);
  std::set<std::pair<std::string, std::string>> links;
  for (const auto& [a, b] : net.links()) {
    links.insert({net.labels()[std::size_t(a)], net.labels()[std::size_t(b)]});
  }
  const std::set<std::pair<std::string, std::string>> given = {
      {"101", "102"}, {"a, b", "102"}, {"say \"x\"", "101"}};
  EXPECT_EQ(links, given);
  const tarnwick::Network by_position =
      tarnwick::network_from_links({"101", "102", "a, b", "say \"x\"", "lone"},
                                   std::vector<int>{0, 2, 3}, std::vector<int>{1, 1, 0}, true);
  EXPECT_EQ(by_position.labels(), net.labels());
  EXPECT_EQ(by_position.links(), net.links());
  EXPECT_THROW(
      tarnwick::network_from_links({"a", "b"}, std::vector<int>{0}, std::vector<int>{2}, true),
      tarnwick::ArgumentError);
}

// Thousands of labels, each named many times: links by label and by position give one network,
// every node numbered in order of first appearance.
TEST(Library, LinksByLabelAndByPositionGiveOneNetwork) {
  std::mt19937_64 random(3);
  std::vector<std::string> nodes;
  for (int k = 0; k < 5000; ++k) nodes.push_back("v" + std::to_string(random() % 1000000));
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  std::vector<int> senders, receivers;
  std::vector<std::string> sender_labels, receiver_labels;
  for (int k = 0; k < 40000; ++k) {
    senders.push_back(int(random() % nodes.size()));
    receivers.push_back(int(random() % nodes.size()));
    sender_labels.push_back(nodes[std::size_t(senders.back())]);
    receiver_labels.push_back(nodes[std::size_t(receivers.back())]);
  }
  const auto by_label = tarnwick::network_from_links(nodes, sender_labels, receiver_labels, false);
  const auto by_position = tarnwick::network_from_links(nodes, senders, receivers, false);
  EXPECT_EQ(by_position.labels(), by_label.labels());
  EXPECT_EQ(by_position.links(), by_label.links());
  std::vector<std::string> first_seen;
  std::set<std::string> seen;
  for (std::size_t k = 0; k < senders.size(); ++k) {
    for (const std::string* label : {&sender_labels[k], &receiver_labels[k]}) {
      if (sender_labels[k] != receiver_labels[k] && seen.insert(*label).second) {
        first_seen.push_back(*label);
      }
    }
  }
  ASSERT_LE(first_seen.size(), by_label.labels().size());
  EXPECT_TRUE(std::equal(first_seen.begin(), first_seen.end(), by_label.labels().begin()));
  std::set<std::pair<std::string, std::string>> expected, read;
  for (std::size_t k = 0; k < senders.size(); ++k) {
    if (senders[k] != receivers[k]) {
      expected.insert(std::minmax(sender_labels[k], receiver_labels[k]));
    }
  }
  for (const auto& [a, b] : by_label.links()) {
    read.insert(std::minmax(by_label.labels()[std::size_t(a)], by_label.labels()[std::size_t(b)]));
  }
  EXPECT_EQ(read, expected);
}

// A dyad-independent model's maximum likelihood estimate is exact: the edges coefficient of a
// Bernoulli graph is the log-odds of its density, by both estimators.
TEST(Library, EveryEstimatorGivesTheExactBernoulliEstimateThroughEveryWriter) {
  std::mt19937_64 random(7);
  std::vector<std::string> nodes, senders, receivers;
  for (int i = 0; i < 30; ++i) nodes.push_back("n" + std::to_string(i));
  int links = 0;
  for (int i = 0; i < 30; ++i) {
    for (int j = 0; j < 30; ++j) {
      if (i != j && random() % 10 == 0) {
        senders.push_back(nodes[std::size_t(i)]);
        receivers.push_back(nodes[std::size_t(j)]);
        ++links;
      }
    }
  }
  const auto net = tarnwick::network_from_links(nodes, senders, receivers, true);
  const double density = links / (30.0 * 29.0);
  const auto estimators = tarnwick::estimators();
  ASSERT_GE(estimators.size(), 2u);
  for (const auto& estimator : estimators) {
    SCOPED_TRACE(estimator.name);
    tarnwick::FitSettings settings;
    settings.method = estimator.name;
    const tarnwick::Estimate e = tarnwick::fit(net, "edges", settings);
    EXPECT_EQ(e.method, estimator.name);
    EXPECT_TRUE(e.converged);
    EXPECT_EQ(e.outcome, "converged");
    ASSERT_EQ(e.coefficients.size(), 1u);
    EXPECT_NEAR(e.coefficients[0].estimate, std::log(density / (1 - density)), 1e-6);
    // Its variance: the inverse Fisher information, 1 / (dyads p (1 - p)).
    EXPECT_NEAR(e.coefficients[0].std_error, 1 / std::sqrt(870 * density * (1 - density)), 1e-6);
    EXPECT_EQ(e.network.dyads, 870);
    EXPECT_EQ(e.coefficients[0].observed, links);
    ASSERT_TRUE(e.log_likelihood.has_value());
    const double ll = links * std::log(density) + (870 - links) * std::log(1 - density);
    EXPECT_NEAR(*e.log_likelihood, ll, 1e-6);
    const auto json = nlohmann::json::parse(tarnwick::fit_json(e));
    EXPECT_EQ(json.at("method"), estimator.name);
    EXPECT_EQ(json.at("outcome"), e.outcome);
    EXPECT_NE(tarnwick::fit_csv(e).find("edges"), std::string::npos);
    EXPECT_NE(tarnwick::fit_screen(e).find("edges"), std::string::npos);
  }
}

TEST(Library, SimulatedNetworksKeepTheLabelsAndTheirStatistics) {
  const tarnwick::Network file = florentine_file();
  tarnwick::SimulateSettings settings;
  settings.coefficients = {-1.7, 0.2};
  settings.networks = 12;
  settings.threads = 2;
  const tarnwick::SimulationResult sim = tarnwick::simulate(file, "edges + triangle", settings);
  ASSERT_EQ(sim.networks.size(), 12u);
  ASSERT_EQ(sim.sample.statistics.size(), 12u);
  EXPECT_EQ(sim.sample.statistic_names, (std::vector<std::string>{"edges", "triangle"}));
  for (std::size_t k = 0; k < sim.networks.size(); ++k) {
    EXPECT_EQ(sim.networks[k].labels(), file.labels());
    const auto values = by_name(tarnwick::summary(sim.networks[k], "edges + triangle"));
    EXPECT_EQ(values.at("edges"), sim.sample.statistics[k][0]);
    EXPECT_EQ(values.at("triangle"), sim.sample.statistics[k][1]);
  }
  // The same seed gives the same networks whatever the threads.
  settings.threads = 1;
  EXPECT_EQ(tarnwick::simulate(file, "edges + triangle", settings).sample.statistics,
            sim.sample.statistics);
}

TEST(Library, ErrorsComeAsTheLibrarysTypes) {
  const tarnwick::Network file = florentine_file();
  EXPECT_THROW(tarnwick::summary(file, "edges + nosuchterm"), tarnwick::ModelError);
  tarnwick::FitSettings settings;
  settings.method = "nosuchmethod";
  EXPECT_THROW(tarnwick::fit(file, "edges", settings), tarnwick::ArgumentError);
  settings.method = "mcmle";
  settings.errors = "bootstrap";
  EXPECT_THROW(tarnwick::fit(file, "edges", settings), tarnwick::ArgumentError);
  tarnwick::ReadOptions read;
  read.network_path = repository_file("examples/no_such_file.csv");
  EXPECT_THROW(tarnwick::read_network(read), tarnwick::InputError);
  EXPECT_THROW(tarnwick::network_from_links({"a", "b"}, {"a"}, {}, true), tarnwick::ArgumentError);
  EXPECT_THROW(tarnwick::network_from_links({"a", "b"}, {"a"}, {"b"}, true,
                                            {{"x", std::vector<double>{1.0}}}),
               tarnwick::ArgumentError);
  tarnwick::SimulateSettings simulate;
  simulate.coefficients = {1.0};  // two are needed
  EXPECT_THROW(tarnwick::simulate(file, "edges + triangle", simulate), tarnwick::ArgumentError);
}

// Every data option of the command line reaches the reader: blocks by level (within blocks, the
// default structure) count the edges that nodematch("level") counts, and the files read are
// listed.
TEST(Library, ReadOptionsTakeTheBlocksAndListTheFilesRead) {
  tarnwick::ReadOptions read;
  read.network_path = repository_file("examples/advice.dat");
  read.attributes_path = repository_file("examples/attributes.dat");
  read.block_by = "1";
  const tarnwick::Network advice = tarnwick::read_network(read);
  tarnwick::ReadOptions named;
  named.network_path = repository_file("examples/advice.csv");
  named.attributes_path = repository_file("examples/attributes.csv");
  const auto within = tarnwick::summary(advice, "edges@*");
  const auto matched = tarnwick::summary(tarnwick::read_network(named), "nodematch(\"level\")");
  ASSERT_EQ(within.size(), 1u);
  EXPECT_EQ(within[0].value, matched.at(0).value);
  EXPECT_LT(within[0].value, double(advice.link_count()));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {read.network_path, "the network argument"}, {read.attributes_path, "--attributes"}};
  std::vector<std::pair<std::string, std::string>> files;
  for (const tarnwick::InputFile& f : advice.input_files()) files.emplace_back(f.path, f.option);
  EXPECT_EQ(files, expected);
  EXPECT_TRUE(tarnwick::network_from_links({"a", "b"}, {"a"}, {"b"}, true).input_files().empty());
}

// The place of bad input comes as the exception's members, set where the reader found it.
TEST(Library, InputErrorsCarryTheirFileLineAndColumn) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("tarnwick-places-" + std::to_string(getpid()));
  fs::create_directories(dir);
  struct Case {
    std::string name, text;
    int line, column;
    bool capacity;
  };
  const std::vector<Case> cases = {
      {"ragged.csv", "sender,receiver\na,b\nc\n", 3, 0, false},
      {"empty_label.csv", "sender,receiver\na,b\nc,\n", 3, 2, false},
      {"bad_count.net", "*Vertices x\n", 1, 2, false},
      {"huge.net", "*Vertices 100000001\n", 1, 2, true},
      {"unclosed.csv", "sender,receiver\na,b\n\"c,d\n", 3, 0, false},
      {"record.dat", "(2I3)\n  1  x\n", 2, 0, false},
      {"format.dat", "(2Q3)\n  1  2\n", 1, 0, false},
  };
  for (const Case& c : cases) {
    const fs::path path = dir / c.name;
    std::ofstream(path, std::ios::binary) << c.text;
    tarnwick::ReadOptions read;
    read.network_path = path.string();
    try {
      tarnwick::read_network(read);
      ADD_FAILURE() << c.name << " was read";
    } catch (const tarnwick::InputError& e) {
      EXPECT_FALSE(c.capacity) << c.name << ": " << e.what();
      EXPECT_EQ(std::make_tuple(e.file, e.line, e.column),
                std::make_tuple(path.string(), c.line, c.column))
          << e.what();
    } catch (const tarnwick::CapacityError& e) {
      EXPECT_TRUE(c.capacity) << c.name << ": " << e.what();
      EXPECT_EQ(std::make_tuple(e.file, e.line, e.column),
                std::make_tuple(path.string(), c.line, c.column))
          << e.what();
    }
  }
  tarnwick::ReadOptions missing;
  missing.network_path = (dir / "missing.csv").string();
  try {
    tarnwick::read_network(missing);
    ADD_FAILURE() << "a missing file was read";
  } catch (const tarnwick::InputError& e) {
    EXPECT_EQ(std::make_pair(e.file, e.line), std::make_pair(missing.network_path, 0));
  }
  fs::remove_all(dir);
}

TEST(Library, AFitStopsWhenCancelled) {
  const tarnwick::Network file = florentine_file();
  std::atomic<bool> cancel{true};
  tarnwick::Progress progress;
  progress.cancel = &cancel;
  tarnwick::FitSettings settings;
  settings.method = "mcmle";
  EXPECT_THROW(tarnwick::fit(file, "edges + gwesp(0.5, fixed=TRUE)", settings, progress),
               tarnwick::Cancelled);
}

TEST(Library, GoodnessOfFitTablesDoNotDependOnTheThreads) {
  const tarnwick::Network file = florentine_file();
  tarnwick::GofSettings settings;
  settings.networks = 20;
  settings.threads = 2;
  const tarnwick::GofTables tables = tarnwick::gof(file, "edges + triangle", settings);
  ASSERT_TRUE(tables.made);
  const std::string csv = tarnwick::gof_csv(tables);
  EXPECT_EQ(csv.rfind("feature,value,observed,min,mean,max,lower,upper,p_value\n", 0), 0u);
  EXPECT_NE(csv.find("\nmodel,triangle,"), std::string::npos);
  // Without coefficients, the pseudo-likelihood estimate.
  EXPECT_EQ(tables.coefficients.size(), 2u);
  settings.threads = 1;
  EXPECT_EQ(tarnwick::gof_csv(tarnwick::gof(file, "edges + triangle", settings)), csv);
  settings.coefficients = tables.coefficients;
  EXPECT_EQ(tarnwick::gof_csv(tarnwick::gof(file, "edges + triangle", settings)), csv);
  settings.coefficients = {1.0};  // two are needed
  EXPECT_THROW(tarnwick::gof(file, "edges + triangle", settings), tarnwick::ArgumentError);
  std::atomic<bool> cancel{true};
  tarnwick::Progress progress;
  progress.cancel = &cancel;
  settings.coefficients.clear();
  EXPECT_THROW(tarnwick::gof(file, "edges + triangle", settings, progress), tarnwick::Cancelled);
}

}  // namespace

namespace {

// The network of the sampled monks with the dyad (tail, head) present or absent.
tarnwick::Network with_dyad(const tarnwick::Network& network, int tail, int head, bool present) {
  std::vector<std::string> senders, receivers;
  const auto& labels = network.labels();
  for (const auto& [a, b] : network.links()) {
    if (a == tail && b == head) continue;
    senders.push_back(labels[std::size_t(a)]);
    receivers.push_back(labels[std::size_t(b)]);
  }
  if (present) {
    senders.push_back(labels[std::size_t(tail)]);
    receivers.push_back(labels[std::size_t(head)]);
  }
  return tarnwick::network_from_links(labels, senders, receivers, true);
}

}  // namespace

// Every dyad's probability against the change of the statistics found by toggling it.
TEST(Library, TieProbabilitiesAreTheLogisticOfEachDyadsChange) {
  tarnwick::ReadOptions read;
  read.network_path = repository_file("examples/samplike.net");
  const tarnwick::Network monks = tarnwick::read_network(read);
  const std::string formula = "edges + mutual + gwesp(0.5, fixed=TRUE) + ctriple";
  const tarnwick::Model model = tarnwick::build_model(monks, formula);
  const std::vector<double> theta = {-2.0, 1.5, 0.7, -0.3};
  const auto rows = tarnwick::tie_probabilities(model, theta);
  ASSERT_EQ(rows.size(), 18u * 17u);
  for (std::size_t k = 0; k < rows.size(); k += 7) {
    const auto& row = rows[k];
    const auto on = tarnwick::summary(with_dyad(monks, row.tail, row.head, true), formula);
    const auto off = tarnwick::summary(with_dyad(monks, row.tail, row.head, false), formula);
    double eta = 0;
    for (std::size_t s = 0; s < theta.size(); ++s) eta += theta[s] * (on[s].value - off[s].value);
    EXPECT_NEAR(row.probability, 1.0 / (1.0 + std::exp(-eta)), 1e-13)
        << row.tail << "," << row.head;
  }
  EXPECT_THROW(tarnwick::tie_probabilities(model, {0.0}), tarnwick::ArgumentError);
}

// ergm's summary of flomarriage ~ edges + nodecov("wealth"), line by line: ergm 4's layout (z
// value, Pr(>|z|)) with the estimates, errors, deviances and criteria that the statnet tutorial
// publishes for this model.
TEST(Library, ErgmSummaryIsLaidOutAsErgmPrintsIt) {
  const std::string summary =
      tarnwick::ergm_summary(tarnwick::fit(florentine_file(), "edges + nodecov(\"wealth\")", {}));
  for (const char* line : {
           "Maximum Likelihood Results:\n",
           "                Estimate Std. Error MCMC % z value Pr(>|z|)    \n",
           "edges          -2.594929   0.536056      0  -4.841   <1e-04 ***\n",
           "nodecov.wealth  0.010546   0.004674      0   2.256   0.0241 *  \n",
           "     Null Deviance: 166.4  on 120  degrees of freedom\n",
           " Residual Deviance: 103.1  on 118  degrees of freedom\n",
           "AIC: 107.1  BIC: 112.7  (Smaller is better.) \n",
       }) {
    EXPECT_NE(summary.find(line), std::string::npos) << line << "\nin\n" << summary;
  }
  const std::string dependent =
      tarnwick::ergm_summary(tarnwick::fit(florentine_file(), "edges + triangle", {}));
  EXPECT_NE(dependent.find("Maximum Pseudolikelihood Results:"), std::string::npos);
  EXPECT_EQ(dependent.find("Deviance:"), std::string::npos);
}
