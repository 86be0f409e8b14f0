#include "fit/fit_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>

#include "fit/gaussj.h"
#include "fit/pseudo_likelihood.h"
#include "input/comparative_file.h"
#include "report/fixed_field.h"
#include "report/output.h"
#include "stats/calcfr.h"

namespace tarn {

// A note on skipped terms. Every sum of the fit starts from +0.0 and adds finite terms, so it
// can never become -0.0 (a sum of two values is -0.0 only when both are -0.0). A regressor that
// is exactly 0 contributes a term (a finite factor times 0) of +0.0 or -0.0, and s + (+-0.0) == s
// for every s other than -0.0. Leaving such terms out therefore gives the same bits as adding
// them, and the sweeps below visit only the non-zero regressors of a dyad wherever they can.

namespace {

constexpr double upper_clamp = 0.99;
constexpr double lower_clamp = 0.01;
constexpr double estimate_bound = 15.0;
constexpr double tolerance = 0.001;
constexpr double tolerance_floor = 0.000001;
constexpr int first_newton_pass = 3;
constexpr int last_newton_pass = 12;

void clear(ParamVector& v) {
  v.v.fill(0.0);
}
void clear(ParamMatrix& a) {
  a.v.fill(0.0);
}

// The padded length of the dense loops over parameters: a multiple of 4, at most 64. The slots
// beyond m hold 0 in every regressor vector and every scaled vector.
int padded(int m) {
  return (m + 3) & ~3;
}

// column[k] += scaled[k] * t for k < length (length a multiple of 4). Loads come before stores
// in each group of four, so the compiler may pair them without an aliasing check; every entry
// still receives exactly the one product and the one addition of the written formula.
inline void add_scaled_column(double* column, const double* scaled, double t, int length) {
  for (int k = 0; k < length; k += 4) {
    const double c0 = column[k];
    const double c1 = column[k + 1];
    const double c2 = column[k + 2];
    const double c3 = column[k + 3];
    const double u0 = scaled[k];
    const double u1 = scaled[k + 1];
    const double u2 = scaled[k + 2];
    const double u3 = scaled[k + 3];
    column[k] = c0 + u0 * t;
    column[k + 1] = c1 + u1 * t;
    column[k + 2] = c2 + u2 * t;
    column[k + 3] = c3 + u3 * t;
  }
}

// Sets scaled[k] = weight * x(k) and adds scaled[k] * x(l) to a(k, l), the products formed as
// written, for the non-zero regressors of the dyad (the others add +-0.0). A dyad with few
// non-zero regressors visits only their pairs; otherwise whole padded columns are updated, where
// the loop is simple enough to run two entries at a time.
inline void add_weighted_products(ParamMatrix& a, const DyadRow& row, double weight, double* scaled,
                                  int length) {
  const int count = row.count;
  if (count * 2 <= length) {
    for (int i = 0; i < count; ++i) {
      const int k = row.index[i];
      scaled[k] = weight * row.x[k];
    }
    for (int b = 0; b < count; ++b) {
      const int l = row.index[b];
      const double t = row.x[l];
      double* column = a.column(l + 1);
      for (int i = 0; i < count; ++i) {
        const int k = row.index[i];
        column[k] = column[k] + scaled[k] * t;
      }
    }
  } else {
    for (int k = 0; k < length; ++k) scaled[k] = weight * row.x[k];
    for (int b = 0; b < count; ++b) {
      const int l = row.index[b];
      add_scaled_column(a.column(l + 1), scaled, row.x[l], length);
    }
  }
}

// One sweep over the included dyads: init, then for each sender its statistics and, receiver by
// receiver, the regressor row handed to `visit(y, row)`.
template <class Visit>
void sweep(Records& rec, Io& io, FitState& state, Visit&& visit) {
  init(rec, io);
  const int n = rec.nodes.node_count;
  const int m = rec.stats.param_count;
  const bool skip_diagonal = rec.flags.skip_diagonal != 0;
  const int16* column[max_params];
  for (int k = 0; k < m; ++k)
    column[k] = rec.stats.change_stat.column(rec.stats.param_column(k + 1));
  const int16* tie = rec.data.tie_row.base();
  DyadRow& row = state.dyad;
  for (int i = 1; i <= n; ++i) {
    calcfr(rec, io, static_cast<int16>(i));
    for (int j = 0; j < n; ++j) {
      if (skip_diagonal && j == i - 1) continue;
      int count = 0;
      for (int k = 0; k < m; ++k) {
        const int16 value = column[k][j];
        row.whole[k] = value;
        row.x[k] = value;
        row.index[count] = k;
        count += value != 0 ? 1 : 0;
      }
      row.count = count;
      visit(tie[j], row);
    }
  }
}

// Pass 1: tie total, statistic totals and cross-products. The statistics are 16-bit integers,
// so every product is an integer below 2^31 and every partial sum an integer below
// 2^30 * 2000^2 < 2^53: the double sums of the written algorithm are exact, and exact 64-bit
// integer sums converted at the end give the same bits. Symmetric, so one triangle is summed.
void pass_one(Records& rec, Io& io, FitState& s) {
  const int m = rec.stats.param_count;
  std::int64_t ties = 0;
  std::memset(s.exact_xsq, 0, sizeof s.exact_xsq);
  std::memset(s.exact_xty, 0, sizeof s.exact_xty);
  sweep(rec, io, s, [&](int16 y, const DyadRow& row) {
    ties += y;
    const int count = row.count;
    if (y != 0) {
      for (int a = 0; a < count; ++a) s.exact_xty[row.index[a]] += row.whole[row.index[a]];
    }
    for (int b = 0; b < count; ++b) {
      const int l = row.index[b];
      const std::int64_t xl = row.whole[l];
      std::int64_t* column = s.exact_xsq + static_cast<std::size_t>(l) * max_params;
      for (int a = 0; a <= b; ++a) {
        const int k = row.index[a];
        column[k] += row.whole[k] * xl;
      }
    }
  });
  s.tie_total = static_cast<double>(ties);
  clear(s.xty);
  clear(s.xsq);
  for (int l = 1; l <= m; ++l) {
    s.xty(l) = static_cast<double>(s.exact_xty[l - 1]);
    for (int k = 1; k <= l; ++k) {
      const double v =
          static_cast<double>(s.exact_xsq[static_cast<std::size_t>(l - 1) * max_params + (k - 1)]);
      s.xsq(k, l) = v;
      s.xsq(l, k) = v;
    }
  }
}

// Pass 2: the clamped logits of the linear-probability fit, summed against the statistics.
void pass_two(Records& rec, Io& io, FitState& s) {
  const int m = rec.stats.param_count;
  for (int k = 1; k <= m; ++k) {
    double sum = 0.0;
    for (int l = 1; l <= m; ++l) sum += s.xsq_inv(k, l) * s.xty(l);
    s.ols_coef(k) = sum;
  }
  clear(s.logit_xsum);
  const double* coef = s.ols_coef.base();
  double* logit_xsum = s.logit_xsum.base();
  sweep(rec, io, s, [&](int16, const DyadRow& row) {
    double prediction = 0.0;
    for (int a = 0; a < row.count; ++a) {
      const int k = row.index[a];
      prediction += row.x[k] * coef[k];
    }
    if (prediction > upper_clamp) prediction = upper_clamp;
    if (prediction < lower_clamp) prediction = lower_clamp;
    const double z = std::log(prediction / (1.0 - prediction));
    for (int a = 0; a < row.count; ++a) {
      const int k = row.index[a];
      logit_xsum[k] += row.x[k] * z;
    }
  });
  for (int k = 1; k <= m; ++k) {
    double sum = 0.0;
    for (int l = 1; l <= m; ++l) sum += s.xsq_inv(k, l) * s.logit_xsum(l);
    s.previous_estimate(k) = sum;
  }
  for (int k = 1; k <= m; ++k) s.estimate(k) = s.previous_estimate(k);
}

double linear_predictor(const DyadRow& row, const double* estimate) {
  double eta = 0.0;
  for (int a = 0; a < row.count; ++a) {
    const int k = row.index[a];
    eta += row.x[k] * estimate[k];
  }
  return eta;
}

// The weighted sums of one Newton pass at the current estimates.
//
// Where the fitted probability p comes out as exactly 0 or 1 (exp(-eta) overflows, or is too
// small to change 1 + exp(-eta)), the weight w = p(1 - p) is 0 and the working response
// z = eta + (y - p) / w is not a number. The score term z * w * x equals
// eta * w * x + (y - p) * x, whose limit as w -> 0 is (y - p) * x: such a dyad adds (y - p) * x
// to wz_sum and nothing to wxsq. The same limit is taken when w is positive but so small that
// (y - p) / w overflows; the wxsq terms are then finite and kept as written.
void newton_sums(Records& rec, Io& io, FitState& s) {
  const int m = rec.stats.param_count;
  const int length = padded(m);
  clear(s.wz_sum);
  clear(s.wxsq);
  clear(s.covariance);
  const double* estimate = s.estimate.base();
  double* wz_sum = s.wz_sum.base();
  double* scaled = s.scaled;
  std::int64_t zero_weight = 0;
  sweep(rec, io, s, [&](int16 tie, const DyadRow& row) {
    const double y = tie;
    const double eta = linear_predictor(row, estimate);
    const double p = 1.0 / (1.0 + std::exp(-eta));
    const double w = p * (1.0 - p);
    const int count = row.count;
    if (w == 0.0) {
      ++zero_weight;
      const double r = y - p;
      for (int a = 0; a < count; ++a) {
        const int k = row.index[a];
        wz_sum[k] += r * row.x[k];
      }
      return;
    }
    const double z = eta + (y - p) / w;
    add_weighted_products(s.wxsq, row, w, scaled, length);
    if (std::isfinite(z)) {
      for (int a = 0; a < count; ++a) {
        const int k = row.index[a];
        wz_sum[k] += z * scaled[k];
      }
    } else {
      const double r = y - p;
      for (int a = 0; a < count; ++a) {
        const int k = row.index[a];
        wz_sum[k] += r * row.x[k];
      }
    }
  });
  s.zero_weight_dyads += zero_weight;
}

// The final pass: log-likelihood, residual sums, classification and the weighted matrix at the
// final estimates. Limits where the written terms have no finite value:
//  - ln(1 + 1/e) with e = exp(-eta) so small that 1/e overflows (eta above about 709.78): the
//    term is ln(1 + exp(eta)), which equals eta to double precision there.
//  - r^2 / (p(1 - p)) for a dyad predicted exactly right (r = 0, p exactly 0 or 1): its limit 0.
//    A dyad predicted exactly wrong (r = +-1, p(1 - p) = 0) keeps the written value, +Infinity:
//    the model gives that observation no chance at all, and the goodness of fit says so.
//  - e / (1 + e)^2 with e overflowing to Infinity: its limit 0; such a dyad adds nothing.
void final_sums(Records& rec, Io& io, FitState& s) {
  const int m = rec.stats.param_count;
  const int length = padded(m);
  Stats& st = rec.stats;
  clear(s.covariance);
  double loglik_sum = 0.0;
  double abs_resid_sum = 0.0;
  double sq_resid_sum = 0.0;
  double pearson_sum = 0.0;
  std::int64_t counts[2][2] = {{0, 0}, {0, 0}};
  std::int64_t zero_weight = 0;
  const double* estimate = s.estimate.base();
  double* scaled = s.scaled;
  sweep(rec, io, s, [&](int16 tie, const DyadRow& row) {
    const double y = tie;
    const double eta = linear_predictor(row, estimate);
    const double e = std::exp(-eta);
    const double log_term = std::log(1.0 + 1.0 / e);
    loglik_sum += std::isinf(log_term) ? eta : log_term;
    const double p = 1.0 / (1.0 + e);
    const double r = y - p;
    abs_resid_sum += std::fabs(r);
    sq_resid_sum += r * r;
    if (r != 0.0) pearson_sum += r * r / (p * (1.0 - p));
    const int predicted = static_cast<int>(p + 0.5);
    ++counts[tie != 0 ? 1 : 0][predicted != 0 ? 1 : 0];
    const double v = std::isinf(e) ? 0.0 : e / ((1.0 + e) * (1.0 + e));
    if (v == 0.0) {
      ++zero_weight;
      return;
    }
    add_weighted_products(s.covariance, row, v, scaled, length);
  });
  s.zero_weight_dyads += zero_weight;
  double gain = 0.0;
  for (int k = 1; k <= m; ++k) gain += s.xty(k) * s.estimate(k);
  st.loglik = gain - loglik_sum;
  st.abs_resid_sum = abs_resid_sum;
  st.sq_resid_sum = sq_resid_sum;
  st.pearson_sum = pearson_sum;
  for (int o = 0; o < 2; ++o) {
    for (int q = 0; q < 2; ++q) st.class_table(o + 1, q + 1) = static_cast<int32>(counts[o][q]);
  }
}

}  // namespace

FitEnd run_fit(Records& rec, Io& io, FitState& s) {
  std::ostream& screen = io.screen();
  Stats& st = rec.stats;
  const int n = rec.nodes.node_count;
  const int m = st.param_count;
  s.zero_weight_dyads = 0;
  s.newton_passes = 0;
  s.final_invertible = 0;
  clear(s.estimate);
  clear(s.previous_estimate);
  s.dyad = DyadRow{};
  std::fill(std::begin(s.scaled), std::end(s.scaled), 0.0);

  // Pass 1.
  st.dyad_count = n * (n - 1);
  if (rec.flags.skip_diagonal == 0) st.dyad_count += n;
  screen << " Pass  1" << std::flush;
  pass_one(rec, io, s);
  s.xsq_inv = s.xsq;
  gaussj(s.xsq_inv, st.param_count, s.invertible);
  if (s.invertible == 0) {
    screen << "\n Statistics linearly dependent! Try again...\n" << std::flush;
    return FitEnd::dependent;
  }

  // The null model: one tie probability T / N for every dyad. Without ties, or with every dyad
  // tied, the logarithms have no finite value and the result is not a number.
  {
    const double ties = s.tie_total;
    const double dyads = st.dyad_count;
    const double t0 = -std::log(dyads / ties - 1.0);
    st.null_loglik = t0 * ties - dyads * std::log(1.0 + std::exp(t0));
  }

  // Pass 2.
  screen << ".. 2" << std::flush;
  pass_two(rec, io, s);

  // Newton passes.
  s.pass_number = first_newton_pass;
  s.too_many_iterations = 0;
  for (;;) {
    screen << ".." << int_field(s.pass_number, 2) << std::flush;
    newton_sums(rec, io, s);
    ++s.newton_passes;
    gaussj(s.wxsq, st.param_count, s.invertible);
    if (s.invertible == 0) {
      screen << "\n Error in inverting wxsq matrix!\n" << std::flush;
      return FitEnd::wxsq_singular;
    }
    for (int k = 1; k <= m; ++k) {
      double sum = 0.0;
      for (int l = 1; l <= m; ++l) sum += s.wxsq(k, l) * s.wz_sum(l);
      if (sum > estimate_bound) sum = estimate_bound;
      if (sum < -estimate_bound) sum = -estimate_bound;
      s.estimate(k) = sum;
    }
    ++s.pass_number;
    if (s.pass_number > last_newton_pass) {
      s.too_many_iterations = 1;
      break;
    }
    s.not_converged = 0;
    for (int k = 1; k <= m; ++k) {
      const double d = std::fabs(s.previous_estimate(k) - s.estimate(k));
      s.previous_estimate(k) = s.estimate(k);
      if (d > tolerance * (std::fabs(s.estimate(k)) + tolerance_floor)) s.not_converged = 1;
    }
    if (s.not_converged == 0) break;
  }

  // Final pass.
  screen << ".. Final\n" << std::flush;
  final_sums(rec, io, s);
  gaussj(s.covariance, st.param_count, s.final_invertible);
  if (s.final_invertible == 0) {
    // A partly inverted matrix is no covariance matrix. The report is still written, with its
    // estimates and exp(b), but every standard error, Wald value and correlation shows NaN.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int c = 1; c <= m; ++c) {
      for (int r = 1; r <= m; ++r) s.covariance(r, c) = nan;
    }
  }
  return FitEnd::completed;
}

void fit_model(Records& rec, Io& io) {
  auto state = std::make_unique<FitState>();
  if (run_fit(rec, io, *state) == FitEnd::completed) {
    output(rec, io, state->estimate, state->covariance, state->too_many_iterations);
  }
}

}  // namespace tarn
