// The exact fit of dyad-independent valued models against regressions of the dyads' counts on
// their covariates, solved here by Newton's method on each dyad's own exponential family: Sampson's
// monks, the nominations of each ordered pair (1..3), or of each pair both ways (0..6).

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/repository.h"
#include "valued/valued_fit.h"

namespace tarn {
namespace {

struct Monks {
  int n = 0;
  std::vector<std::vector<int>> value;      // [i][j], 1-based
  std::vector<std::vector<int>> attribute;  // [column][i], 1-based
  NodeCovariates covariates;
};

// A record-format file's rows of numbers, its first line skipped.
std::vector<std::vector<int>> rows_of(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  std::vector<std::vector<int>> rows;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<int> row;
    for (int v; words >> v;) row.push_back(v);
    if (!row.empty()) rows.push_back(row);
  }
  return rows;
}

Monks monks() {
  Monks m;
  const auto attributes =
      rows_of(test::repository_file("tests/data/samplike_xucinet/attributes.dat"));
  m.n = static_cast<int>(attributes.size());
  m.value.assign(std::size_t(m.n + 1), std::vector<int>(std::size_t(m.n + 1), 0));
  m.attribute.assign(3, std::vector<int>(std::size_t(m.n + 1), 0));
  m.covariates.node_count = m.n;
  for (int c = 0; c < 3; ++c) m.covariates.columns.push_back({"a" + std::to_string(c + 1), {}});
  for (const auto& row : attributes) {
    for (int c = 0; c < 3; ++c) {
      m.attribute[std::size_t(c)][std::size_t(row[0])] = row[std::size_t(c + 1)];
      m.covariates.columns[std::size_t(c)].value.push_back(std::to_string(row[std::size_t(c + 1)]));
    }
  }
  for (const auto& row : rows_of(test::repository_file("tests/data/samplike_xucinet/network.dat")))
    m.value[std::size_t(row[0])][std::size_t(row[1])] = row[2];
  return m;
}

// A dyad's exponential family P(y) ~ h(y) exp(eta y): the cumulant A(eta), its mean A' and
// variance A''; nothing where eta has no normaliser.
struct Family {
  std::string reference;
  int trials = 0;
  bool valid(double eta) const { return reference != "Geometric" || eta < 0; }
  double cumulant(double eta) const {
    if (reference == "Poisson") return std::exp(eta);
    if (reference == "Geometric") return -std::log1p(-std::exp(eta));
    return trials * std::log1p(std::exp(eta));
  }
  double mean(double eta) const {
    if (reference == "Poisson") return std::exp(eta);
    if (reference == "Geometric") return std::exp(eta) / (1 - std::exp(eta));
    return trials / (1 + std::exp(-eta));
  }
  double variance(double eta) const {
    if (reference == "Poisson") return std::exp(eta);
    if (reference == "Geometric") return mean(eta) * (1 + mean(eta));
    const double p = 1 / (1 + std::exp(-eta));
    return trials * p * (1 - p);
  }
  // The coefficient of a lone intercept: the canonical parameter of the mean count m.
  double canonical(double m) const {
    if (reference == "Poisson") return std::log(m);
    if (reference == "Geometric") return std::log(m / (1 + m));
    return std::log(m / (trials - m));
  }
};

struct Regression {
  Vector coefficients, standard_errors;
};

// The MLE of y_d ~ family(eta_d = z_d . beta) by Newton's method (iteratively reweighted least
// squares: the canonical link), a step halved until the log-likelihood rises.
Regression regression(const std::vector<Vector>& z, const std::vector<double>& y,
                      const Family& family) {
  const std::size_t p = z[0].size();
  const int q = static_cast<int>(p);
  double total = 0.0;
  for (const double v : y) total += v;
  Vector beta(p, 0.0);
  beta[0] = family.canonical(total / static_cast<double>(y.size()));
  auto log_likelihood = [&](const Vector& b) {
    double l = 0.0;
    for (std::size_t d = 0; d < y.size(); ++d) {
      double eta = 0.0;
      for (std::size_t k = 0; k < p; ++k) eta += z[d][k] * b[k];
      if (!family.valid(eta)) return -HUGE_VAL;
      l += y[d] * eta - family.cumulant(eta);
    }
    return l;
  };
  Matrix information(q, q);
  for (int iteration = 0; iteration < 100; ++iteration) {
    Vector score(p, 0.0);
    information = Matrix(q, q);
    for (std::size_t d = 0; d < y.size(); ++d) {
      double eta = 0.0;
      for (std::size_t k = 0; k < p; ++k) eta += z[d][k] * beta[k];
      for (std::size_t k = 0; k < p; ++k) {
        score[k] += z[d][k] * (y[d] - family.mean(eta));
        for (std::size_t l = 0; l < p; ++l)
          information(int(k), int(l)) += z[d][k] * z[d][l] * family.variance(eta);
      }
    }
    Vector step = product(symmetric_inverse(information).value(), score);
    double size = 0.0;
    for (const double s : step) size = std::max(size, std::fabs(s));
    if (size < 1e-13) break;
    const double before = log_likelihood(beta);
    for (int halving = 0; halving < 50; ++halving) {
      Vector next = beta;
      for (std::size_t k = 0; k < p; ++k) next[k] += step[k];
      if (log_likelihood(next) >= before) {
        beta = next;
        break;
      }
      for (double& s : step) s /= 2;
    }
  }
  const Matrix covariance = symmetric_inverse(information).value();
  Regression r{beta, {}};
  for (std::size_t k = 0; k < p; ++k)
    r.standard_errors.push_back(std::sqrt(covariance(int(k), int(k))));
  return r;
}

struct RegressionCase {
  std::string reference;
  int trials = 0;
  bool directed = true;  // undirected: the nominations of each pair both ways
};

TEST(ValuedFit, DyadIndependentFitIsTheRegressionOfTheCounts) {
  const Monks m = monks();
  const RegressionCase cases[] = {
      {"Poisson", 0, true},  {"Binomial(trials=3)", 3, true},  {"Geometric", 0, true},
      {"Poisson", 0, false}, {"Binomial(trials=6)", 6, false},
  };
  for (const RegressionCase& c : cases) {
    SCOPED_TRACE(c.reference + (c.directed ? ", directed" : ", undirected"));
    const Family family{c.reference.substr(0, c.reference.find('(')), c.trials};
    // The design: intercept, same group (a2), a3_i + a3_j, and the faction (a1) of the receiver
    // (undirected: of either end) at levels 2, 3 and 4.
    std::vector<Vector> z;
    std::vector<double> y;
    ValuedGraph g(m.n, c.directed);
    const auto& a1 = m.attribute[0];
    const auto& a2 = m.attribute[1];
    const auto& a3 = m.attribute[2];
    for (int i = 1; i <= m.n; ++i) {
      for (int j = c.directed ? 1 : i + 1; j <= m.n; ++j) {
        if (i == j) continue;
        const auto ui = std::size_t(i), uj = std::size_t(j);
        const int count = m.value[ui][uj] + (c.directed ? 0 : m.value[uj][ui]);
        if (count > 0) g.set(i, j, count);
        y.push_back(count);
        Vector row = {1.0, a2[ui] == a2[uj] ? 1.0 : 0.0, double(a3[ui] + a3[uj])};
        for (int level = 2; level <= 4; ++level)
          row.push_back((a1[uj] == level) + (c.directed ? 0 : (a1[ui] == level)));
        z.push_back(row);
      }
    }
    TermContext context;
    context.directed = c.directed;
    context.node_count = m.n;
    context.attributes = &m.covariates;
    const std::string formula =
        std::string("sum + nodematch(\"a2\", form=\"sum\") + nodecov(\"a3\", form=\"sum\") + ") +
        (c.directed ? "nodeifactor" : "nodefactor") + "(\"a1\", form=\"sum\")";
    const Reference reference = parse_reference(c.reference);
    const ValuedModel model = build_valued_model(formula, context, reference);
    const ValuedFit fit = fit_valued(model, g, McmleControl{}, default_proposal(reference));
    const Regression r = regression(z, y, family);
    ASSERT_EQ(fit.outcome, "converged");
    ASSERT_EQ(fit.estimate.size(), r.coefficients.size());
    for (std::size_t k = 0; k < r.coefficients.size(); ++k) {
      EXPECT_NEAR(fit.estimate[k], r.coefficients[k], 1e-6) << model.names[k];
      EXPECT_NEAR(std::sqrt(fit.covariance(int(k), int(k))), r.standard_errors[k],
                  1e-4 * r.standard_errors[k])
          << model.names[k];
    }

    // `sum` alone: the canonical parameter of the mean count.
    const ValuedModel sum = build_valued_model("sum", context, reference);
    const ValuedFit alone = fit_valued(sum, g, McmleControl{}, default_proposal(reference));
    double total = 0.0;
    for (const double v : y) total += v;
    ASSERT_EQ(alone.estimate.size(), 1u);
    EXPECT_NEAR(alone.estimate[0], family.canonical(total / static_cast<double>(y.size())), 1e-9);
  }
}

// The MLE of P(y) ~ exp(a y + (b - 1) log y!), y = 0, 1, ..., by Newton's method on its two
// moments summed over 0..400; nothing where the counts are more dispersed than a geometric
// distribution's (b would pass 1, where the weights grow without end).
struct ConwayMaxwellPoisson {
  Vector theta;
  Matrix covariance;
};
std::optional<ConwayMaxwellPoisson> conway_maxwell_poisson(const std::vector<double>& y) {
  const double n = double(y.size());
  double mean_y = 0.0, mean_log = 0.0;
  for (const double v : y) mean_y += v / n, mean_log += std::lgamma(v + 1) / n;
  ConwayMaxwellPoisson fit{{0.0, 0.0}, Matrix(2, 2)};
  for (int iteration = 0; iteration < 100; ++iteration) {
    double total = 0.0, e[2] = {0, 0}, ee[3] = {0, 0, 0};
    for (int v = 0; v <= 400; ++v) {
      const double f[2] = {double(v), std::lgamma(v + 1.0)};
      const double w = std::exp(fit.theta[0] * f[0] + (fit.theta[1] - 1) * f[1]);
      total += w;
      e[0] += w * f[0], e[1] += w * f[1];
      ee[0] += w * f[0] * f[0], ee[1] += w * f[0] * f[1], ee[2] += w * f[1] * f[1];
    }
    for (double& v : e) v /= total;
    for (double& v : ee) v /= total;
    Matrix information(2, 2);
    information(0, 0) = n * (ee[0] - e[0] * e[0]);
    information(0, 1) = information(1, 0) = n * (ee[1] - e[0] * e[1]);
    information(1, 1) = n * (ee[2] - e[1] * e[1]);
    fit.covariance = symmetric_inverse(information).value();
    const Vector step = product(fit.covariance, Vector{n * (mean_y - e[0]), n * (mean_log - e[1])});
    fit.theta[0] += step[0], fit.theta[1] += step[1];
    if (fit.theta[1] >= 1) return std::nullopt;
    if (std::max(std::fabs(step[0]), std::fabs(step[1])) < 1e-12) return fit;
  }
  return std::nullopt;
}

// Poisson reference and sum + CMP: each dyad Conway-Maxwell-Poisson. Counts less dispersed than
// a geometric distribution's have an MLE, the others not (the monks' nominations: 0 for most
// pairs, 1..3 or 1..6 for the others).
TEST(ValuedFit, ConwayMaxwellPoissonFitIsTheMaximumOfItsLikelihood) {
  const Monks m = monks();
  for (const int kind : {0, 1, 2}) {
    const bool directed = kind != 1;
    SCOPED_TRACE(kind == 2 ? "(3i + 5j) mod 4" : directed ? "directed" : "undirected");
    ValuedGraph g(m.n, directed);
    std::vector<double> y;
    for (int i = 1; i <= m.n; ++i) {
      for (int j = directed ? 1 : i + 1; j <= m.n; ++j) {
        if (i == j) continue;
        const auto ui = std::size_t(i), uj = std::size_t(j);
        const int count =
            kind == 2 ? (3 * i + 5 * j) % 4 : m.value[ui][uj] + (directed ? 0 : m.value[uj][ui]);
        if (count > 0) g.set(i, j, count);
        y.push_back(count);
      }
    }
    TermContext context;
    context.directed = directed;
    context.node_count = m.n;
    const Reference reference = parse_reference("Poisson");
    const ValuedModel model = build_valued_model("sum + CMP", context, reference);
    const ValuedFit fit = fit_valued(model, g, McmleControl{}, default_proposal(reference));
    const auto exact = conway_maxwell_poisson(y);
    if (!exact) {
      EXPECT_NE(fit.outcome, "converged");
      continue;
    }
    ASSERT_EQ(fit.outcome, "converged");
    for (int k = 0; k < 2; ++k) {
      const auto uk = std::size_t(k);
      EXPECT_NEAR(fit.estimate[uk], exact->theta[uk], 1e-6) << model.names[uk];
      EXPECT_NEAR(fit.covariance(k, k), exact->covariance(k, k), 1e-4 * exact->covariance(k, k));
    }
  }
}

}  // namespace
}  // namespace tarn
