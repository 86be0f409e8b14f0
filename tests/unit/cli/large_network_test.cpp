// A network of 120,000 nodes, far past the dialogue's 2000, read from files written here and
// summarised and fitted through the command line: the statistics against counts made while the
// files are written, and the pseudo-likelihood fit by classes of dyads against the closed form of
// a model whose estimates are logits of proportions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/json_fields.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

struct LargeNetwork {
  std::string links = "source,target\n";
  std::string attributes = "id,dept\n";
  std::int64_t edges = 0, mutual = 0, matched = 0, in_two_stars = 0;
};

// Departments of 50; node i sends to the next two of its department, and to node i + 977 (mostly
// of another department); every third tie to the next node is returned.
LargeNetwork large_network(int n) {
  LargeNetwork net;
  std::vector<std::vector<int>> out(std::size_t(n) + 1);
  const auto dept = [](int i) { return (i - 1) / 50; };
  const auto next_in_dept = [&](int i, int step) {
    const int first = dept(i) * 50 + 1;
    const int size = std::min(50, n - first + 1);
    return first + (i - first + step) % size;
  };
  for (int i = 1; i <= n; ++i) {
    for (int step : {1, 2}) {
      const int j = next_in_dept(i, step);
      if (j != i) out[std::size_t(i)].push_back(j);
    }
    out[std::size_t(i)].push_back((i - 1 + 977) % n + 1);
  }
  for (int i = 1; i <= n; i += 3) {
    const int j = next_in_dept(i, 1);
    if (j != i) out[std::size_t(j)].push_back(i);
  }
  std::vector<int> in(std::size_t(n) + 1, 0);
  std::vector<std::vector<int>> sorted(std::size_t(n) + 1);
  for (int i = 1; i <= n; ++i) {
    auto& list = sorted[std::size_t(i)] = out[std::size_t(i)];
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  for (int i = 1; i <= n; ++i) {
    for (int j : sorted[std::size_t(i)]) {
      net.links += std::to_string(i) + "," + std::to_string(j) + "\n";
      ++net.edges;
      ++in[std::size_t(j)];
      net.matched += dept(i) == dept(j) ? 1 : 0;
      const auto& back = sorted[std::size_t(j)];
      if (i < j && std::binary_search(back.begin(), back.end(), i)) ++net.mutual;
    }
    net.attributes += std::to_string(i) + ",d" + std::to_string(dept(i)) + "\n";
  }
  for (int j = 1; j <= n; ++j) {
    net.in_two_stars += std::int64_t{in[std::size_t(j)]} * (in[std::size_t(j)] - 1) / 2;
  }
  return net;
}

TEST(LargeNetwork, ReadSummarisedAndFittedPastTheDialoguesCapacity) {
  const int n = 120000;
  const LargeNetwork net = large_network(n);
  const test::Files files = {{"net.csv", net.links}, {"attributes.csv", net.attributes}};
  const auto summary = test::run_command(
      files, {"summary", "net.csv", "-m", "edges + mutual + nodematch(dept) + istar(2) + triangle",
              "--attributes", "attributes.csv", "--json", "s.json"});
  ASSERT_EQ(summary.status, 0) << summary.err;
  const auto json = nlohmann::json::parse(summary.files.at("s.json"));
  EXPECT_EQ(json["input"]["network"]["nodes"], n);
  EXPECT_EQ(json["input"]["network"]["links"], net.edges);
  EXPECT_EQ(test::statistic_value(json["statistics"], "edges"), double(net.edges));
  EXPECT_EQ(test::statistic_value(json["statistics"], "mutual"), double(net.mutual));
  EXPECT_EQ(test::statistic_value(json["statistics"], "nodematch.dept"), double(net.matched));
  EXPECT_EQ(test::statistic_value(json["statistics"], "istar2"), double(net.in_two_stars));
  EXPECT_GT(test::statistic_value(json["statistics"], "triangle"), 0.0);

  // edges + nodematch: the estimates are the logits of the tie proportions across and within
  // the departments.
  const auto fit =
      test::run_command(files, {"fit", "net.csv", "-m", "edges + nodematch(dept)", "--attributes",
                                "attributes.csv", "--json", "f.json", "-q"});
  ASSERT_EQ(fit.status, 0) << fit.err;
  const auto result = nlohmann::json::parse(fit.files.at("f.json"));
  const double within_dyads = double(n / 50) * 50 * 49;
  const double across_dyads = double(n) * (n - 1) - within_dyads;
  const double within = double(net.matched), across = double(net.edges - net.matched);
  const double edges = std::log(across / (across_dyads - across));
  const double match = std::log(within / (within_dyads - within)) - edges;
  EXPECT_NEAR(double(result["parameters"][0]["estimate"]), edges, 1e-6);
  EXPECT_NEAR(double(result["parameters"][1]["estimate"]), match, 1e-6);

  // With mutual, equilibrium expectation draws the statistics exactly, pair by pair, with no
  // chain, and lands within its errors of the pseudo-likelihood's estimate, which is the exact
  // one for a model of pair classes.
  const std::vector<std::string> model = {
      "net.csv", "-m",    "edges + mutual + nodematch(dept)", "--attributes", "attributes.csv",
      "--json",  "f.json"};
  std::vector<std::string> mple = {"fit"}, ee = {"fit", "--method", "ee"};
  mple.insert(mple.end(), model.begin(), model.end());
  ee.insert(ee.end(), model.begin(), model.end());
  const auto by_mple = test::run_command(files, mple), by_ee = test::run_command(files, ee);
  ASSERT_EQ(by_ee.status, 0) << by_ee.err;
  EXPECT_NE(by_ee.out.find("Sampler: none, the statistics drawn exactly (no chains, no toggles)"),
            std::string::npos)
      << by_ee.out;
  const auto exact = nlohmann::json::parse(by_mple.files.at("f.json"))["parameters"];
  const auto drawn = nlohmann::json::parse(by_ee.files.at("f.json"))["parameters"];
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR(double(drawn[k]["estimate"]), double(exact[k]["estimate"]),
                2 * double(drawn[k]["std_error"]))
        << drawn[k]["term"];
  }
}

}  // namespace
}  // namespace tarn
