// The pseudo-likelihood by classes of dyads, which fits networks too large for a sweep over their
// dyads, against the sweep on random networks of 60 to 150 nodes: the same rows (counted), the
// same estimates, errors, log-likelihood and classification table, up to the order of the sums.
#include "mple/dyad_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/model.h"
#include "mple/estimate_existence.h"
#include "network/usage_error.h"

namespace tarn {
namespace {

struct World {
  NodeCovariates attributes;
  std::shared_ptr<const DyadValues> covariate;
};

Study study_of(const std::string& formula, int n, bool directed, std::mt19937& random, World& w) {
  w.attributes.node_count = n;
  w.attributes.source = "attributes.csv";
  AttributeColumn group{"group", {}}, kind{"kind", {}}, score{"score", {}};
  for (int i = 0; i < n; ++i) {
    group.value.push_back(std::to_string(1 + (i / 10) % 5));  // blocks of ten, five levels
    kind.value.push_back(std::string(1, char('a' + random() % 3)));
    score.value.push_back(std::to_string(int(random() % 5)));
  }
  w.attributes.columns = {group, kind, score};
  std::vector<DyadValues::Entry> entries;
  for (int k = 0; k < n; ++k) {
    const int a = 1 + int(random() % n), b = 1 + int(random() % n);
    if (a != b)
      entries.push_back({directed ? a : std::min(a, b), directed ? b : std::max(a, b), 1.5});
  }
  w.covariate = std::make_shared<const DyadValues>(n, entries);
  TermContext context;
  context.directed = directed;
  context.node_count = n;
  context.attributes = &w.attributes;
  context.dyadic_covariate = [&w](const std::string&) { return w.covariate; };
  // Links mostly within the blocks of ten, some returned (undirected: each edge once, a < b).
  std::vector<std::pair<int, int>> links;
  std::vector<std::vector<char>> linked(std::size_t(n) + 1, std::vector<char>(std::size_t(n) + 1));
  for (int k = 0; k < 4 * n; ++k) {
    int a = 1 + int(random() % n);
    int b = random() % 3 != 0 ? std::min(n, (a - 1) / 10 * 10 + 1 + int(random() % 10))
                              : 1 + int(random() % n);
    if (a == b) continue;
    if (!directed && a > b) std::swap(a, b);
    if (!linked[std::size_t(a)][std::size_t(b)]) links.emplace_back(a, b);
    linked[std::size_t(a)][std::size_t(b)] = 1;
    if (directed && random() % 3 == 0 && !linked[std::size_t(b)][std::size_t(a)]) {
      links.emplace_back(b, a);
      linked[std::size_t(b)][std::size_t(a)] = 1;
    }
  }
  std::sort(links.begin(), links.end());
  NetworkBuilder builder("test", command_line_limits);
  builder.declare_nodes(n);  // isolated nodes at the end too
  for (const auto& [a, b] : links) builder.add_link(a, b);
  Study study;
  study.network = std::move(builder).finish();
  study.model = model_of_formula(formula, context);
  study.estimate_bound = std::numeric_limits<double>::infinity();
  return study;
}

void expect_close(double got, double want, const std::string& what) {
  EXPECT_NEAR(got, want, 1e-8 * (1.0 + std::fabs(want))) << what;
}

TEST(DyadClasses, FitAsTheSweepOverEveryDyad) {
  std::mt19937 random(60);
  const struct {
    const char* formula;
    bool directed;
  } cases[] = {
      {"edges + mutual + nodematch(group)", true},
      {"edges + mutual + nodematch(group) + nodematch(kind)", true},
      {"edges + nodematch(group, diff=TRUE) + nodeofactor(kind) + nodeicov(score)", true},
      {"edges + absdiff(score) + nodemix(kind) + edgecov(\"cov\")", true},
      {"1,2", true},
      {"edges + nodematch(group) + nodefactor(kind) + nodecov(score)", false},
      {"edges + nodematch(kind, diff=TRUE) + absdiff(score, pow=2) + edgecov(\"cov\")", false},
      // ergm's catalogue: the forms of the attribute, difference, node-effect, mixing and
      // covariate terms, and of the pair states (which read the reverse link).
      {"edges + asymmetric(kind) + mutual(same=group) + nodematch(group, levels=c(\"1\", \"2\")) + "
       "diff(score)",
       true},
      {"mutual(by=kind) + asymmetric(group, diff=TRUE) + smalldiff(score, 1) + "
       "absdiffcat(score, levels=-1)",
       true},
      {"edges + sender(nodes=1:3) + receiver(nodes=c(2, 5)) + nodemix(kind, levels=-1)", true},
      {"mm(group~kind) + dyadcov(\"cov\") + hamming(\"cov\")", true},
      {"edges + diff(score, sign.action=\"abs\", pow=2) + sociality(kind, nodes=1:4) + mm(kind)",
       false},
      {"meandeg + nodemix(kind, levels=c(\"a\", \"b\")) + hamming(\"cov\") + smalldiff(score, 2)",
       false},
  };
  for (const auto& c : cases) {
    for (const int n : {60, 150}) {
      World w;
      const Study study = study_of(c.formula, n, c.directed, random, w);
      const std::string what = std::string(c.formula) + ", n " + std::to_string(n);
      const DyadClassRows rows = dyad_class_rows(study);
      std::int64_t dyads = 0;
      for (std::size_t r = 0; r < rows.size(); ++r) dyads += rows.count[r];
      ASSERT_EQ(dyads, study.dyad_count()) << what;
      const FitResult want = fit_pseudo_likelihood(study);
      const FitResult got = fit_dyad_class_rows(study, rows, {}, nullptr);
      ASSERT_EQ(got.end, want.end) << what;
      ASSERT_EQ(got.end, FitEnd::completed) << what;
      const int m = study.model.parameter_count();
      EXPECT_EQ(got.tie_total, want.tie_total) << what;
      EXPECT_EQ(got.newton_passes, want.newton_passes) << what;
      EXPECT_EQ(got.class_table, want.class_table) << what;
      expect_close(got.loglik, want.loglik, what + ", log-likelihood");
      expect_close(got.null_loglik, want.null_loglik, what + ", null log-likelihood");
      expect_close(got.abs_resid_sum, want.abs_resid_sum, what + ", residuals");
      expect_close(got.pearson_sum, want.pearson_sum, what + ", Pearson");
      for (int k = 1; k <= m; ++k) {
        expect_close(got.estimate(k), want.estimate(k), what + ", estimate " + std::to_string(k));
        for (int l = 1; l <= m; ++l) {
          expect_close(got.covariance(k, l), want.covariance(k, l), what + ", covariance");
        }
      }
      const ParamVector score = score_of_dyad_class_rows(rows, want.estimate);
      const ParamVector swept = pseudo_score(study, want.estimate);
      for (int k = 1; k <= m; ++k) EXPECT_NEAR(score(k), swept(k), 1e-6) << what;
    }
  }
}

// Above the dense limit the fit and the existence check go by classes on their own; a model with a
// dyad-dependent term is refused when its sweep would be too long.
TEST(DyadClasses, LargeNetworksGoByClassesOrAreRefused) {
  std::mt19937 random(61);
  World w;
  const Study study = study_of("edges + mutual + nodematch(group)", 3000, true, random, w);
  ASSERT_TRUE(fits_by_dyad_classes(study));
  const FitResult fit = fit_pseudo_likelihood(study);
  ASSERT_EQ(fit.end, FitEnd::completed);
  EXPECT_EQ(fit.dyad_count, std::int64_t{3000} * 2999);
  EXPECT_TRUE(check_estimate_existence(study).exists);
  World w2;
  const Study triads = study_of("edges + ttriple", 3000, true, random, w2);
  EXPECT_FALSE(fits_by_dyad_classes(triads));
  Study large = triads;
  large.network.node_count = 40000;
  EXPECT_THROW(check_sweep_size(large), UsageError);
}

}  // namespace
}  // namespace tarn
