// Every term of the table against brute force on small random networks: its network statistic
// against the definition counted from the adjacency matrix, its change statistic of every dyad
// against the difference of those counts with and without the link, and its rows of a sender
// against its change statistics. Directed and undirected, with attributes and a dyadic covariate.
#include "terms/term_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/brute_catalogue.h"
#include "support/brute_terms.h"
#include "support/term_check.h"
#include "terms/formula.h"

namespace tarn {
namespace test {
std::vector<Case> term_table_cases();
}
namespace {

using test::Brute;
using test::Case;
using test::choose;
using test::degree;
using test::pairs;
using test::Ties;
using test::World;

Brute esp(std::string type, double decay) {
  return test::brute::one(
      [=](const Ties& x, const World&) { return test::gw_edgewise(x, type, decay); });
}

Brute dsp(std::string type, double decay) {
  return test::brute::one(
      [=](const Ties& x, const World&) { return test::gw_dyadwise(x, type, decay); });
}

Brute degree_weights(int side, double decay) {
  return test::brute::one(
      [=](const Ties& x, const World&) { return test::gw_degrees(x, side, decay); });
}

// The counts 1..K of a curved term: K the cutoff, else n - 2 partners (n - 1 degree).
int bins(const Ties& x, int cutoff, int most) {
  return cutoff > 0 ? std::min(cutoff, x.n - most) : x.n - most;
}

// The links (edgewise) or all pairs with 1..K partners.
Brute partner_counts(bool edgewise, std::string type, int cutoff = 0) {
  return [=](const Ties& x, const World&) {
    std::vector<double> out(std::size_t(bins(x, cutoff, 2)), 0.0);
    pairs(x, [&](int a, int b) {
      const int s = test::partners(x, type, a, b);
      if ((x(a, b) || !edgewise) && s >= 1 && s <= int(out.size())) out[std::size_t(s - 1)] += 1;
    });
    return out;
  };
}
Brute esp_counts(std::string type, int cutoff = 0) {
  return partner_counts(true, type, cutoff);
}
Brute dsp_counts(std::string type, int cutoff = 0) {
  return partner_counts(false, type, cutoff);
}

Brute degree_counts(int side, int cutoff = 0) {
  return [side, cutoff](const Ties& x, const World&) {
    std::vector<double> out(std::size_t(bins(x, cutoff, 1)), 0.0);
    for (int a = 1; a <= x.n; ++a) {
      const int d = degree(x, a, side);
      if (d >= 1 && d <= int(out.size())) out[std::size_t(d - 1)] += 1;
    }
    return out;
  };
}

Brute stars(int side, std::vector<int> ks) {
  return [side, ks](const Ties& x, const World&) {
    std::vector<double> out;
    for (int k : ks) {
      double sum = 0;
      for (int a = 1; a <= x.n; ++a) sum += choose(degree(x, a, side), k);
      out.push_back(sum);
    }
    return out;
  };
}

Brute degrees(int side, std::vector<int> ds) {
  return [side, ds](const Ties& x, const World&) {
    std::vector<double> out;
    for (int d : ds) {
      double count = 0;
      for (int a = 1; a <= x.n; ++a) count += degree(x, a, side) == d;
      out.push_back(count);
    }
    return out;
  };
}

// A sum over the links (edges) of f(a, b) into statistics.
Brute over_links(int statistics, std::function<void(int, int, const World&, double*)> f) {
  return [statistics, f](const Ties& x, const World& w) {
    std::vector<double> out(std::size_t(statistics), 0.0);
    pairs(x, [&](int a, int b) {
      if (x(a, b)) f(a, b, w, out.data());
    });
    return out;
  };
}

int level(const World& w, int node) {
  return w.group[std::size_t(node - 1)][0] - 'a';
}

Brute triangles() {
  return [](const Ties& x, const World&) {
    double count = 0;
    for (int a = 1; a <= x.n; ++a)
      for (int b = 1; b <= x.n; ++b)
        for (int c = 1; c <= x.n; ++c) {
          if (a == b || b == c || a == c) continue;
          if (!x.directed) count += a < b && b < c ? x(a, b) * x(b, c) * x(a, c) : 0;
          // ttriple a->b, b->c, a->c; ctriple a->b->c->a counted once (a smallest).
          else
            count +=
                x(a, b) * x(b, c) * x(a, c) + (a < b && a < c ? x(a, b) * x(b, c) * x(c, a) : 0);
        }
    return std::vector<double>{count};
  };
}

// The links i->j closed by a two-path i->k->j (cyclical: j->k->i), k of i's and j's level
// when `by_group`.
Brute closed_ties(bool cyclical, bool by_group) {
  return [cyclical, by_group](const Ties& x, const World& w) {
    double count = 0;
    pairs(x, [&](int i, int j) {
      if (!x(i, j) || (by_group && level(w, i) != level(w, j))) return;
      bool closed = false;
      for (int k = 1; k <= x.n; ++k) {
        if (k == i || k == j || (by_group && level(w, k) != level(w, i))) continue;
        closed = closed || (cyclical ? x(j, k) * x(k, i) : x(i, k) * x(k, j)) == 1;
      }
      count += closed ? 1 : 0;
    });
    return std::vector<double>{count};
  };
}

std::vector<Case> cases() {
  std::vector<Case> all;
  for (std::string type : {"OTP", "ITP", "RTP", "OSP", "ISP"}) {
    all.push_back({"dgwesp(0.7, fixed=TRUE, type=\"" + type + "\")", true, esp(type, 0.7)});
    all.push_back({"dgwdsp(0.4, fixed=TRUE, type=\"" + type + "\")", true, dsp(type, 0.4)});
  }
  for (std::string type : {"OTP", "ITP", "RTP", "OSP", "ISP"}) {  // decay estimated: counts
    all.push_back({"dgwesp(0.7, type=\"" + type + "\")", true, esp_counts(type)});
    all.push_back({"dgwdsp(0.4, type=\"" + type + "\")", true, dsp_counts(type)});
  }
  all.push_back({"gwesp(0.5, cutoff=2)", true, esp_counts("OTP", 2)});
  all.push_back({"gwidegree(0.5)", true, degree_counts(0)});
  all.push_back({"gwodegree(0.5, cutoff=3)", true, degree_counts(1, 3)});
  all.push_back({"gwesp(0.3)", false, esp_counts("")});
  all.push_back({"gwdsp(0.6, cutoff=2)", false, dsp_counts("", 2)});
  all.push_back({"gwdegree(0.8)", false, degree_counts(2)});
  all.push_back({"gwesp(0, fixed=TRUE)", true, esp("OTP", 0)});
  all.push_back({"gwdsp(1.5, fixed=TRUE)", true, dsp("OTP", 1.5)});
  all.push_back({"gwidegree(0.5, fixed=TRUE)", true, degree_weights(0, 0.5)});
  all.push_back({"gwodegree(0, fixed=TRUE)", true, degree_weights(1, 0)});
  all.push_back({"istar(1:3)", true, stars(0, {1, 2, 3})});
  all.push_back({"ostar(c(2, 4))", true, stars(1, {2, 4})});
  all.push_back({"idegree(0:2)", true, degrees(0, {0, 1, 2})});
  all.push_back({"odegree(c(1, 3))", true, degrees(1, {1, 3})});
  all.push_back({"isolates", true, degrees(2, {0})});
  all.push_back({"triangle", true, triangles()});
  all.push_back({"transitiveties", true, closed_ties(false, false)});
  all.push_back({"cyclicalties", true, closed_ties(true, false)});
  all.push_back({"transitiveties(group)", true, closed_ties(false, true)});
  all.push_back({"cyclicalties(attr=\"group\")", true, closed_ties(true, true)});
  all.push_back({"gwesp(0.3, fixed=TRUE)", false, esp("", 0.3)});
  all.push_back({"gwdsp(0.6, fixed=TRUE)", false, dsp("", 0.6)});
  all.push_back({"gwdegree(0.8, fixed=TRUE)", false, degree_weights(2, 0.8)});
  all.push_back({"kstar(2:3)", false, stars(2, {2, 3})});
  all.push_back({"degree(0:2)", false, degrees(2, {0, 1, 2})});
  all.push_back({"isolates", false, degrees(2, {0})});
  all.push_back({"triangle", false, triangles()});
  all.push_back(
      {"edges", false, over_links(1, [](int, int, const World&, double* o) { o[0] += 1; })});
  for (bool directed : {true, false}) {
    all.push_back(
        {"nodematch(group)", directed, over_links(1, [](int a, int b, const World& w, double* o) {
           o[0] += level(w, a) == level(w, b);
         })});
    all.push_back({"nodematch(\"group\", diff=TRUE)", directed,
                   over_links(3, [](int a, int b, const World& w, double* o) {
                     if (level(w, a) == level(w, b)) o[level(w, a)] += 1;
                   })});
    all.push_back(
        {"nodefactor(group)", directed, over_links(2, [](int a, int b, const World& w, double* o) {
           for (int e : {a, b})
             if (level(w, e) > 0) o[level(w, e) - 1] += 1;
         })});
    all.push_back(
        {"nodecov(score)", directed, over_links(1, [](int a, int b, const World& w, double* o) {
           o[0] += w.score[std::size_t(a - 1)] + w.score[std::size_t(b - 1)];
         })});
    all.push_back({"absdiff(score, pow=2)", directed,
                   over_links(1, [](int a, int b, const World& w, double* o) {
                     o[0] += std::pow(w.score[std::size_t(a - 1)] - w.score[std::size_t(b - 1)], 2);
                   })});
    all.push_back({"edgecov(\"cov\")", directed,
                   over_links(1, [directed](int a, int b, const World& w, double* o) {
                     // Undirected: the value of (tail, head) with tail < head.
                     const int t = directed ? a : std::min(a, b), h = directed ? b : std::max(a, b);
                     o[0] += w.covariates.at("cov")[std::size_t(t)][std::size_t(h)];
                   })});
  }
  all.push_back({"nodemix(group)", true, over_links(8, [](int a, int b, const World& w, double* o) {
                   const int cell = level(w, a) + 3 * level(w, b);  // tail level fastest
                   if (cell > 0) o[cell - 1] += 1;
                 })});
  all.push_back(
      {"nodemix(group)", false, over_links(5, [](int a, int b, const World& w, double* o) {
         const int lo = std::min(level(w, a), level(w, b));
         const int hi = std::max(level(w, a), level(w, b));
         const int cell = hi * (hi + 1) / 2 + lo;  // upper triangle, column by column
         if (cell > 0) o[cell - 1] += 1;
       })});
  all.push_back(
      {"nodeifactor(group, levels=TRUE)", true,
       over_links(3, [](int, int b, const World& w, double* o) { o[level(w, b)] += 1; })});
  all.push_back(
      {"nodeofactor(group, levels=-(2:3))", true,
       over_links(1, [](int a, int, const World& w, double* o) { o[0] += level(w, a) == 0; })});
  all.push_back({"nodeicov(score)", true, over_links(1, [](int, int b, const World& w, double* o) {
                   o[0] += w.score[std::size_t(b - 1)];
                 })});
  all.push_back({"nodeocov(score)", true, over_links(1, [](int a, int, const World& w, double* o) {
                   o[0] += w.score[std::size_t(a - 1)];
                 })});
  // Three of the sixteen configuration types, checked against their counts elsewhere too.
  all.push_back({"mutual", true, [](const Ties& x, const World&) {
                   double c = 0;
                   pairs(x, [&](int a, int b) { c += a < b ? x(a, b) * x(b, a) : 0; });
                   return std::vector<double>{c};
                 }});
  all.push_back({"m2star", true, [](const Ties& x, const World&) {
                   double c = 0;
                   pairs(x, [&](int a, int b) {
                     for (int k = 1; k <= x.n; ++k) c += k != a && k != b ? x(k, a) * x(a, b) : 0;
                   });
                   return std::vector<double>{c};
                 }});
  return all;
}

TEST(TermTable, EveryTermAgainstBruteForce) {
  std::mt19937 random(2027);
  for (const Case& c : cases()) test::check_against_brute_force(c, random);
}

// The common neighbours of two nodes, found by walking a short list or by the words of the bit
// rows (a graph of 200 nodes has rows of 4 words, so both ways are taken), against brute force.
TEST(TermGraph, CommonNeighboursEitherWay) {
  std::mt19937 random(9);
  const int n = 200;
  TermGraph g(n);
  for (int step = 0; step < 4000; ++step) {
    // Nodes 1..10 are hubs, the others sparse.
    const int a = 1 + int(random() % (step % 3 == 0 ? 10 : n)), b = 1 + int(random() % n);
    if (a != b && !g.has_link(a, b)) g.toggle(a, b);
  }
  for (int a = 1; a <= n; a += 7) {
    for (int b = 1; b <= n; b += 3) {
      std::vector<int> receivers, senders, middles, want_receivers, want_senders, want_middles;
      g.for_each_common_receiver(a, b, [&](int k) { receivers.push_back(k); });
      g.for_each_common_sender(a, b, [&](int k) { senders.push_back(k); });
      g.for_each_two_path_middle(a, b, [&](int k) { middles.push_back(k); });
      for (int k = 1; k <= n; ++k) {
        if (g.tie(a, k) && g.tie(b, k)) want_receivers.push_back(k);
        if (g.tie(k, a) && g.tie(k, b)) want_senders.push_back(k);
        if (g.tie(a, k) && g.tie(k, b)) want_middles.push_back(k);
      }
      for (auto* v : {&receivers, &senders, &middles}) std::sort(v->begin(), v->end());
      ASSERT_EQ(receivers, want_receivers) << a << "," << b;
      ASSERT_EQ(senders, want_senders) << a << "," << b;
      ASSERT_EQ(middles, want_middles) << a << "," << b;
    }
  }
}

}  // namespace

// The table's terms, for the sparse storage's test (sparse_graph_test.cpp) too.
std::vector<test::Case> test::term_table_cases() {
  return cases();
}

}  // namespace tarn
