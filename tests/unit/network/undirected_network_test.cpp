// Networks taken as undirected: each pair linked either way is one edge, self-links are no
// edges, and the readers say which pairs a file gives both ways with different values.
#include "network/undirected_network.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "network/data_file.h"
#include "network/edge_list_file.h"
#include "network/network_file.h"
#include "network/pajek_file.h"
#include "support/networks.h"

namespace tarn {
namespace {

using test::links_of;
using Links = std::vector<std::pair<int, int>>;

TEST(UndirectedNetwork, EachPairLinkedEitherWayIsOneEdge) {
  const struct {
    const char* what;
    Links read;
    Links edges;
    std::int64_t self_links;
  } cases[] = {
      {"both ways", {{1, 2}, {2, 1}, {2, 3}, {3, 2}}, {{1, 2}, {2, 3}}, 0},
      {"one way, either way", {{1, 3}, {3, 2}, {4, 1}}, {{1, 3}, {1, 4}, {2, 3}}, 0},
      {"self-links left out", {{1, 1}, {1, 2}, {3, 3}, {3, 1}}, {{1, 2}, {1, 3}}, 2},
      {"a row given twice", {{1, 2}, {1, 2}, {2, 1}, {3, 1}, {3, 1}}, {{1, 2}, {1, 3}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const UndirectedNetwork u = undirected_network(test::network_of(c.read), "Link list");
    EXPECT_EQ(links_of(u.network), c.edges);
    EXPECT_EQ(u.network.link_count, static_cast<int>(c.edges.size()));
    EXPECT_EQ(u.self_links, c.self_links);
    EXPECT_FALSE(u.network.has_repeated_links);
    EXPECT_EQ(u.network.node_count, test::network_of(c.read).node_count);
  }
}

TEST(UndirectedNetwork, DeclaredNodesWithoutLinksStay) {
  std::istringstream in("*Vertices 5\n*Edges\n1 2\n2 3\n");
  const LabelledNetwork read = read_pajek(in, "p.net", true);
  const UndirectedNetwork u = undirected_network(read.network, "p.net");
  EXPECT_EQ(u.network.node_count, 5);
  EXPECT_EQ(links_of(u.network), (Links{{1, 2}, {2, 3}}));
  EXPECT_TRUE(read.warnings.empty());  // no looks_undirected: the network is taken as undirected
}

// A covariate's pair {i, j} takes the value of row i,j (i < j), else that of j,i.
TEST(UndirectedNetwork, CovariateValuesOfAPairComeFromTheUpperTriangle) {
  const UndirectedValues u = undirected_values(DyadValues(
      4, {{1, 2, 5}, {2, 1, 5}, {2, 4, 3}, {3, 1, 7.5}, {3, 4, -2}, {4, 3, 6}, {4, 2, 3}}));
  std::vector<std::vector<double>> rows(4, std::vector<double>(4));
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) rows[std::size_t(i - 1)][std::size_t(j - 1)] = u.values.at(i, j);
  EXPECT_EQ(rows, (std::vector<std::vector<double>>{
                      {0, 5, 7.5, 0}, {0, 0, 0, 3}, {0, 0, 0, -2}, {0, 0, 0, 0}}));
  EXPECT_EQ(u.differing_pairs, 1);
  EXPECT_EQ(u.first, 3);
  EXPECT_EQ(u.second, 4);
  EXPECT_EQ(u.value, -2);
  EXPECT_EQ(u.reverse_value, 6);
}

LabelledNetwork read_csv(const std::string& text, bool undirected) {
  std::istringstream in(text);
  EdgeListOptions options;
  options.undirected = undirected;
  return read_edge_list(in, "n.csv", NetworkFormat::csv, options);
}

TEST(UndirectedNetwork, RowsGivenBothWaysWithDifferentValuesAreSaid) {
  const struct {
    const char* what;
    std::string text;
    std::int64_t pairs;  // 0: no warning
    std::string first, second, value, reverse_value;
  } cases[] = {
      {"the same value both ways", "a,b,1\nb,a,1\nb,c,2\nc,b,2\n", 0, "", "", "", ""},
      {"one way only", "a,b,0\nb,c,2.5\n", 0, "", "", "", ""},
      {"a link against 0", "a,b,1\nb,c,1\nb,a,0\n", 1, "a", "b", "1", "0"},
      {"two weights", "x,y,2\ny,x,3.5\nx,z,1\nz,x,4\n", 2, "x", "y", "2", "3.5"},
      {"repeated rows count a pair once", "a,b,1\nb,a,2\nb,a,2\n", 1, "a", "b", "1", "2"},
      {"self-links are no pairs", "a,a,1\na,a,2\na,b,1\n", 0, "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const LabelledNetwork read = read_csv(c.text, true);
    const Warning* differ = nullptr;
    for (const Warning& w : read.warnings) differ = w.code == "reverse_rows_differ" ? &w : differ;
    ASSERT_EQ(differ != nullptr, c.pairs > 0);
    if (differ == nullptr) continue;
    EXPECT_EQ(differ->count("pairs"), c.pairs);
    EXPECT_EQ(differ->text("first"), c.first);
    EXPECT_EQ(differ->text("second"), c.second);
    EXPECT_EQ(differ->text("value"), c.value);
    EXPECT_EQ(differ->text("reverse_value"), c.reverse_value);
    EXPECT_EQ(differ->text("file"), "n.csv");
    EXPECT_EQ(differ->text("of"), "links");
    // Taken as directed, the same file says nothing of it.
    for (const Warning& w : read_csv(c.text, false).warnings) {
      EXPECT_NE(w.code, "reverse_rows_differ");
    }
  }
}

TEST(UndirectedNetwork, PajekArcsAndRecordFilesAreCheckedAsWell) {
  std::istringstream arcs("*Vertices 3\n1 \"A\"\n2 \"B\"\n3 \"C\"\n*Arcs\n1 2 2\n2 1 1\n2 3\n");
  const LabelledNetwork pajek = read_pajek(arcs, "p.net", true);
  ASSERT_EQ(pajek.warnings.size(), 2u);  // and weights_read_as_ties
  EXPECT_EQ(pajek.warnings[0].code, "reverse_rows_differ");
  EXPECT_EQ(pajek.warnings[0].text("first"), "A");
  EXPECT_EQ(pajek.warnings[0].text("value"), "2");
  EXPECT_EQ(pajek.warnings[0].text("reverse_value"), "1");
  // An edge gives both its arcs one weight.
  std::istringstream edges("*Vertices 3\n*Edges\n1 2 2\n2 3\n");
  for (const Warning& w : read_pajek(edges, "p.net", true).warnings) {
    EXPECT_NE(w.code, "reverse_rows_differ");
  }
  DataFile file(std::make_unique<std::istringstream>("(3I3)\n  1  2  1\n  2  1  0\n  2  3  1\n"),
                "r.dat");
  PairRows rows;
  const Network network = read_network_file(file, {}, &rows);
  EXPECT_EQ(network.link_count, 2);
  const std::vector<Warning> said =
      rows.warnings("r.dat", true, [](int node) { return std::to_string(node); });
  ASSERT_EQ(said.size(), 2u);  // and zero_value_rows
  EXPECT_EQ(said[0].code, "reverse_rows_differ");
  EXPECT_EQ(said[0].count("pairs"), 1);
  EXPECT_EQ(said[0].text("reverse_value"), "0");
}

}  // namespace
}  // namespace tarn
