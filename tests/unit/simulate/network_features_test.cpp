#include "simulate/network_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/networks.h"
#include "support/triad_types.h"

namespace tarn {
namespace {

using test::LinkList;
using Matrix = std::vector<std::vector<int>>;

// Links i->j (nodes 1..n) as a 0/1 matrix, repeats and self-links dropped.
Matrix matrix_of(int n, const LinkList& links) {
  Matrix a(static_cast<std::size_t>(n + 1), std::vector<int>(static_cast<std::size_t>(n + 1), 0));
  for (const auto& [i, j] : links) {
    if (i != j) a[i][j] = 1;
  }
  return a;
}

std::vector<double> trimmed_shares(std::vector<long long> counts, long long total) {
  while (counts.size() > 1 && counts.back() == 0) counts.pop_back();
  if (counts.empty() || total == 0) return {0.0};
  std::vector<double> shares;
  for (const long long c : counts)
    shares.push_back(static_cast<double>(c) / static_cast<double>(total));
  return shares;
}

void count(std::vector<long long>& counts, int value) {
  if (static_cast<std::size_t>(value) >= counts.size()) counts.resize(value + 1u, 0);
  ++counts[static_cast<std::size_t>(value)];
}

// Every feature by definition: direct loops, Floyd-Warshall and all triples.
NetworkFeatures brute_force(int n, const LinkList& links) {
  const Matrix a = matrix_of(n, links);
  NetworkFeatures f;
  std::vector<long long> out_counts, in_counts, edgewise, dyadwise, by_length;
  long long link_total = 0;
  for (int i = 1; i <= n; ++i) {
    int out = 0, in = 0;
    for (int j = 1; j <= n; ++j) out += a[i][j], in += a[j][i];
    count(out_counts, out);
    count(in_counts, in);
  }
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      int partners = 0;
      for (int m = 1; m <= n; ++m) {
        if (m != i && m != j && a[i][m] && a[m][j]) ++partners;
      }
      count(dyadwise, partners);
      if (a[i][j]) count(edgewise, partners), ++link_total;
    }
  }
  constexpr int far = 1 << 20;
  Matrix d = a;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) d[i][j] = a[i][j] ? 1 : far;
  }
  for (int k = 1; k <= n; ++k) {
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
    }
  }
  long long unreachable = 0;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      if (d[i][j] >= far) {
        ++unreachable;
      } else {
        count(by_length, d[i][j] - 1);
      }
    }
  }
  for (int x = 1; x <= n; ++x) {
    for (int y = x + 1; y <= n; ++y) {
      for (int z = y + 1; z <= n; ++z) {
        const std::array<int, 3> node = {x, y, z};
        int bits = 0;
        for (int r = 0; r < 3; ++r) {
          for (int c = 0; c < 3; ++c) {
            if (r != c && a[node[r]][node[c]]) bits |= 1 << (3 * r + c);
          }
        }
        ++f.triad_census[static_cast<std::size_t>(test::triad_type_of_arcs(unsigned(bits)))];
      }
    }
  }
  const long long pairs = static_cast<long long>(n) * (n - 1);
  f.out_degree = trimmed_shares(out_counts, n);
  f.in_degree = trimmed_shares(in_counts, n);
  f.edgewise_shared = trimmed_shares(edgewise, link_total);
  f.dyadwise_shared = trimmed_shares(dyadwise, pairs);
  f.geodesic = trimmed_shares(by_length, pairs);
  f.unreachable = pairs == 0 ? 0.0 : static_cast<double>(unreachable) / static_cast<double>(pairs);
  return f;
}

// The store of `links` (sorted by sender) with nodes 1..n declared.
Network network_with_nodes(int n, const LinkList& links, NetworkLimits limits = dialogue_limits) {
  NetworkBuilder builder("test links", limits);
  builder.declare_nodes(n);
  long line = 0;
  for (const auto& [i, j] : links) builder.add_link(i, j, ++line);
  return std::move(builder).finish();
}

void expect_same(const NetworkFeatures& got, const NetworkFeatures& want, const std::string& what) {
  EXPECT_EQ(got.out_degree, want.out_degree) << what;
  EXPECT_EQ(got.in_degree, want.in_degree) << what;
  EXPECT_EQ(got.edgewise_shared, want.edgewise_shared) << what;
  EXPECT_EQ(got.dyadwise_shared, want.dyadwise_shared) << what;
  EXPECT_EQ(got.geodesic, want.geodesic) << what;
  EXPECT_EQ(got.unreachable, want.unreachable) << what;
  EXPECT_EQ(got.triad_census, want.triad_census) << what;
}

// Random links among nodes 1..n, sorted by sender: each pair linked with probability `density`,
// reciprocated with probability `reciprocity`; some self-links and repeats when `untidy`.
LinkList random_links(std::mt19937_64& random, int n, double density, double reciprocity,
                      bool untidy) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Matrix a = matrix_of(n, {});
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      if (unit(random) >= density) continue;
      const bool forward = unit(random) < 0.5;
      a[forward ? i : j][forward ? j : i] = 1;
      if (unit(random) < reciprocity) a[i][j] = a[j][i] = 1;
    }
  }
  LinkList links;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (a[i][j]) links.emplace_back(i, j);
      if (untidy && a[i][j] && unit(random) < 0.1) links.emplace_back(i, j);
      if (untidy && i == j && unit(random) < 0.2) links.emplace_back(i, i);
    }
  }
  return links;
}

TEST(NetworkFeatures, RandomSmallNetworksAgreeWithBruteForce) {
  std::mt19937_64 random(20240611);
  for (int n = 3; n <= 12; ++n) {
    for (const double density : {0.1, 0.3, 0.6, 0.95}) {
      for (const double reciprocity : {0.0, 0.4, 1.0}) {
        for (const bool untidy : {false, true}) {
          const LinkList links = random_links(random, n, density, reciprocity, untidy);
          const NetworkFeatures want = brute_force(n, links);
          expect_same(network_features(network_with_nodes(n, links)), want,
                      "n " + std::to_string(n) + " density " + std::to_string(density) +
                          " reciprocity " + std::to_string(reciprocity));
        }
      }
    }
  }
}

// Past 64 nodes the searches run in several batches and the bit rows have several words.
TEST(NetworkFeatures, NetworksOfMoreThan64NodesAgreeWithBruteForce) {
  std::mt19937_64 random(7);
  for (const int n : {64, 65, 100, 130}) {
    for (const double density : {0.01, 0.05, 0.2}) {
      const LinkList links = random_links(random, n, density, 0.3, true);
      expect_same(network_features(network_with_nodes(n, links)), brute_force(n, links),
                  "n " + std::to_string(n) + " density " + std::to_string(density));
    }
  }
}

// Networks at the edges against brute force: no node; nodes without links; isolated nodes in the
// middle and at the end (node 3 and node 6); self-links and repeats, which count for nothing.
TEST(NetworkFeatures, EdgeCasesAgreeWithBruteForce) {
  const std::pair<int, LinkList> cases[] = {
      {0, {}},
      {5, {}},
      {6, {{1, 2}, {2, 1}, {2, 4}, {4, 5}, {5, 1}}},
      {3, {{1, 1}, {1, 2}, {1, 2}, {2, 3}, {3, 1}, {3, 3}, {3, 1}}},
  };
  for (const auto& [n, links] : cases) {
    SCOPED_TRACE(n);
    expect_same(network_features(network_with_nodes(n, links)), brute_force(n, links), "");
    int highest = 0;
    for (const auto& [i, j] : links) highest = std::max({highest, i, j});
    if (highest == n) {  // the store without declared nodes, as the links alone give them
      expect_same(network_features(test::network_of(links)), brute_force(n, links), "undeclared");
    }
  }
}

// An undirected network's features are those of the directed network with every edge both
// ways, counted over unordered pairs: the same shares, the degree being the out-degree, and no
// directed panels. Some edges are given both ways and some nodes a self-link, which add nothing.
TEST(NetworkFeatures, UndirectedFeaturesAgreeWithTheSymmetricDirectedNetwork) {
  std::mt19937 random(11);
  for (int round = 0; round < 6; ++round) {
    const int n = 8 + 7 * round;
    LinkList given, both_ways;
    for (int i = 1; i <= n; ++i) {
      if (random() % 4 == 0) given.emplace_back(i, i);
      for (int j = i + 1; j <= n; ++j)
        if (random() % 5 == 0) {
          given.emplace_back(i, j);
          if (random() % 3 == 0) given.emplace_back(j, i);
          both_ways.emplace_back(i, j);
          both_ways.emplace_back(j, i);
        }
    }
    std::sort(given.begin(), given.end());
    std::sort(both_ways.begin(), both_ways.end());
    const NetworkFeatures u = undirected_network_features(network_with_nodes(n, given));
    const NetworkFeatures d = network_features(network_with_nodes(n, both_ways));
    SCOPED_TRACE(n);
    EXPECT_FALSE(u.directed);
    EXPECT_EQ(u.degree, d.out_degree);
    EXPECT_EQ(u.edgewise_shared, d.edgewise_shared);
    EXPECT_EQ(u.dyadwise_shared, d.dyadwise_shared);
    EXPECT_EQ(u.geodesic, d.geodesic);
    EXPECT_EQ(u.unreachable, d.unreachable);
    EXPECT_TRUE(u.out_degree.empty() && u.in_degree.empty());
    for (const std::int64_t count : u.triad_census) EXPECT_EQ(count, 0);
  }
}

// Counts back from shares of `total`.
std::vector<long long> counts_of(const std::vector<double>& shares, long long total) {
  std::vector<long long> counts;
  for (const double share : shares)
    counts.push_back(std::llround(share * static_cast<double>(total)));
  return counts;
}

// Past max_nodes nodes a link is asked of the sorted lists, not of a bit matrix, and shared
// partners are counted from the receivers reached only: the same links among 150 nodes, with
// 1950 isolated nodes added, count the same two-paths, paths and triads with links.
TEST(NetworkFeatures, ANetworkBeyondTheBitMatrixCountsAsWithIt) {
  std::mt19937_64 random(11);
  const int few = 150, many = 2100;
  const LinkList links = random_links(random, few, 0.05, 0.3, true);
  const NetworkFeatures small = network_features(network_with_nodes(few, links));
  const NetworkFeatures large =
      network_features(network_with_nodes(many, links, command_line_limits));
  EXPECT_EQ(large.edgewise_shared, small.edgewise_shared);
  const long long small_pairs = 1LL * few * (few - 1), large_pairs = 1LL * many * (many - 1);
  std::vector<long long> small_shared = counts_of(small.dyadwise_shared, small_pairs);
  std::vector<long long> large_shared = counts_of(large.dyadwise_shared, large_pairs);
  small_shared[0] += large_pairs - small_pairs;
  EXPECT_EQ(large_shared, small_shared);
  EXPECT_EQ(counts_of(large.geodesic, large_pairs), counts_of(small.geodesic, small_pairs));
  for (std::size_t type = 3; type < small.triad_census.size(); ++type) {
    EXPECT_EQ(large.triad_census[type], small.triad_census[type]) << triad_type_names[type];
  }
  EXPECT_EQ(large.geodesic_sources, many);
}

// Every node of a circulant network (i -> i + 1 and i -> i + 97, modulo n) sees the same
// distances, so the shares from sampled sources are the exact ones, counted here from node 0.
TEST(NetworkFeatures, GeodesicsOfALargeNetworkComeFromSampledSources) {
  const int n = geodesic_exact_nodes + 1000;
  LinkList links;
  for (int i = 0; i < n; ++i) {
    links.emplace_back(i + 1, (i + 1) % n + 1);
    links.emplace_back(i + 1, (i + 97) % n + 1);
  }
  std::sort(links.begin(), links.end());
  std::vector<int> distance(static_cast<std::size_t>(n), -1);
  std::vector<int> queue = {0};
  distance[0] = 0;
  std::vector<long long> by_length;
  for (std::size_t at = 0; at < queue.size(); ++at) {
    const int u = queue[at];
    for (const int step : {1, 97}) {
      const int v = (u + step) % n;
      if (distance[static_cast<std::size_t>(v)] >= 0) continue;
      distance[static_cast<std::size_t>(v)] = distance[static_cast<std::size_t>(u)] + 1;
      count(by_length, distance[static_cast<std::size_t>(v)] - 1);
      queue.push_back(v);
    }
  }
  const NetworkFeatures f = network_features(network_with_nodes(n, links, command_line_limits));
  EXPECT_EQ(f.geodesic_sources, geodesic_sampled_sources);
  EXPECT_EQ(f.geodesic, trimmed_shares(by_length, n - 1));
  EXPECT_EQ(f.unreachable, 0.0);
}

}  // namespace
}  // namespace tarn
