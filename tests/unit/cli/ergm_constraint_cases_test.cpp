// ergm's own checks of its constraints, as whole runs. test-constrain-blockdiag.R: on 10 nodes in
// blocks of 1, 2, 3 and 4, an edges model drawn at -100 must give the least network the space
// allows and at +100 the greatest, directed and undirected, with two blockings at once, and with
// blockdiag + observed (only the missing dyads within the blocks vary).
// test-constrain-degrees-edges.R: on 50 nodes at density 0.1, the sender and receiver statistics
// (each node's out- and in-degree) of 100 networks drawn at 0 keep the degrees a constraint fixes
// and move those it does not; undirected, sociality likewise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/exit_status.h"
#include "support/run_folder.h"

namespace tarn {
namespace {

using Dyad = std::pair<int, int>;
constexpr int n = 10;
const int block[n + 1] = {0, 1, 2, 2, 3, 3, 3, 4, 4, 4, 4};  // ergm's rep(1:4, 1:4)
const int half[n + 1] = {0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};   // rep(1:2, each=5)

struct Case {
  const char* what;
  bool directed;
  const char* constraints;
  std::vector<Dyad> missing;
  // The dyads that may vary; every other keeps its value in the network given, which has links
  // on every other dyad of `within`.
  bool (*free)(int i, int j);
  bool (*within)(int i, int j);
};

bool within_block(int i, int j) {
  return block[i] == block[j];
}
bool within_both(int i, int j) {
  return block[i] == block[j] && half[i] == half[j];
}
bool only_two_three(int i, int j) {
  return i == 2 && j == 3;
}

// The links of a drawn network written as an edge list.
std::set<Dyad> links_of(const test::CommandRun& r, bool directed) {
  std::set<Dyad> links;
  const auto networks = test::drawn_links(r, "s");
  for (const auto& [a, b] : networks.at("s/network_1.csv")) {
    const int i = std::stoi(a), j = std::stoi(b);
    links.insert(directed || i < j ? Dyad{i, j} : Dyad{j, i});
  }
  return links;
}

TEST(ErgmConstraintCases, EdgesAtPlusOrMinusAHundredFillOrEmptyTheSpace) {
  const std::vector<Case> cases = {
      {"directed", true, "blockdiag(\"b\")", {}, within_block, within_block},
      {"undirected", false, "blockdiag(\"b\")", {}, within_block, within_block},
      {"two blockings", false, "blockdiag(\"b\") + blockdiag(\"h\")", {}, within_both, within_both},
      {"in the block and unobserved",
       true,
       "blockdiag(\"b\") + observed",
       {{2, 3}, {2, 10}},
       only_two_three,
       within_block},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The network given: every other dyad of `within` linked (ergm draws half of them).
    std::set<Dyad> given;
    std::string edges = "i,j,value\n";
    int k = 0;
    for (int i = 1; i <= n; ++i) {
      for (int j = c.directed ? 1 : i + 1; j <= n; ++j) {
        if (i == j || !c.within(i, j) || ++k % 2 == 0) continue;
        const bool missing =
            std::find(c.missing.begin(), c.missing.end(), Dyad{i, j}) != c.missing.end();
        if (missing) continue;
        given.insert({i, j});
        edges += std::to_string(i) + "," + std::to_string(j) + ",1\n";
      }
    }
    for (const Dyad& d : c.missing) {
      edges += std::to_string(d.first) + "," + std::to_string(d.second) + ",NA\n";
    }
    std::string attributes = "id,b,h\n";
    for (int i = 1; i <= n; ++i) {
      attributes +=
          std::to_string(i) + "," + std::to_string(block[i]) + "," + std::to_string(half[i]) + "\n";
    }
    for (const char* coef : {"-100", "100"}) {
      SCOPED_TRACE(coef);
      std::vector<std::string> arguments = {
          "simulate",   "e.csv", "--nodes",  "10", "--attributes",  "a.csv",
          "-m",         "edges", "--coef",   coef, "--constraints", c.constraints,
          "--networks", "1",     "--chains", "1",  "--burnin",      "20000",
          "--out",      "s"};
      if (!c.directed) arguments.insert(arguments.begin() + 2, "--undirected");
      const test::CommandRun r =
          test::run_command({{"e.csv", edges}, {"a.csv", attributes}}, arguments);
      ASSERT_EQ(r.status, exit_ok) << r.err;
      ASSERT_EQ(r.files.count("s/network_1.csv"), 1u);
      const std::set<Dyad> drawn = links_of(r, c.directed);
      for (int i = 1; i <= n; ++i) {
        for (int j = c.directed ? 1 : i + 1; j <= n; ++j) {
          if (i == j) continue;
          const bool expected = c.free(i, j) ? coef[0] != '-' : given.count({i, j}) > 0;
          EXPECT_EQ(drawn.count({i, j}) > 0, expected) << i << "," << j;
        }
      }
    }
  }
}

TEST(ErgmConstraintCases, DegreesAndEdgesKeepWhatTheyFixAndMoveTheRest) {
  constexpr int nodes = 50;
  std::string edges = "i,j\n";
  std::vector<double> out(nodes, 0.0), in(nodes, 0.0);
  int links = 0;
  for (int i = 1; i <= nodes; ++i) {
    for (int j = 1; j <= nodes; ++j) {
      // About a tenth of the dyads, scattered by a multiplicative hash.
      const auto mixed = (std::uint32_t(i) * 2654435761u) ^ (std::uint32_t(j) * 40503u);
      if (i == j || (mixed >> 8) % 10 != 0) continue;
      edges += std::to_string(i) + "," + std::to_string(j) + "\n";
      ++out[std::size_t(i - 1)], ++in[std::size_t(j - 1)], ++links;
    }
  }
  std::string zeros = "0";
  for (int k = 1; k < 2 * nodes; ++k) zeros += ",0";
  struct Case {
    const char* constraints;
    bool out_fixed, in_fixed;
  };
  for (const Case& c :
       {Case{"odegrees", true, false}, Case{"idegrees", false, true}, Case{"degrees", true, true},
        Case{"odegrees + idegrees", true, true}, Case{"edges", false, false}}) {
    SCOPED_TRACE(c.constraints);
    const test::CommandRun r = test::run_command(
        {{"e.csv", edges}},
        {"simulate", "e.csv", "--nodes", "50", "-m", "sender(nodes=TRUE) + receiver(nodes=TRUE)",
         "--coef", zeros, "--constraints", c.constraints, "--networks", "100", "--stats", "s.csv"});
    ASSERT_EQ(r.status, exit_ok) << r.err;
    bool out_moved = false, in_moved = false;
    for (const std::vector<double>& row : test::statistics_file(r.files.at("s.csv")).drawn) {
      ASSERT_EQ(row.size(), std::size_t(2 * nodes));
      double out_sum = 0.0, in_sum = 0.0;
      for (int k = 0; k < nodes; ++k) {
        out_moved = out_moved || row[std::size_t(k)] != out[std::size_t(k)];
        in_moved = in_moved || row[std::size_t(nodes + k)] != in[std::size_t(k)];
        out_sum += row[std::size_t(k)];
        in_sum += row[std::size_t(nodes + k)];
      }
      EXPECT_EQ(out_sum, links);  // every constraint here keeps the link count
      EXPECT_EQ(in_sum, links);
    }
    EXPECT_NE(out_moved, c.out_fixed);
    EXPECT_NE(in_moved, c.in_fixed);
  }
}

}  // namespace
}  // namespace tarn
