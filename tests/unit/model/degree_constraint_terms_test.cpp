// Terms refused under degrees, odegrees and idegrees against every network of the space: each
// network of 4 directed or 5 undirected nodes that keeps the fixed degrees of the observed one is
// listed, and a term is refused exactly when its statistics take one value over all of them (a
// term kept must vary there, so that its refusal would be wrong).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/sample_space.h"
#include "model/study.h"
#include "network/setting_error.h"
#include "support/models.h"

namespace tarn {
namespace {

struct Case {
  const char* formula;
  const char* constraints;
  bool refused;
};

// The statistics of `model` on every network of `n` nodes keeping the degrees that `space` fixes.
std::set<std::vector<double>> statistics_over_space(const Model& model, const TermGraph& observed,
                                                    const SampleSpace& space) {
  const int n = observed.node_count();
  const bool directed = observed.directed();
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= n; ++i)
    for (int j = directed ? 1 : i + 1; j <= n; ++j)
      if (i != j) dyads.emplace_back(i, j);
  std::set<std::vector<double>> values;
  for (std::uint32_t mask = 0; mask < (1u << dyads.size()); ++mask) {
    TermGraph g(n, directed, model.partner_tables());
    for (std::size_t d = 0; d < dyads.size(); ++d)
      if ((mask >> d & 1u) != 0) g.toggle(dyads[d].first, dyads[d].second);
    bool inside = true;
    for (int a = 1; a <= n; ++a) {
      if (space.fixes_out_degrees() && g.out(a) != observed.out(a)) inside = false;
      if (directed && space.fixes_in_degrees() && g.in(a) != observed.in(a)) inside = false;
    }
    if (inside) values.insert(model.network_statistics(g));
  }
  return values;
}

void check(const Case& c, bool directed, const test::LinkList& links) {
  SCOPED_TRACE(std::string(c.formula) + " under " + c.constraints);
  const int n = directed ? 4 : 5;
  NodeCovariates attributes = test::node_attributes(
      n, {{"school", {"a", "b", "a", "b", "a"}}, {"age", {"3", "1", "4", "1", "5"}}});
  for (auto& column : attributes.columns) column.value.resize(static_cast<std::size_t>(n));
  Study study = test::formula_study(c.formula, links, attributes, directed);
  const TermGraph observed = study.graph();
  const SampleSpace space = build_sample_space(c.constraints, observed, attributes);
  bool refused = false;
  try {
    refuse_constant_terms(study.model, observed, space);
  } catch (const SettingError&) {
    refused = true;
  }
  EXPECT_EQ(refused, c.refused);
  const auto values = statistics_over_space(study.model, observed, space);
  ASSERT_GE(values.size(), 1u);
  EXPECT_EQ(values.size() == 1, c.refused) << values.size() << " values";
}

TEST(DegreeConstraintTerms, UndirectedTermsOfTheDegreesAreRefusedAndNoOthers) {
  const Case cases[] = {
      {"edges", "degrees", true},
      {"kstar(2)", "degrees", true},
      {"kstar(3)", "degrees", true},
      {"degree(1)", "degrees", true},
      {"degree(2, by=\"school\")", "degrees", true},
      {"degrange(1, 3)", "degrees", true},
      {"concurrent", "degrees", true},
      {"degree1.5", "degrees", true},
      {"altkstar(2, fixed=TRUE)", "degrees", true},
      {"gwdegree(0.5, fixed=TRUE)", "degrees", true},
      {"gwdegree(0.7)", "degrees", true},
      {"isolates", "degrees", true},
      {"sociality", "degrees", true},
      {"nodefactor(\"school\")", "degrees", true},
      {"nodecov(\"age\")", "degrees", true},
      {"density", "degrees", true},
      {"meandeg", "degrees", true},
      {"triangle", "degrees", false},
      {"nodematch(\"school\")", "degrees", false},
      {"degree(1, by=\"school\", homophily=TRUE)", "degrees", false},
      {"sociality(\"school\")", "degrees", false},
      {"absdiff(\"age\")", "degrees", false},
  };
  for (const Case& c : cases) check(c, false, {{1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 5}});
}

TEST(DegreeConstraintTerms, DirectedTermsOfTheFixedDegreesAreRefusedAndNoOthers) {
  const Case one_side[] = {
      {"edges", "odegrees", true},
      {"ostar(2)", "odegrees", true},
      {"out2star", "odegrees", true},
      {"odegree(1)", "odegrees", true},
      {"sender", "odegrees", true},
      {"nodeofactor(\"school\")", "odegrees", true},
      {"nodeocov(\"age\")", "odegrees", true},
      {"gwodegree(0.5, fixed=TRUE)", "odegrees", true},
      {"istar(2)", "odegrees", false},
      {"receiver", "odegrees", false},
      {"nodeicov(\"age\")", "odegrees", false},
      {"isolates", "odegrees", false},
      {"mutual", "odegrees", false},
      {"edges", "idegrees", true},
      {"istar(2)", "idegrees", true},
      {"in2star", "idegrees", true},
      {"idegree(1)", "idegrees", true},
      {"receiver", "idegrees", true},
      {"nodeifactor(\"school\")", "idegrees", true},
      {"gwidegree(0.5, fixed=TRUE)", "idegrees", true},
      {"ostar(2)", "idegrees", false},
      {"sender", "idegrees", false},
  };
  // Node 4 sends nothing, node 2 receives nothing: either may end isolated.
  for (const Case& c : one_side) check(c, true, {{1, 3}, {1, 4}, {2, 3}, {3, 1}});
  const Case both_sides[] = {
      {"edges", "degrees", true},
      {"istar(2)", "degrees", true},
      {"ostar(2)", "degrees", true},
      {"isolates", "degrees", true},
      {"nodefactor(\"school\")", "degrees", true},
      {"nodecov(\"age\")", "degrees", true},
      {"mutual", "degrees", false},
      {"ctriple", "degrees", false},
      {"twopath", "degrees", false},
      {"nodematch(\"school\")", "degrees", false},
  };
  // Mutual pairs, cyclic triads and two-paths all vary among its 7 networks.
  for (const Case& c : both_sides) check(c, true, {{1, 2}, {1, 4}, {2, 3}, {3, 1}, {4, 2}});
}

}  // namespace
}  // namespace tarn
