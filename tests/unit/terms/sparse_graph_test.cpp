// The sparse storage of the term graph (sorted neighbour lists, partner counts of the pairs that
// have partners) against the dense one (bit rows, n x n tables), which the brute-force tests of
// term_table_test.cpp check: every term of the table, directed and undirected, on random networks
// of 30 to 200 nodes, gives the same network statistics, change statistics and sender rows with
// either storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/term_check.h"
#include "terms/formula.h"
#include "terms/shared_partners.h"
#include "terms/term_table.h"

namespace tarn {
namespace test {
std::vector<Case> term_table_cases();  // term_table_test.cpp
}
namespace {

struct Case {
  std::string formula;
  bool directed;
};

// Every term of the table's brute-force test, and the cutoffs of the directed partner types and
// the configuration types, which that test leaves to others.
std::vector<Case> cases() {
  std::vector<Case> all;
  for (const test::Case& c : test::term_table_cases()) all.push_back({c.formula, c.directed});
  for (std::string type : {"OTP", "ITP", "RTP", "OSP", "ISP"}) {
    all.push_back({"dgwesp(0.7, type=\"" + type + "\", cutoff=4)", true});
    all.push_back({"dgwdsp(0.4, type=\"" + type + "\", cutoff=4)", true});
  }
  for (const char* classic : {"edges", "out2star", "in2star", "twopath", "ttriple", "ctriple",
                              "mout2star", "min2star", "mutual2star", "m2triple", "m3triple"}) {
    all.push_back({classic, true});
  }
  return all;
}

struct World {
  NodeCovariates attributes;
  std::shared_ptr<const DyadValues> covariate;
};

TermContext context_of(int n, bool directed, std::mt19937& random, World& w) {
  w.attributes.node_count = n;
  w.attributes.source = "attributes.csv";
  AttributeColumn group{"group", {}}, score{"score", {}};
  for (int i = 0; i < n; ++i) {
    group.value.push_back(std::string(1, char('a' + random() % 3)));
    score.value.push_back(std::to_string(int(random() % 9) - 3));
  }
  w.attributes.columns = {group, score};
  std::vector<DyadValues::Entry> entries;
  for (int k = 0; k < 3 * n; ++k) {
    entries.push_back({1 + int(random() % n), 1 + int(random() % n), double(random() % 7) - 2.5});
  }
  w.covariate = std::make_shared<const DyadValues>(n, entries);
  TermContext context;
  context.directed = directed;
  context.node_count = n;
  context.attributes = &w.attributes;
  context.dyadic_covariate = [&w](const std::string&) { return w.covariate; };
  return context;
}

// A clustered random network: most links within blocks of ten, some returned.
void fill(TermGraph& dense, TermGraph& sparse, int n, bool directed, std::mt19937& random) {
  const int links = 3 * n;
  for (int k = 0; k < links; ++k) {
    const int a = 1 + int(random() % n);
    const int b = random() % 4 != 0 ? std::min(n, (a - 1) / 10 * 10 + 1 + int(random() % 10))
                                    : 1 + int(random() % n);
    if (a == b || dense.has_link(a, b)) continue;
    dense.toggle(a, b);
    sparse.toggle(a, b);
    if (directed && random() % 3 == 0 && !dense.has_link(b, a)) {
      dense.toggle(b, a);
      sparse.toggle(b, a);
    }
  }
}

TEST(SparseGraph, EveryTermAsTheDenseGraphCountsIt) {
  std::mt19937 random(30);
  for (const Case& c : cases()) {
    for (const int n : {30, 90, 200}) {
      World w;
      const TermContext context = context_of(n, c.directed, random, w);
      const TermPointer term = make_term(parse_formula(c.formula).front(), context);
      TermGraph dense(n, c.directed, term->partner_tables(), GraphStorage::dense);
      TermGraph sparse(n, c.directed, term->partner_tables(), GraphStorage::sparse);
      ASSERT_EQ(sparse.storage(), GraphStorage::sparse);
      fill(dense, sparse, n, c.directed, random);
      const std::string what = c.formula + (c.directed ? " directed" : " undirected") + ", n " +
                               std::to_string(n) + ", " + std::to_string(dense.link_count()) +
                               " links";
      const auto m = static_cast<std::size_t>(term->statistic_count());
      std::vector<double> want(m), got(m);
      term->network_statistics(dense, want.data());
      term->network_statistics(sparse, got.data());
      // Exactly: the pairs with partners are met in the order of all pairs.
      ASSERT_EQ(got, want) << what << ", network statistics";
      // Change statistics and sender rows of a few senders.
      std::vector<std::vector<double>> dense_rows(m, std::vector<double>(std::size_t(n) + 8, 0.0));
      std::vector<std::vector<double>> sparse_rows = dense_rows;
      std::vector<double*> dense_pointers, sparse_pointers;
      for (std::size_t s = 0; s < m; ++s) {
        dense_pointers.push_back(dense_rows[s].data());
        sparse_pointers.push_back(sparse_rows[s].data());
      }
      for (int i = 1; i <= n; i += 23) {
        term->sender_changes(dense, i, false, dense_pointers.data());
        term->sender_changes(sparse, i, false, sparse_pointers.data());
        for (int j = c.directed ? 1 : i + 1; j <= n; ++j) {
          if (j == i) continue;
          term->add_change(dense, i, j, want.data());
          term->add_change(sparse, i, j, got.data());
          // The dense graph finds common neighbours of long lists by their bit rows, in node
          // order, the sparse one in list order: sums of weights may differ in the last bits.
          for (std::size_t s = 0; s < m; ++s) {
            ASSERT_NEAR(got[s], want[s], 1e-12 * (1.0 + std::fabs(want[s])))
                << what << ", change of " << i << "," << j;
            const double dense_row = dense_rows[s][std::size_t(j - 1)];
            ASSERT_NEAR(sparse_rows[s][std::size_t(j - 1)], dense_row,
                        1e-12 * (1.0 + std::fabs(dense_row)))
                << what << ", row of " << i << "," << j;
          }
        }
      }
    }
  }
}

// The partner counts after random toggles (links added and removed), in either storage, against
// counts from a matrix of the ties toggled alike: pairs whose count falls to 0 leave the sparse
// graph's hash tables, and link_at finds every link once.
TEST(TermGraph, PartnerCountsFollowTheToggles) {
  std::mt19937 random(31);
  const PartnerTables all{true, true, true, true};
  for (bool directed : {true, false}) {
    const int n = 60;
    std::vector<std::vector<int>> x(n + 1, std::vector<int>(n + 1, 0));
    TermGraph dense(n, directed, all, GraphStorage::dense);
    TermGraph sparse(n, directed, all, GraphStorage::sparse);
    for (int step = 0; step < 6000; ++step) {
      const int a = 1 + int(random() % n), b = 1 + int(random() % (step % 2 ? 12 : n));
      if (a == b) continue;
      dense.toggle(a, b);
      sparse.toggle(a, b);
      x[a][b] ^= 1;
      if (!directed) x[b][a] ^= 1;
      if (step % 1000 != 999) continue;
      for (const TermGraph* g : {&dense, &sparse}) {
        SCOPED_TRACE(std::string(g == &dense ? "dense" : "sparse") + (directed ? " directed" : ""));
        std::vector<std::pair<int, int>> links;
        for (int p = 1; p <= n; ++p) {
          for (int q = 1; q <= n; ++q) {
            if (p == q) continue;
            if (x[p][q] && (directed || p < q)) links.emplace_back(p, q);
            int two = 0, receivers = 0, senders = 0, mutual = 0;
            for (int k = 1; k <= n; ++k) {
              if (k == p || k == q) continue;
              two += x[p][k] * x[k][q];
              receivers += x[p][k] * x[q][k];
              senders += x[k][p] * x[k][q];
              mutual += x[p][k] * x[k][p] * x[q][k] * x[k][q];
            }
            ASSERT_EQ(g->tie(p, q), x[p][q]) << p << "," << q;
            ASSERT_EQ(g->two_paths(p, q), two) << p << "," << q;
            if (!directed) continue;
            ASSERT_EQ(g->shared_receivers(p, q), receivers) << p << "," << q;
            ASSERT_EQ(g->shared_senders(p, q), senders) << p << "," << q;
            ASSERT_EQ(g->mutual_two_paths(p, q), mutual) << p << "," << q;
          }
        }
        ASSERT_EQ(g->link_list(), links);
        std::set<std::pair<int, int>> found;
        for (std::int64_t k = 0; k < g->link_count(); ++k) found.insert(g->link_at(k));
        EXPECT_TRUE(std::equal(found.begin(), found.end(), links.begin(), links.end()));
      }
    }
  }
}

// The pairs with partners, as a loop over all pairs meets them.
TEST(SparseGraph, PairsWithPartnersInTheOrderOfAllPairs) {
  std::mt19937 random(32);
  for (bool directed : {true, false}) {
    TermGraph g(40, directed, {}, GraphStorage::sparse);
    for (int k = 0; k < 150; ++k) {
      const int a = 1 + int(random() % 40), b = 1 + int(random() % 40);
      if (a != b && !g.has_link(a, b)) g.toggle(a, b);
    }
    const std::vector<PartnerType> types =
        directed ? std::vector<PartnerType>{PartnerType::otp, PartnerType::itp, PartnerType::rtp,
                                            PartnerType::osp, PartnerType::isp}
                 : std::vector<PartnerType>{PartnerType::undirected};
    for (PartnerType type : types) {
      std::vector<std::tuple<int, int, int>> want, got;
      for (int a = 1; a <= 40; ++a) {
        for (int b = directed ? 1 : a + 1; b <= 40; ++b) {
          if (a == b) continue;
          const int count = partners_counted(g, type, a, b);
          if (count > 0) want.emplace_back(a, b, count);
        }
      }
      for_each_pair_with_partners(g, type,
                                  [&](int a, int b, int count) { got.emplace_back(a, b, count); });
      EXPECT_EQ(got, want) << type_name(type);
    }
  }
}

TEST(PairCounts, AddedRemovedAndGrown) {
  PairCounts counts;
  std::map<std::pair<int, int>, int> want;
  std::mt19937 random(33);
  for (int step = 0; step < 200000; ++step) {
    const int a = 1 + int(random() % 300), b = 1 + int(random() % 300);
    const int change = step % 3 == 0 ? -1 : 1;
    if (change < 0 && want[{a, b}] == 0) continue;
    counts.add(a, b, change);
    want[{a, b}] += change;
  }
  std::size_t nonzero = 0;
  for (const auto& [pair, count] : want) {
    ASSERT_EQ(counts.get(pair.first, pair.second), count);
    nonzero += count != 0 ? 1 : 0;
  }
  EXPECT_EQ(counts.size(), nonzero);
  EXPECT_EQ(counts.get(1000, 1000), 0);
}

}  // namespace
}  // namespace tarn
