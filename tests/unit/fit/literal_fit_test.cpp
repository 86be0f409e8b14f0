// The fit's sweeps skip zero regressors, sum pass 1 in integers, keep one triangle where the
// matrix is symmetric in exact arithmetic, and run their inner loops over padded lengths. None of
// that may change a bit: here the passes are done again the plain way, term by term, and the two
// must agree exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "fit/gaussj.h"
#include "fit/pseudo_likelihood.h"
#include "input/comparative_file.h"
#include "stats/calcfr.h"
#include "support/brute_force.h"
#include "unit/fit/fit_support.h"

namespace tarn {
namespace {

using test::set_model;
using test::World;

struct Literal {
  int end = 0;  // 0 completed, 1 dependent, 2 wxsq singular
  int passes = 0;
  int32 too_many_iterations = 0;
  int32 final_invertible = 0;
  ParamVector estimate;
  ParamMatrix covariance;
  double null_loglik = 0, loglik = 0, abs_resid_sum = 0, sq_resid_sum = 0, pearson_sum = 0;
  int32 class_table[2][2] = {{0, 0}, {0, 0}};
};

// The passes exactly as written: every dyad, every parameter, every pair (k, l), in sweep order.
template <class Visit>
void literal_sweep(World& w, Visit visit) {
  Records& rec = w.rec;
  const int n = rec.nodes.node_count;
  const int m = rec.stats.param_count;
  init(rec, w.io);
  double x[max_params + 1];
  for (int i = 1; i <= n; ++i) {
    calcfr(rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= n; ++j) {
      if (rec.flags.skip_diagonal != 0 && j == i) continue;
      for (int k = 1; k <= m; ++k) x[k] = rec.stats.change_stat(j, rec.stats.param_column(k));
      visit(static_cast<double>(rec.data.tie_row(j)), x);
    }
  }
}

std::unique_ptr<Literal> literal_fit(World& w) {
  auto out = std::make_unique<Literal>();
  auto xsq = std::make_unique<ParamMatrix>();
  auto xsq_inv = std::make_unique<ParamMatrix>();
  auto wxsq = std::make_unique<ParamMatrix>();
  ParamVector xty, ols, logit_xsum, previous, wz_sum;
  Records& rec = w.rec;
  const int m = rec.stats.param_count;
  const int n = rec.nodes.node_count;
  const int32 dyads = n * (n - 1) + (rec.flags.skip_diagonal == 0 ? n : 0);
  double tie_total = 0.0;
  literal_sweep(w, [&](double y, const double* x) {
    tie_total += y;
    for (int k = 1; k <= m; ++k) {
      xty(k) += x[k] * y;
      for (int l = 1; l <= m; ++l) (*xsq)(k, l) += x[k] * x[l];
    }
  });
  *xsq_inv = *xsq;
  int32 invertible = 0;
  gaussj(*xsq_inv, static_cast<int16>(m), invertible);
  if (invertible == 0) {
    out->end = 1;
    return out;
  }
  const double t0 = -std::log(dyads / tie_total - 1.0);
  out->null_loglik = t0 * tie_total - dyads * std::log(1.0 + std::exp(t0));
  for (int k = 1; k <= m; ++k) {
    double s = 0.0;
    for (int l = 1; l <= m; ++l) s += (*xsq_inv)(k, l) * xty(l);
    ols(k) = s;
  }
  literal_sweep(w, [&](double, const double* x) {
    double s = 0.0;
    for (int k = 1; k <= m; ++k) s += x[k] * ols(k);
    if (s > 0.99) s = 0.99;
    if (s < 0.01) s = 0.01;
    const double z = std::log(s / (1.0 - s));
    for (int k = 1; k <= m; ++k) logit_xsum(k) += x[k] * z;
  });
  for (int k = 1; k <= m; ++k) {
    double s = 0.0;
    for (int l = 1; l <= m; ++l) s += (*xsq_inv)(k, l) * logit_xsum(l);
    previous(k) = s;
  }
  ParamVector& b = out->estimate;
  b = previous;
  for (int pass = 3;;) {
    for (int k = 1; k <= m; ++k) wz_sum(k) = 0.0;
    wxsq->v.fill(0.0);
    literal_sweep(w, [&](double y, const double* x) {
      double eta = 0.0;
      for (int k = 1; k <= m; ++k) eta += x[k] * b(k);
      const double p = 1.0 / (1.0 + std::exp(-eta));
      const double wt = p * (1.0 - p);
      const double z = eta + (y - p) / wt;
      for (int k = 1; k <= m; ++k) {
        const double u = wt * x[k];
        wz_sum(k) += z * u;
        for (int l = 1; l <= m; ++l) (*wxsq)(k, l) += u * x[l];
      }
    });
    ++out->passes;
    gaussj(*wxsq, static_cast<int16>(m), invertible);
    if (invertible == 0) {
      out->end = 2;
      return out;
    }
    for (int k = 1; k <= m; ++k) {
      double s = 0.0;
      for (int l = 1; l <= m; ++l) s += (*wxsq)(k, l) * wz_sum(l);
      if (s > 15.0) s = 15.0;
      if (s < -15.0) s = -15.0;
      b(k) = s;
    }
    if (++pass > 12) {
      out->too_many_iterations = 1;
      break;
    }
    bool moving = false;
    for (int k = 1; k <= m; ++k) {
      const double d = std::fabs(previous(k) - b(k));
      previous(k) = b(k);
      if (d > 0.001 * (std::fabs(b(k)) + 0.000001)) moving = true;
    }
    if (!moving) break;
  }
  ParamMatrix& cov = out->covariance;
  double sum = 0.0;
  literal_sweep(w, [&](double y, const double* x) {
    double eta = 0.0;
    for (int k = 1; k <= m; ++k) eta += x[k] * b(k);
    const double e = std::exp(-eta);
    sum += std::log(1.0 + 1.0 / e);
    const double p = 1.0 / (1.0 + e);
    const double r = y - p;
    out->abs_resid_sum += std::fabs(r);
    out->sq_resid_sum += r * r;
    out->pearson_sum += r * r / (p * (1.0 - p));
    const int predicted = static_cast<int>(p + 0.5);
    ++out->class_table[static_cast<int>(y)][predicted];
    const double v = e / ((1.0 + e) * (1.0 + e));
    for (int k = 1; k <= m; ++k)
      for (int l = 1; l <= m; ++l) cov(k, l) += v * x[k] * x[l];
  });
  double gain = 0.0;
  for (int k = 1; k <= m; ++k) gain += xty(k) * b(k);
  out->loglik = gain - sum;
  gaussj(cov, static_cast<int16>(m), out->final_invertible);
  return out;
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void expect_identical(World& w) {
  auto literal = literal_fit(w);
  auto state = std::make_unique<FitState>();
  const FitEnd end = run_fit(w.rec, w.io, *state);
  ASSERT_EQ(static_cast<int>(end), literal->end);
  ASSERT_EQ(end, FitEnd::completed);
  const Stats& st = w.rec.stats;
  const int m = st.param_count;
  EXPECT_EQ(state->newton_passes, literal->passes);
  EXPECT_EQ(state->too_many_iterations, literal->too_many_iterations);
  EXPECT_EQ(state->final_invertible, literal->final_invertible);
  for (int k = 1; k <= m; ++k) {
    EXPECT_TRUE(same_bits(state->estimate(k), literal->estimate(k)))
        << k << ": " << state->estimate(k) << " vs " << literal->estimate(k);
    for (int l = 1; l <= m; ++l) {
      EXPECT_TRUE(same_bits(state->covariance(k, l), literal->covariance(k, l))) << k << "," << l;
    }
  }
  EXPECT_TRUE(same_bits(st.null_loglik, literal->null_loglik));
  EXPECT_TRUE(same_bits(st.loglik, literal->loglik));
  EXPECT_TRUE(same_bits(st.abs_resid_sum, literal->abs_resid_sum));
  EXPECT_TRUE(same_bits(st.sq_resid_sum, literal->sq_resid_sum));
  EXPECT_TRUE(same_bits(st.pearson_sum, literal->pearson_sum));
  for (int o = 0; o < 2; ++o)
    for (int q = 0; q < 2; ++q) EXPECT_EQ(st.class_table(o + 1, q + 1), literal->class_table[o][q]);
  EXPECT_EQ(state->zero_weight_dyads, 0);
}

TEST(LiteralFit, SameBitsOnRandomNetworks) {
  const std::vector<std::vector<int>> models = {
      {1}, {1, 2}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 6, 7}, {3, 1, 6, 2}, {1, 2, 6, 8, 9, 10}};
  unsigned seed = 11;
  for (const auto& model : models) {
    for (int n : {9, 17, 26}) {
      World w(test::random_network(n, 0.25, 0.4, ++seed));
      SCOPED_TRACE(::testing::Message() << "n " << n << " seed " << seed);
      set_model(w, model);
      expect_identical(w);
    }
  }
}

TEST(LiteralFit, SameBitsWithTheDiagonal) {
  World w(test::random_network(15, 0.3, 0.5, 5, 0.4));
  set_model(w, {1, 2, 3, 4}, /*skip_diagonal=*/false);
  expect_identical(w);
}

TEST(LiteralFit, SameBitsWithNegativeComparativeValues) {
  World w(test::random_network(12, 0.3, 0.3, 8));
  std::string text = "(3I6)\n";
  for (int i = 1; i <= 12; ++i) {
    for (int j = 1; j <= 12; ++j) {
      const int v = (i * 5 + j * 3) % 7 - 3;
      char line[32];
      std::snprintf(line, sizeof line, "%6d%6d%6d\n", i, j, v);
      text += line;
    }
  }
  w.open_comparative(text);
  set_model(w, {1, 16, 2});
  expect_identical(w);
}

// Block parameters leave most regressors of a dyad at 0: the sweeps then visit only the
// non-zero ones.
TEST(LiteralFit, SameBitsWithBlockParameters) {
  World w(test::random_network(24, 0.3, 0.4, 21));
  Records& rec = w.rec;
  for (int i = 1; i <= 24; ++i) rec.nodes.attr_value(i, 1) = static_cast<int16>(i % 2 + 1);
  rec.blocks.block_attr = 1;
  rec.blocks.block_count = 2;
  rec.blocks.block_type_count = 4;
  for (int a = 1; a <= 2; ++a)
    for (int b = 1; b <= 2; ++b) rec.blocks.block_type(a, b) = static_cast<int16>((a - 1) * 2 + b);
  const int group_types[] = {1, 3, 6};
  for (int g = 1; g <= 3; ++g) {
    rec.blocks.group_type(g) = static_cast<int16>(group_types[g - 1]);
    rec.blocks.group_size(g) = 4;
    rec.blocks.group_column0(g) = static_cast<int16>(16 + 4 * (g - 1));
  }
  std::vector<int> columns = {2, 4, 7};
  for (int c = 17; c <= 28; ++c) columns.push_back(c);
  set_model(w, columns);
  w.select_types({1, 2, 3, 4, 6, 7});
  expect_identical(w);
}

}  // namespace
}  // namespace tarn
