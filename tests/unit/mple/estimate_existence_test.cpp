// Whether the maximum pseudo-likelihood estimate exists: separated networks against the fit that
// runs to its bound, separating directions against statistics counted by enumeration.
#include "mple/estimate_existence.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include "model/blocking.h"
#include "support/brute_force.h"
#include "support/fits.h"

namespace tarn {
namespace {

using test::Fitted;
using test::LinkList;
using Records = std::vector<std::array<int, 3>>;
// The statistics of the model's parameters for the dyad (i, j), counted independently.
using DyadStatistics = std::function<std::vector<double>(int i, int j)>;

Fitted unfitted(const LinkList& links, std::initializer_list<int> types) {
  return Fitted{test::network_of(links), test::model_of(types), {}, {}, false, {}};
}

// Checks d . x >= 0 on every dyad with a link and <= 0 on every other one, and returns the number
// of dyads with d . x != 0.
std::int64_t count_separated(const Fitted& f, const std::vector<double>& d,
                             const DyadStatistics& statistics) {
  const int n = f.network.node_count;
  std::int64_t strict = 0;
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (i == j && !f.include_diagonal) continue;
      const std::vector<double> x = statistics(i, j);
      double dx = 0.0;
      for (std::size_t k = 0; k < x.size(); ++k) dx += d[k] * x[k];
      bool tie = false;
      for (int target : f.network.out_list(i)) tie = tie || std::abs(target) == j;
      EXPECT_GE(tie ? dx : -dx, -1e-12) << i << "->" << j;
      if (std::fabs(dx) > 1e-12) ++strict;
    }
  }
  return strict;
}

// Types 1..15 counted by enumeration.
DyadStatistics enumerated(const LinkList& links, int n, std::vector<int> types) {
  return [adjacency = test::Adjacency::from_links(n, links), types](int i, int j) {
    const auto change = test::brute_change_stats(adjacency, i, j);
    std::vector<double> x;
    for (int t : types) x.push_back(static_cast<double>(change[static_cast<std::size_t>(t)]));
    return x;
  };
}

// Edges and the covariate of the records (0 where there is none).
DyadStatistics edges_and_covariate(const Records& records) {
  std::map<std::pair<int, int>, int> value;
  for (const auto& [i, j, v] : records) value[{i, j}] = v;
  return [value](int i, int j) {
    const auto found = value.find({i, j});
    return std::vector<double>{1.0, found == value.end() ? 0.0 : double(found->second)};
  };
}

using SignedRowCounts = std::map<std::array<long, 2>, int>;

// The signed rows s x of a model of two parameters on a network without self-links, and how
// many dyads share each.
SignedRowCounts signed_rows(const LinkList& links, int n, const DyadStatistics& statistics) {
  const auto adjacency = test::Adjacency::from_links(n, links);
  SignedRowCounts rows;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      if (i == j) continue;
      const std::vector<double> x = statistics(i, j);
      const long s = adjacency(i, j) ? 1 : -1;
      ++rows[{s * long(x[0]), s * long(x[1])}];
    }
  return rows;
}

// Two parameters: the directions d with s x . d >= 0 for every dyad form a cone in the plane,
// and any separating direction is a positive sum of at most two of its edges, each a signed row
// or a row turned by 90 degrees. Enumerating those in integers gives the largest set of dyads
// that some direction separates.
std::int64_t most_separated_by_enumeration(const SignedRowCounts& rows) {
  auto strict_count = [&rows](std::array<long, 2> d) -> std::int64_t {
    std::int64_t strict = 0;
    for (const auto& [r, dyads] : rows) {
      const long dx = r[0] * d[0] + r[1] * d[1];
      if (dx < 0) return -1;  // not in the cone
      if (dx > 0) strict += dyads;
    }
    return strict;
  };
  std::vector<std::array<long, 2>> edges;
  for (const auto& [r, dyads] : rows) {
    for (const std::array<long, 2> d : {r, {-r[0], -r[1]}, {-r[1], r[0]}, {r[1], -r[0]}})
      if (strict_count(d) >= 0) edges.push_back(d);
  }
  std::int64_t most = 0;
  for (const auto& a : edges)
    for (const auto& b : edges) most = std::max(most, strict_count({a[0] + b[0], a[1] + b[1]}));
  return most;
}

// Two blocks of three nodes in the default structure (block type 1 within a block, none
// between), with edges and the block edges of block type 1.
Fitted blocked(const LinkList& links) {
  Fitted f{test::network_of(links),
           test::model_choice({{ConfigurationType::edges, {}}, {ConfigurationType::edges, {1}}}, 1),
           {},
           {},
           false,
           {}};
  NodeAttributes attributes;
  for (int i = 1; i <= 6; ++i) attributes.value[0][i - 1u] = i <= 3 ? 1 : 2;
  f.blocks = dyad_blocks(Blocking::identity(1, 2), attributes, f.network.node_count);
  return f;
}

const LinkList within_blocks = {{1, 2}, {2, 1}, {2, 3}, {3, 1}, {4, 5}, {5, 6}, {6, 4}};

// Between the blocks no dyad has a link: the edges parameter goes to -infinity and the block
// edges to +infinity at the same pace, which leaves the dyads within the blocks where they are.
TEST(EstimateExistence, LinksOnlyWithinBlocksAreSeparated) {
  Fitted f = blocked(within_blocks);
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  ASSERT_EQ(e.direction.size(), 2u);
  EXPECT_NEAR(e.direction[0], -1.0, 1e-12);
  EXPECT_NEAR(e.direction[1], 1.0, 1e-12);
  EXPECT_EQ(e.separated_dyads, 18);  // the dyads between the blocks
  EXPECT_EQ(e.distinct_rows, 3);     // link within, no link within, no link between
  const FitResult& r = f.fit();
  EXPECT_TRUE(r.too_many_iterations);  // still running off along the direction
  EXPECT_LT(r.estimate(1), -14.0);
  EXPECT_GT(r.estimate(2), 14.0);
  EXPECT_NEAR(r.estimate(1) + r.estimate(2), std::log(7.0 / 5.0), 1e-3);  // 7 links in 12 dyads
}

TEST(EstimateExistence, OneLinkBetweenBlocksGivesAnEstimate) {
  LinkList links = within_blocks;
  links.insert(links.begin() + 1, {1, 4});
  Fitted f = blocked(links);
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_TRUE(e.exists);
  EXPECT_TRUE(e.direction.empty());
  EXPECT_EQ(e.separated_dyads, 0);
  EXPECT_EQ(e.distinct_rows, 4);
  const FitResult& r = f.fit();
  EXPECT_FALSE(r.too_many_iterations);
  EXPECT_NEAR(r.estimate(1), std::log(1.0 / 17.0), 1e-4);  // one link in 18 dyads between
}

const LinkList ring = {{1, 2}, {1, 3}, {2, 3}, {2, 4}, {3, 4}, {3, 5}, {4, 5},  {4, 6},  {5, 6},
                       {5, 7}, {6, 7}, {6, 8}, {7, 8}, {7, 9}, {8, 9}, {8, 10}, {9, 10}, {10, 1}};

Records covariate_on_links(const LinkList& links, int value_of_4_6 = 1) {
  Records records;
  for (const auto& [i, j] : links) records.push_back({i, j, i == 4 && j == 6 ? value_of_4_6 : 1});
  return records;
}

Fitted with_covariate(const LinkList& links, const Records& records) {
  Fitted f = unfitted(links, {1, 16});
  f.comparative = test::comparative_of(10, records);
  return f;
}

// The covariate is the link indicator: every dyad lies strictly on its side, which no single
// vertex of the first program achieves (it makes either the links or the others strict).
TEST(EstimateExistence, CovariateEqualToTheLinksSeparatesCompletely) {
  const Records records = covariate_on_links(ring);
  Fitted f = with_covariate(ring, records);
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.separated_dyads, 90);
  EXPECT_EQ(e.distinct_rows, 2);
  ASSERT_EQ(e.direction.size(), 2u);
  EXPECT_EQ(count_separated(f, e.direction, edges_and_covariate(records)), 90);
  EXPECT_NEAR(std::max(std::fabs(e.direction[0]), std::fabs(e.direction[1])), 1.0, 1e-15);
}

// The network of ZeroWeight.SeparatingStatisticAtTheBound (fit_test.cpp): the covariate's
// estimate is held at 15.
TEST(EstimateExistence, CovariateFitAtTheBoundIsSeparated) {
  const Records records = covariate_on_links(ring, 5);
  Fitted f = with_covariate(ring, records);
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.separated_dyads, 90);
  EXPECT_EQ(e.distinct_rows, 3);
  EXPECT_EQ(count_separated(f, e.direction, edges_and_covariate(records)), 90);
  EXPECT_EQ(most_separated_by_enumeration(signed_rows(ring, 10, edges_and_covariate(records))), 90);
  EXPECT_GT(e.direction[1], 0.0);
  EXPECT_EQ(f.fit().estimate(2), 15.0);
}

// Both estimates run to the bound (-15 and 15): the direction points the same way.
TEST(EstimateExistence, TriadFitAtTheBoundIsSeparated) {
  Fitted f = unfitted(test::final_inversion_fails, {6, 12});
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  ASSERT_EQ(e.direction.size(), 2u);
  EXPECT_LT(e.direction[0], 0.0);
  EXPECT_GT(e.direction[1], 0.0);
  const DyadStatistics statistics = enumerated(test::final_inversion_fails, 10, {6, 12});
  const std::int64_t most =
      most_separated_by_enumeration(signed_rows(test::final_inversion_fails, 10, statistics));
  EXPECT_GT(most, 0);
  EXPECT_EQ(e.separated_dyads, most);
  EXPECT_EQ(count_separated(f, e.direction, statistics), most);
  const FitResult& r = f.fit();
  EXPECT_EQ(r.estimate(1), -15.0);
  EXPECT_EQ(r.estimate(2), 15.0);
}

// The networks whose fits agree with an independent solver in fit_test.cpp.
TEST(EstimateExistence, ConvergedRandomFitsHaveEstimates) {
  const struct {
    int n;
    double density, reciprocity;
    unsigned seed;
  } cases[] = {{24, 0.25, 0.4, 101}, {30, 0.2, 0.3, 202}, {36, 0.15, 0.5, 303}, {20, 0.3, 0.5, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seed);
    Fitted f = unfitted(test::random_network(c.n, c.density, c.reciprocity, c.seed),
                        {1, 2, 3, 4, 5, 6, 7});
    const FitResult& r = f.fit();
    ASSERT_EQ(r.end, FitEnd::completed);
    ASSERT_FALSE(r.too_many_iterations);
    for (int k = 1; k <= 7; ++k) ASSERT_LT(std::fabs(r.estimate(k)), 10.0);
    const EstimateExistence e = check_estimate_existence(f.data());
    EXPECT_TRUE(e.exists);
    EXPECT_TRUE(e.direction.empty());
    EXPECT_EQ(e.separated_dyads, 0);
    EXPECT_GT(e.distinct_rows, 7);
    EXPECT_LE(e.distinct_rows, r.dyad_count);
  }
}

TEST(EstimateExistence, TwoParametersAgreeWithEnumeration) {
  int separated_cases = 0;
  for (unsigned seed = 1; seed <= 120; ++seed) {
    const int n = 4 + static_cast<int>(seed % 3);
    const double density = 0.1 + 0.2 * (seed % 5);
    const int first = 1 + static_cast<int>(seed % 15);
    const int second = 1 + static_cast<int>((seed * 7 + 3) % 15);
    if (first == second) continue;
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " types " << first << ", " << second);
    const LinkList links = test::random_network(n, density, 0.4, seed);
    const DyadStatistics statistics = enumerated(links, n, {first, second});
    const SignedRowCounts rows = signed_rows(links, n, statistics);
    Fitted f = unfitted(links, {first, second});
    const EstimateExistence e = check_estimate_existence(f.data());
    const std::int64_t most = most_separated_by_enumeration(rows);
    EXPECT_EQ(e.exists, most == 0);
    EXPECT_EQ(e.separated_dyads, most);
    EXPECT_EQ(e.distinct_rows, static_cast<std::int64_t>(rows.size()));
    if (!e.exists) {
      ++separated_cases;
      EXPECT_EQ(count_separated(f, e.direction, statistics), most);
    }
  }
  EXPECT_GT(separated_cases, 20);  // both outcomes are well represented
  EXPECT_LT(separated_cases, 90);
}

TEST(EstimateExistence, EdgesAloneHaveTwoDistinctRows) {
  Fitted f = unfitted(test::random_network(40, 0.2, 0.3, 9), {1});
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_TRUE(e.exists);
  EXPECT_EQ(e.distinct_rows, 2);
}

// Without links there are no nodes, so no dyads and nothing to separate. One link between two
// nodes: the edges alone have an estimate (one link in two dyads), but the mutual statistic is 1
// on the dyad without a link only, which separates the two.
TEST(EstimateExistence, NetworksWithoutDyadsOrWithOneLink) {
  Fitted f = unfitted({}, {1, 2});
  EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_TRUE(e.exists);
  EXPECT_EQ(e.distinct_rows, 0);
  f = unfitted({{2, 1}}, {1});
  e = check_estimate_existence(f.data());
  EXPECT_TRUE(e.exists);
  EXPECT_EQ(e.distinct_rows, 2);
  f = unfitted({{2, 1}}, {1, 2});
  e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.separated_dyads, 2);
  EXPECT_EQ(count_separated(f, e.direction, enumerated({{2, 1}}, 2, {1, 2})), 2);
}

// Every pair linked: edges alone separate the dyads, unless the self-pairs without a self-link
// count as dyads too.
TEST(EstimateExistence, DiagonalOfACompleteNetworkGivesAnEstimate) {
  LinkList complete;
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j)
      if (i != j) complete.push_back({i, j});
  Fitted f = unfitted(complete, {1});
  EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.direction, std::vector<double>{1.0});
  EXPECT_EQ(e.separated_dyads, 12);
  EXPECT_EQ(e.distinct_rows, 1);
  f.include_diagonal = true;
  e = check_estimate_existence(f.data());
  EXPECT_TRUE(e.exists);
  EXPECT_EQ(e.distinct_rows, 2);
}

// The self-pairs are dyads without a link and without the covariate, separated like the others.
// A self-link without the covariate, though, leaves only the covariate to separate: the edges
// must stay at 0, and the dyads without a link lie on the boundary.
TEST(EstimateExistence, DiagonalChangesTheSeparatedDyads) {
  const Records records = covariate_on_links(ring);
  Fitted f = with_covariate(ring, records);
  f.include_diagonal = true;
  EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.separated_dyads, 100);

  LinkList with_self_link = ring;
  with_self_link.insert(with_self_link.begin() + 6, {3, 3});
  f = with_covariate(with_self_link, records);
  e = check_estimate_existence(f.data());
  EXPECT_EQ(e.separated_dyads, 90);  // the self-link is no dyad
  f.include_diagonal = true;
  e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.separated_dyads, 18);  // the links
  EXPECT_EQ(e.direction, (std::vector<double>{0.0, 1.0}));
  EXPECT_EQ(count_separated(f, e.direction, edges_and_covariate(records)), 18);
}

// A covariate of -32768 on dyads without a link: their signed row +32768 does not fit 16 bits.
TEST(EstimateExistence, MostNegativeCovariateOnDyadsWithoutALink) {
  Records records = covariate_on_links(ring);
  records.insert(records.begin() + 1, {1, 4, -32768});
  records.insert(records.begin() + 1, {1, 5, -32768});
  Fitted f = with_covariate(ring, records);
  const EstimateExistence e = check_estimate_existence(f.data());
  EXPECT_FALSE(e.exists);
  EXPECT_EQ(e.distinct_rows, 3);
  EXPECT_EQ(e.separated_dyads, 90);
  EXPECT_EQ(count_separated(f, e.direction, edges_and_covariate(records)), 90);

  // A link with the same covariate joins them to the links: the two rows differ only in sign.
  LinkList links = ring;
  links.insert(links.begin() + 2, {1, 6});
  records.insert(records.begin() + 3, {1, 6, -32768});
  f = with_covariate(links, records);
  const EstimateExistence joined = check_estimate_existence(f.data());
  EXPECT_EQ(joined.distinct_rows, 4);
  EXPECT_TRUE(joined.exists);
}

// Networks with more distinct rows than the sample of senders. Every case is decided twice, from
// the sample where it suffices and from every row, and the answers must agree: a random network
// (the sample decides), links only within two blocks (separated: every row is read), and the
// same with links between the blocks from the senders read last only (189, 192, 195, 198 in the
// order 1, 4, ..., 199, 2, 5, ..., 200, 3, 6, ..., 198): the sample looks separated, the whole
// network is not.
TEST(EstimateExistence, SampleOfSomeSendersAgreesWithEveryRow) {
  const int n = 200;
  auto two_blocks = [n](const LinkList& links, std::initializer_list<int> global_types) {
    ModelDescription terms;
    for (int t : global_types) terms.push_back({static_cast<ConfigurationType>(t), {}});
    terms.push_back({ConfigurationType::edges, {1}});
    Fitted f{test::network_of(links), test::model_choice(terms, 1), {}, {}, false, {}};
    NodeAttributes attributes;
    for (int i = 1; i <= n; ++i) attributes.value[0][i - 1u] = i % 2 + 1;
    f.blocks = dyad_blocks(Blocking::identity(1, 2), attributes, f.network.node_count);
    return f;
  };
  const LinkList random = test::random_network(n, 0.08, 0.3, 41);
  LinkList within, mostly_within;
  for (const auto& [i, j] : random) {
    if (i % 2 == j % 2) within.push_back({i, j});
    if (i % 2 == j % 2 || (i % 3 == 0 && i > n - 12)) mostly_within.push_back({i, j});
  }
  struct Case {
    const char* name;
    Fitted fitted;
    bool exists;
    EstimateExistence::Proof proof;
  } cases[] = {
      {"random", unfitted(random, {1, 2, 3, 4, 5, 6, 7}), true,
       EstimateExistence::Proof::sample_of_rows},
      {"within", two_blocks(within, {1, 2, 3, 4, 5, 6, 7}), false,
       EstimateExistence::Proof::linear_program},
      {"mostly within", two_blocks(mostly_within, {1, 2, 3, 4, 5, 6, 7}), true,
       EstimateExistence::Proof::linear_program},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EstimateExistence shortest = check_estimate_existence(c.fitted.data());
    const EstimateExistence every_row =
        check_estimate_existence(c.fitted.data(), ExistenceMethod::linear_program_only);
    EXPECT_EQ(shortest.exists, c.exists);
    EXPECT_EQ(shortest.proof, c.proof);
    EXPECT_EQ(every_row.exists, c.exists);
    EXPECT_EQ(every_row.proof, EstimateExistence::Proof::linear_program);
    EXPECT_GT(every_row.distinct_rows, 4096 + 256 * 8);  // more than the sample
    EXPECT_EQ(shortest.separated_dyads, every_row.separated_dyads);
    EXPECT_EQ(shortest.direction, every_row.direction);
  }
}

// A raised cancel stops the check (reading rows, or at a round of the programs); never raised, it
// changes nothing.
TEST(EstimateExistence, StopsWhenCancelled) {
  Fitted f = unfitted(test::final_inversion_fails, {6, 12});
  std::atomic<bool> flag{true};
  for (const ExistenceMethod method :
       {ExistenceMethod::shortest, ExistenceMethod::linear_program_only}) {
    flag = true;
    EXPECT_THROW(check_estimate_existence(f.data(), method, &flag), WorkCancelled);
    flag = false;
    EXPECT_EQ(check_estimate_existence(f.data(), method, &flag).direction,
              check_estimate_existence(f.data(), method).direction);
  }
}

}  // namespace
}  // namespace tarn
