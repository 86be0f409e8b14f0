// Dyad-independent fits at extreme rates reach the exact maximum-likelihood estimate, whatever
// the path (the sweep over every dyad, the dyad classes of a large network, the case-control rows
// of every empty dyad): densities from 10^-7 to 0.5, a class of mutual pairs with a handful of
// pairs. The networks are laid out here, not by the bench generator: pairs of each class placed
// by this file's own stream, departments of contiguous nodes. The exact estimate is computed
// apart, from the counts of one-way and mutual pairs of each class: the model factorises over
// the unordered pairs, and its three moment equations are solved by Newton's method here.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/model.h"
#include "mple/case_control.h"
#include "mple/dyad_classes.h"
#include "mple/pseudo_likelihood.h"

namespace tarn {
namespace {

// The command line's passes stop after a step of less than 10^-6 of each estimate, which leaves
// an error of about half its square; what remains is rounding: a sweep over a million dyads sums
// X'Wz for a class of two links beside one of thousands, and a coefficient of the small class is
// the difference of such sums (1.5 x 10^-8 of the estimate here).
constexpr double settled = 1e-7;

// How many unordered pairs of each class (0: across departments, 1: within) hold one link, and
// how many hold two.
struct PairCounts {
  std::array<std::int64_t, 2> one_way{}, mutual{};
};

struct Layout {
  int nodes = 0;
  int department = 0;  // nodes 1..department are department 1, and so on
  bool directed = true;
  int dept_of(int node) const { return (node - 1) / department; }
  std::array<std::int64_t, 2> pairs() const {
    const std::int64_t n = nodes, d = department, groups = n / d;
    const std::int64_t within = groups * d * (d - 1) / 2;
    return {n * (n - 1) / 2 - within, within};
  }
};

// The network with these counts, its pairs of each class drawn uniformly (distinct).
Network network_of(const Layout& layout, const PairCounts& counts, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::set<std::pair<int, int>> taken;
  std::vector<std::pair<int, int>> links;
  const auto uniform = [&random](int below) { return static_cast<int>(random() % below); };
  for (int c = 0; c < 2; ++c) {
    const std::int64_t wanted = counts.one_way[c] + counts.mutual[c];
    for (std::int64_t placed = 0; placed < wanted;) {
      int a = 1 + uniform(layout.nodes), b;
      if (c == 1) {
        const int first = layout.dept_of(a) * layout.department + 1;
        b = first + uniform(layout.department);
      } else {
        b = 1 + uniform(layout.nodes);
        if (layout.dept_of(a) == layout.dept_of(b)) continue;
      }
      if (a == b || !taken.insert({std::min(a, b), std::max(a, b)}).second) continue;
      if (placed < counts.mutual[c]) {
        links.emplace_back(a, b);
        links.emplace_back(b, a);
      } else {
        links.emplace_back(layout.directed ? a : std::min(a, b),
                           layout.directed ? b : std::max(a, b));
      }
      ++placed;
    }
  }
  std::sort(links.begin(), links.end());
  NetworkBuilder builder("test", command_line_limits);
  builder.declare_nodes(layout.nodes);
  for (const auto& [a, b] : links) builder.add_link(a, b);
  return std::move(builder).finish();
}

// The exact estimate of edges + mutual + nodematch on a directed network: the moment equations
// of the pair classes (empty, one-way either way with weight e^a, mutual with e^(2a + mutual),
// a = edges + nodematch [within]) solved by Newton's method from the classes' own log-odds.
std::array<double, 3> exact_directed(const Layout& layout, const PairCounts& counts) {
  const auto pairs = layout.pairs();
  const std::array<double, 3> observed = {
      double(counts.one_way[0] + counts.one_way[1] + 2 * (counts.mutual[0] + counts.mutual[1])),
      double(counts.mutual[0] + counts.mutual[1]),
      double(counts.one_way[1] + 2 * counts.mutual[1])};
  const double a0 = std::log(double(counts.one_way[0]) / 2 / double(pairs[0]));
  const double a1 = std::log(double(counts.one_way[1]) / 2 / double(pairs[1]));
  std::array<double, 3> theta = {a0, std::log(double(counts.mutual[1]) / double(pairs[1])) - 2 * a1,
                                 a1 - a0};
  for (int iteration = 0; iteration < 200; ++iteration) {
    std::array<double, 3> mean{};
    std::array<std::array<double, 3>, 3> cov{};
    for (int c = 0; c < 2; ++c) {
      const double a = theta[0] + theta[2] * c;
      const double w1 = 2 * std::exp(a), w2 = std::exp(2 * a + theta[1]), z = 1 + w1 + w2;
      const std::array<std::array<double, 3>, 2> g = {{{1, 0, double(c)}, {2, 1, 2.0 * c}}};
      const std::array<double, 2> p = {w1 / z, w2 / z};
      for (int k = 0; k < 3; ++k) {
        const double mk = p[0] * g[0][k] + p[1] * g[1][k];
        mean[k] += double(pairs[c]) * mk;
        for (int l = 0; l < 3; ++l) {
          const double ml = p[0] * g[0][l] + p[1] * g[1][l];
          cov[k][l] +=
              double(pairs[c]) * (p[0] * g[0][k] * g[0][l] + p[1] * g[1][k] * g[1][l] - mk * ml);
        }
      }
    }
    // cov * step = observed - mean, by Cramer's rule.
    const auto det = [](const std::array<std::array<double, 3>, 3>& m) {
      return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
             m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
             m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(cov);
    double largest = 0.0;
    for (int k = 0; k < 3; ++k) {
      auto m = cov;
      for (int r = 0; r < 3; ++r) m[r][k] = observed[r] - mean[r];
      const double step = det(m) / d;
      theta[k] += step;
      largest = std::max(largest, std::fabs(step));
    }
    if (largest < 1e-13) break;
  }
  return theta;
}

double logit(double p) {
  return std::log(p / (1.0 - p));
}

Study study_of(const Layout& layout, const Network& network, const std::string& formula,
               NodeCovariates& attributes) {
  attributes.node_count = layout.nodes;
  attributes.source = "attributes.csv";
  AttributeColumn dept{"dept", {}};
  for (int i = 1; i <= layout.nodes; ++i)
    dept.value.push_back(std::to_string(1 + layout.dept_of(i)));
  attributes.columns = {dept};
  TermContext context;
  context.directed = layout.directed;
  context.node_count = layout.nodes;
  context.attributes = &attributes;
  Study study;
  study.network = network;
  study.model = model_of_formula(formula, context);
  study.estimate_bound = std::numeric_limits<double>::infinity();
  study.newton_until_settled = true;
  return study;
}

void expect_estimate(const FitResult& fit, const std::vector<double>& exact, double tolerance) {
  ASSERT_EQ(fit.end, FitEnd::completed) << fit.newton_passes << " " << fit.step_halvings;
  EXPECT_FALSE(fit.too_many_iterations);
  ASSERT_EQ(fit.parameter_count, static_cast<int>(exact.size()));
  for (std::size_t k = 0; k < exact.size(); ++k) {
    EXPECT_NEAR(fit.estimate(int(k) + 1), exact[k], tolerance * (1.0 + std::fabs(exact[k])))
        << "coefficient " << k + 1;
  }
}

struct Case {
  const char* name;
  Layout layout;
  PairCounts counts;
};

// Directed edges + mutual + nodematch: the cross-department density runs from 10^-7 (n = 100000:
// 10^10 pairs, 1000 links) to 0.3, the mutual pairs across departments from 3 to thousands.
const Case directed_cases[] = {
    {"a sweep of a million dyads, 2 mutual pairs across",
     {1000, 25, true},
     {{{5, 1100}}, {{2, 150}}}},
    {"dense: 43 percent of the pairs across linked",
     {400, 40, true},
     {{{22000, 2000}}, {{9000, 1400}}}},
    {"classes of 10^10 dyads at 10^-7", {100000, 25, true}, {{{1000, 30000}}, {{3, 9000}}}},
    {"classes, 60 mutual pairs across", {30000, 50, true}, {{{40000, 20000}}, {{60, 5000}}}},
};

class DirectedRates : public testing::TestWithParam<Case> {};

TEST_P(DirectedRates, ReachTheExactEstimate) {
  const Case& c = GetParam();
  const Network network = network_of(c.layout, c.counts, 2026);
  NodeCovariates attributes;
  const Study study =
      study_of(c.layout, network, "edges + mutual + nodematch(\"dept\")", attributes);
  const std::array<double, 3> exact = exact_directed(c.layout, c.counts);
  const std::vector<double> want(exact.begin(), exact.end());
  if (fits_by_dyad_classes(study)) {
    expect_estimate(fit_dyad_class_rows(study, dyad_class_rows(study), {}, nullptr), want, settled);
  } else {
    expect_estimate(fit_pseudo_likelihood(study), want, settled);
  }
  // The case-control rows of every empty dyad are the full fit, by another path (here on the
  // smaller networks, whose empty dyads can be listed).
  if (study.dyad_count() <= 10000000) {
    const TermGraph graph = study.graph();
    const CaseControlRows rows =
        case_control_rows(study, graph, every_empty_dyad(study, graph), true, 2);
    expect_estimate(fit_case_control(study, rows), want, settled);
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, DirectedRates, testing::ValuesIn(directed_cases),
                         [](const testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p != 0; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

// Undirected edges + nodematch, and edges alone: each class's estimate is its own log-odds.
TEST(UndirectedRates, ReachTheExactEstimate) {
  const struct {
    Layout layout;
    std::int64_t across, within;
  } cases[] = {
      {{1200, 20, false}, 2, 7000},        // 0.7 million pairs, two across
      {{200, 100, false}, 5000, 4900},     // half of each class linked
      {{200000, 40, false}, 2000, 30000},  // 2 x 10^10 pairs, 10^-7 across
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout.nodes);
    const Network network = network_of(c.layout, PairCounts{{{c.across, c.within}}, {}}, 7);
    NodeCovariates attributes;
    const auto pairs = c.layout.pairs();
    const double across = logit(double(c.across) / double(pairs[0]));
    const double within = logit(double(c.within) / double(pairs[1]));
    const double all = logit(double(c.across + c.within) / double(pairs[0] + pairs[1]));
    for (const bool matched : {true, false}) {
      const Study study = study_of(c.layout, network,
                                   matched ? "edges + nodematch(\"dept\")" : "edges", attributes);
      const FitResult fit = fits_by_dyad_classes(study)
                                ? fit_dyad_class_rows(study, dyad_class_rows(study), {}, nullptr)
                                : fit_pseudo_likelihood(study);
      expect_estimate(
          fit, matched ? std::vector<double>{across, within - across} : std::vector<double>{all},
          settled);
    }
  }
}

// A model whose estimate does not exist (no mutual pair at all) climbs until its fitted
// probabilities reach 0: the passes stop there, not converged, and say so; they never end in a
// failed inversion or run to the pass limit.
TEST(NonexistentEstimate, StopsClimbingWithoutFailing) {
  const Layout layout{300, 10, true};
  const Network network = network_of(layout, PairCounts{{{900, 600}}, {{0, 0}}}, 3);
  NodeCovariates attributes;
  const Study study = study_of(layout, network, "edges + mutual", attributes);
  const FitResult fit = fit_pseudo_likelihood(study);
  EXPECT_EQ(fit.end, FitEnd::completed);
  EXPECT_TRUE(fit.too_many_iterations);
  EXPECT_LT(fit.newton_passes, settled_pass_limit);
  EXPECT_LT(fit.estimate(2), -20.0);
}

}  // namespace
}  // namespace tarn
