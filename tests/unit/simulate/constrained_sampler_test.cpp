// Chains confined to a sample space against the exact distribution: every network of 4 or 5
// nodes listed, those outside the space (a fixed dyad changed, a degree past a bound or other than
// observed where degrees are fixed) left out, and the rest (with the edges constraint, those of
// the observed link count) weighted
// exp(theta . g(y)); the chains' visits to each network are compared with
// those probabilities by a chi-square test, and a visit outside the space fails at once.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "model/sample_space.h"
#include "simulate/sampler.h"
#include "support/chi_square.h"
#include "support/models.h"
#include "support/temporary_folder.h"

namespace tarn {
namespace {

using Vector = std::vector<double>;

struct SpaceCase {
  const char* formula;
  Vector theta;
  bool directed;
  const char* constraints;
  test::LinkList observed;  // undirected: i < j
  int nodes = 4;
  std::size_t least_networks = 4;  // the space holds at least these
};

std::vector<std::pair<int, int>> dyads_of(int n, bool directed) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= n; ++i)
    for (int j = directed ? 1 : i + 1; j <= n; ++j)
      if (i != j) dyads.emplace_back(i, j);
  return dyads;
}

std::uint32_t mask_of(const TermGraph& g, const std::vector<std::pair<int, int>>& dyads) {
  std::uint32_t mask = 0;
  for (std::size_t d = 0; d < dyads.size(); ++d)
    if (g.has_link(dyads[d].first, dyads[d].second)) mask |= 1u << d;
  return mask;
}

// The constraint files, in the test's working folder.
void write_constraint_files() {
  std::ofstream("free.csv") << "from,to\n1,2\n2,1\n1,3\n3,4\n4,2\n2,3\n";
  std::ofstream("present.csv") << "1 2\n";
  std::ofstream("absent.csv") << "2 4\n4 3\n";
  std::ofstream("free5.csv") << "1 2\n1 3\n1 4\n1 5\n2 3\n2 5\n3 4\n3 5\n4 5\n";
}

TEST(ConstrainedSampler, VisitsMatchTheExactDistributionWithinTheSpace) {
  const test::TemporaryFolder folder(true);
  write_constraint_files();
  const SpaceCase cases[] = {
      {"edges + mutual", {-0.5, 1.0}, true, "blockdiag(\"school\")", {{1, 2}, {4, 1}}},
      {"edges + triangle", {-0.3, 0.8}, false, "bd(maxout=2)", {{1, 2}, {2, 3}, {3, 4}}},
      {"edges + mutual + istar(2)",
       {-0.4, 0.9, -0.3},
       true,
       "bd(maxout=2, minin=1)",
       {{1, 2}, {2, 3}, {3, 4}, {4, 1}}},
      {"edges + mutual", {0.2, 0.7}, true, "fixallbut(\"free.csv\")", {{1, 2}, {2, 4}}},
      {"edges + ctriple",
       {-0.2, 0.5},
       true,
       "fixedas(present=\"present.csv\", absent=\"absent.csv\")",
       {{1, 2}, {1, 4}, {3, 1}}},
      {"edges + kstar(2)", {0.3, -0.4}, false, "blockdiag(\"school\") + bd(maxout=1)", {{1, 4}}},
      {"mutual + istar(2)", {1.0, -0.3}, true, "edges", {{1, 2}, {2, 3}, {4, 1}}},
      {"triangle + kstar(2)", {0.6, -0.2}, false, "edges + bd(maxout=2)", {{1, 2}, {2, 3}, {3, 4}}},
      {"mutual + ctriple", {0.8, 0.4}, true, "edges + blockdiag(\"school\")", {{1, 2}, {4, 1}}},
      {"triangle + nodematch(\"school\")",
       {0.7, -0.5},
       false,
       "degrees",
       {{1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 5}},
       5},
      {"mutual + ctriple", {0.8, 0.5}, true, "degrees", {{1, 2}, {1, 4}, {2, 3}, {3, 1}, {4, 2}}},
      {"mutual + ttriple",
       {-0.6, 0.4},
       true,
       "odegrees + idegrees",
       {{1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 1}}},
      // Only turning the triangle around leaves the observed network.
      {"ctriple", {0.0}, true, "degrees", {{2, 3}, {3, 4}, {4, 2}}, 4, 2},
      {"mutual + istar(2)", {0.6, -0.4}, true, "odegrees", {{1, 2}, {2, 3}, {3, 1}, {4, 1}}},
      {"mutual + ostar(2)", {0.5, 0.3}, true, "idegrees", {{1, 2}, {2, 3}, {3, 4}}},
      {"mutual + ctriple",
       {0.7, 0.4},
       true,
       "idegrees + fixedas(absent=\"absent.csv\")",
       {{1, 2}, {2, 3}, {3, 4}}},
      {"triangle + kstar(2)",
       {0.5, 0.1},
       false,
       "degrees + fixallbut(\"free5.csv\")",
       {{1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 5}},
       5,
       3},
  };
  std::uint64_t seed = 11;
  for (const SpaceCase& c : cases) {
    SCOPED_TRACE(c.constraints);
    const int n = c.nodes;
    NodeCovariates attributes = test::node_attributes(n, {{"school", {"a", "a", "b", "a", "b"}}});
    attributes.columns[0].value.resize(static_cast<std::size_t>(n));
    Study study = test::formula_study(c.formula, c.observed, attributes, c.directed);
    ASSERT_EQ(study.node_count(), n);
    const TermGraph observed = study.graph();
    const SampleSpace space = build_sample_space(c.constraints, observed, attributes);
    study.space = std::make_shared<const SampleSpace>(space);

    // The exact probabilities of the networks of the space, by their masks.
    const auto dyads = dyads_of(n, c.directed);
    std::map<std::uint32_t, double> exact;
    double total = 0.0;
    for (std::uint32_t mask = 0; mask < (1u << dyads.size()); ++mask) {
      TermGraph g(n, c.directed, study.model.partner_tables());
      bool inside = true;
      for (std::size_t d = 0; d < dyads.size(); ++d) {
        const auto [i, j] = dyads[d];
        const bool link = (mask >> d & 1u) != 0;
        if (link) g.toggle(i, j);
        if (!space.free(i, j) && link != observed.has_link(i, j)) inside = false;
      }
      const DegreeBounds& b = space.bounds();
      for (int a = 1; a <= n; ++a) {
        const int out = g.out(a), in = c.directed ? g.in(a) : g.out(a);
        if (space.fixes_out_degrees() && out != observed.out(a)) inside = false;
        if (space.fixes_in_degrees() && in != (c.directed ? observed.in(a) : observed.out(a)))
          inside = false;
        if ((b.maxout >= 0 && out > b.maxout) || (b.minout >= 0 && out < b.minout) ||
            (b.maxin >= 0 && in > b.maxin) || (b.minin >= 0 && in < b.minin))
          inside = false;
      }
      if (space.fixes_link_count() && g.link_count() != observed.link_count()) inside = false;
      if (!inside) continue;
      const Vector s = study.model.network_statistics(g);
      double gain = 0.0;
      for (std::size_t p = 0; p < s.size(); ++p) gain += c.theta[p] * s[p];
      total += exact[mask] = std::exp(gain);
    }
    for (auto& [mask, p] : exact) p /= total;
    ASSERT_GE(exact.size(), c.least_networks);

    const int draws = 20000;
    SamplerSettings settings;
    settings.burnin = 200;
    settings.interval = 30;
    settings.chains = 4;
    settings.seed = seed++;
    settings.threads = 2;
    std::vector<std::uint32_t> visited(draws);
    const SampleSummary s = sample_networks(study, c.theta, draws, settings,
                                            [&](int k, const TermGraph& g, const Vector&) {
                                              visited[std::size_t(k)] = mask_of(g, dyads);
                                            });
    std::map<std::uint32_t, double> count;
    for (std::uint32_t mask : visited) {
      ASSERT_TRUE(exact.count(mask)) << "a network outside the space: mask " << mask;
      count[mask] += 1;
    }
    EXPECT_GT(test::chi_square_p(exact, count, draws), 1e-3)
        << c.formula << ": " << exact.size() << " networks";
  }
}

}  // namespace
}  // namespace tarn
