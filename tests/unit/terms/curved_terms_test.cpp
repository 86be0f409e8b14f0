// The gw terms whose decay is estimated (of one mode and of two): their canonical parameters
// against the gw statistic they stand for, their Jacobian against finite differences, and the
// linear term they are at a decay.
#include "terms/curved_terms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "terms/formula.h"
#include "terms/term_table.h"

namespace tarn {
namespace {

// A two-mode network has `first` nodes in its first mode (0: one mode).
TermPointer term_of(const std::string& formula, bool directed, int n, int first = 0) {
  TermContext context;
  context.directed = directed;
  context.node_count = n;
  context.bipartite = first;
  return make_term(parse_formula(formula).front(), context);
}

TermGraph random_graph(int n, bool directed, int first, double density, std::mt19937& random,
                       PartnerTables tables) {
  TermGraph g(n, directed, tables);
  if (first > 0) g.set_bipartite(first);
  for (int a = 1; a <= n; ++a)
    for (int b = directed ? 1 : a + 1; b <= n; ++b)
      if (a != b && (first == 0 || (a <= first) != (b <= first)) &&
          double(random()) / 4294967296.0 < density)
        g.toggle(a, b);
  return g;
}

const struct {
  const char* curved;
  const char* fixed;  // with the decay written as %g
  bool directed;
  bool two_mode = false;  // the first mode half the nodes
} pairs[] = {
    {"gwesp(%g)", "gwesp(%g, fixed=TRUE)", true},
    {"dgwesp(%g, type=\"RTP\")", "dgwesp(%g, fixed=TRUE, type=\"RTP\")", true},
    {"dgwesp(%g, type=\"OSP\")", "dgwesp(%g, fixed=TRUE, type=\"OSP\")", true},
    {"dgwdsp(%g, type=\"ISP\")", "dgwdsp(%g, fixed=TRUE, type=\"ISP\")", true},
    {"gwdsp(%g)", "gwdsp(%g, fixed=TRUE)", true},
    {"gwidegree(%g)", "gwidegree(%g, fixed=TRUE)", true},
    {"gwodegree(%g)", "gwodegree(%g, fixed=TRUE)", true},
    {"gwesp(%g)", "gwesp(%g, fixed=TRUE)", false},
    {"gwdsp(%g)", "gwdsp(%g, fixed=TRUE)", false},
    {"gwdegree(%g)", "gwdegree(%g, fixed=TRUE)", false},
    {"gwb1dsp(%g)", "gwb1dsp(%g, fixed=TRUE)", false, true},
    {"gwb2dsp(%g)", "gwb2dsp(%g, fixed=TRUE)", false, true},
    {"gwb1degree(%g)", "gwb1degree(%g, fixed=TRUE)", false, true},
    {"gwb2degree(%g)", "gwb2degree(%g, fixed=TRUE)", false, true},
};

std::string with_decay(const char* pattern, double decay) {
  char text[96];
  std::snprintf(text, sizeof text, pattern, decay);
  return text;
}

// eta(theta, a) . counts = theta * (the gw statistic of decay a) when no count passes the cutoff,
// and the term at that decay is the linear gw term, of the same statistic.
TEST(CurvedTerms, CanonicalParametersGiveTheGwStatistic) {
  std::mt19937 random(11);
  for (const auto& c : pairs) {
    for (const double decay : {0.0, 0.3, 1.2, 4.0}) {
      for (const int n : {6, 9}) {
        const std::string what = with_decay(c.curved, decay) + ", n " + std::to_string(n);
        const int first = c.two_mode ? n / 2 : 0;
        const TermPointer curved = term_of(with_decay(c.curved, 0.5), c.directed, n, first);
        const TermPointer fixed = term_of(with_decay(c.fixed, decay), c.directed, n, first);
        ASSERT_TRUE(curved->curved()) << what;
        PartnerTables tables = curved->partner_tables();
        tables |= fixed->partner_tables();
        const TermGraph g = random_graph(n, c.directed, first, 0.45, random, tables);
        std::vector<double> counts(std::size_t(curved->statistic_count()));
        curved->network_statistics(g, counts.data());
        ASSERT_EQ(curved->beyond_cutoff(g), 0) << what;
        const double theta = -0.7;
        const double coefficients[] = {theta, decay};
        std::vector<double> eta(counts.size());
        curved->canonical(coefficients, eta.data());
        double sum = 0;
        for (std::size_t k = 0; k < counts.size(); ++k) sum += eta[k] * counts[k];
        double gw = 0;
        fixed->network_statistics(g, &gw);
        EXPECT_NEAR(sum, theta * gw, 1e-9 * (1 + std::fabs(gw))) << what;
        const TermPointer at = curved->fixed_at(coefficients);
        EXPECT_FALSE(at->curved());
        EXPECT_EQ(at->statistic_names(), fixed->statistic_names()) << what;
        double again = 0;
        at->network_statistics(g, &again);
        EXPECT_DOUBLE_EQ(again, gw) << what;
      }
    }
  }
}

TEST(CurvedTerms, JacobianAgainstFiniteDifferences) {
  const TermPointer term = term_of("gwesp(0.5)", false, 12);
  const int k = term->statistic_count();
  for (const double theta : {-1.3, 0.4}) {
    for (const double decay : {0.05, 0.7, 3.0}) {
      const double at[] = {theta, decay};
      std::vector<double> jacobian(std::size_t(2 * k));
      term->canonical_jacobian(at, jacobian.data());
      for (int c = 0; c < 2; ++c) {
        const double h = 1e-6;
        double up[] = {theta, decay}, down[] = {theta, decay};
        up[c] += h, down[c] -= h;
        std::vector<double> high(static_cast<std::size_t>(k)), low(static_cast<std::size_t>(k));
        term->canonical(up, high.data());
        term->canonical(down, low.data());
        for (int s = 0; s < k; ++s) {
          const double numeric = (high[std::size_t(s)] - low[std::size_t(s)]) / (2 * h);
          EXPECT_NEAR(jacobian[std::size_t(2 * s + c)], numeric, 1e-6 * (1 + std::fabs(numeric)))
              << "theta " << theta << ", decay " << decay << ", count " << s + 1 << ", by "
              << (c == 0 ? "theta" : "decay");
        }
      }
    }
  }
}

// For a large decay e^a (1 - r^k) = k - C(k, 2) e^-a + ...: the raw count, with no loss of the
// digits that 1 - r^k would lose if r^k were rounded first.
TEST(CurvedTerms, LargeDecayGivesTheRawCount) {
  std::vector<double> eta(6);
  curved_weights(1.0, 30.0, eta);
  for (std::size_t k = 1; k <= eta.size(); ++k) {
    EXPECT_NEAR(eta[k - 1], double(k), 1e-9 * double(k)) << k;
  }
}

TEST(CurvedTerms, NamesAndCutoffAsErgm) {
  const TermPointer directed = term_of("dgwesp(0.25, type=\"ITP\", cutoff=3)", true, 10);
  EXPECT_EQ(directed->coefficient_names(),
            (std::vector<std::string>{"gwesp.ITP", "gwesp.ITP.decay"}));
  EXPECT_EQ(directed->statistic_names(),
            (std::vector<std::string>{"esp.ITP#1", "esp.ITP#2", "esp.ITP#3"}));
  EXPECT_EQ(directed->text(), "dgwesp(0.25, type=\"ITP\", cutoff=3)");
  // The cutoff is at most n - 2 shared partners, n - 1 degree.
  EXPECT_EQ(term_of("gwesp(0.5)", false, 5)->statistic_names(),
            (std::vector<std::string>{"esp#1", "esp#2", "esp#3"}));
  EXPECT_EQ(term_of("gwidegree(0.5, cutoff=40)", true, 5)->statistic_count(), 4);
  EXPECT_EQ(term_of("gwdegree(1)", false, 40)->statistic_count(), 30);
  EXPECT_EQ(term_of("gwdegree(1)", false, 40)->coefficient_names(),
            (std::vector<std::string>{"gwdegree", "gwdegree.decay"}));
  EXPECT_EQ(term_of("gwnsp(0.5)", false, 6)->coefficient_names(),
            (std::vector<std::string>{"gwnsp", "gwnsp.decay"}));
  for (const std::string stem : {"gwb1dsp", "gwb2dsp", "gwb1degree", "gwb2degree"}) {
    EXPECT_EQ(term_of(stem + "(0.8)", false, 9, 4)->coefficient_names(),
              (std::vector<std::string>{stem, stem + ".decay"}));
  }
  // A count above the cutoff is left out, and said so.
  const TermPointer two = term_of("gwodegree(0.5, cutoff=2)", true, 6);
  TermGraph g(6, true, {});
  for (int b = 2; b <= 5; ++b) g.toggle(1, b);
  g.toggle(2, 3);
  std::vector<double> counts(2);
  two->network_statistics(g, counts.data());
  EXPECT_EQ(counts, (std::vector<double>{1, 0}));
  EXPECT_EQ(two->beyond_cutoff(g), 1);
}

}  // namespace
}  // namespace tarn
