#include "fit/fit_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>

#include "fit/gaussj.h"
#include "fit/pass_timing.h"
#include "fit/pseudo_likelihood.h"
#include "fit/statistic_values.h"
#include "input/comparative_file.h"
#include "report/fixed_field.h"
#include "report/output.h"
#include "stats/calcfr.h"

namespace tarn {

// The sums of every pass are taken by DyadSums, one sender at a time (see dyad_sums.h for why the
// order of its work changes no bit). The per-dyad values that feed them (linear predictors,
// probabilities, weights) are computed here receiver by receiver, in sweep order wherever they
// are summed.

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
// Copies the sums of a sweep into the fit's vector and matrix (either may be null).
void take_sums(const DyadSums& sums, int m, ParamVector* vector, ParamMatrix* matrix) {
  for (int l = 1; l <= m; ++l) {
    if (vector != nullptr) (*vector)(l) = sums.vector(l - 1);
    if (matrix == nullptr) continue;
    for (int k = 1; k <= m; ++k) (*matrix)(k, l) = sums.matrix(k - 1, l - 1);
  }
}

void clear(ParamMatrix& a) {
  a.v.fill(0.0);
}

// The slot of the benchmark's timings that the next sweep fills, or null when nobody times.
PassTiming::Pass* timing_slot(Io& io, int number) {
  PassTiming* timing = io.timing;
  if (timing == nullptr || timing->count >= PassTiming::max_passes) return nullptr;
  PassTiming::Pass& pass = timing->passes[timing->count++];
  pass = PassTiming::Pass{};
  pass.number = number;
  return &pass;
}

double seconds_between(std::chrono::steady_clock::time_point a,
                       std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// One sweep over the included dyads: init, then for each sender its statistics and
// `per_sender(columns, tie_row)`, which takes the sender's included dyads in receiver order.
template <class PerSender>
void sweep(Records& rec, Io& io, FitState& state, int pass_number, PerSender&& per_sender) {
  using clock = std::chrono::steady_clock;
  PassTiming::Pass* timed = timing_slot(io, pass_number);
  clock::time_point start;
  if (timed != nullptr) start = clock::now();
  init(rec, io);
  const int n = rec.nodes.node_count;
  const int m = rec.stats.param_count;
  SenderColumns& columns = state.columns;
  columns.m = m;
  columns.n = n;
  for (int k = 0; k < m; ++k) {
    columns.column[k] = rec.stats.change_stat.column(rec.stats.param_column(k + 1));
  }
  const bool skip_diagonal = rec.flags.skip_diagonal != 0;
  const int16* tie = rec.data.tie_row.base();
  for (int i = 1; i <= n; ++i) {
    calcfr(rec, io, static_cast<int16>(i));
    clock::time_point built;
    if (timed != nullptr) {
      built = clock::now();
      timed->calcfr_seconds += seconds_between(start, built);
    }
    columns.skip = skip_diagonal ? i - 1 : -1;
    per_sender(static_cast<const SenderColumns&>(columns), tie);
    if (timed != nullptr) {
      start = clock::now();
      timed->sums_seconds += seconds_between(built, start);
    }
  }
}

// out[j] = sum over k of x(k) * coef(k), k ascending from +0.0, for every receiver of the
// sender (entries up to n rounded up to a multiple of four). A zero statistic adds a term +-0.0,
// which changes no sum, so each column is added whole, four receivers at a time; only a
// coefficient that is not finite (whose product with 0 would not be 0) is added where the
// statistic is non-zero.
void linear_predictors(const SenderColumns& columns, const double* coef, double* out) {
  const int n4 = (columns.n + 3) & ~3;
  for (int k = 0; k < columns.m; ++k) {
    const double b = coef[k];
    const int16* x = columns.column[k];
    if (k == 0 && !std::isfinite(b)) {
      for (int j = 0; j < n4; ++j) out[j] = 0.0;
    }
    if (std::isfinite(b) && k == 0) {
      // The first column starts every sum from +0.0 itself.
      const v2d bb = {b, b};
      const v2d start = {0.0, 0.0};
      for (int j = 0; j < n4; j += 4) {
        v2d lo, hi;
        statistics_as_doubles(x + j, lo, hi);
        v2d* o = reinterpret_cast<v2d*>(out + j);
        o[0] = start + lo * bb;
        o[1] = start + hi * bb;
      }
    } else if (std::isfinite(b)) {
      const v2d bb = {b, b};
      for (int j = 0; j < n4; j += 4) {
        v2d lo, hi;
        statistics_as_doubles(x + j, lo, hi);
        v2d* o = reinterpret_cast<v2d*>(out + j);
        o[0] = o[0] + lo * bb;
        o[1] = o[1] + hi * bb;
      }
    } else {
      for (int j = 0; j < columns.n; ++j) {
        if (x[j] != 0) out[j] += x[j] * b;
      }
    }
  }
  if (columns.m == 0) {
    for (int j = 0; j < n4; ++j) out[j] = 0.0;
  }
}

// Pass 1: tie total, statistic totals and cross-products. The statistics are 16-bit integers,
// so every term is an integer below 2^31 and every partial sum an integer below
// 2^30 * 2000^2 < 2^53: these sums are exact.
void pass_one(Records& rec, Io& io, FitState& s) {
  const int m = rec.stats.param_count;
  std::int64_t ties = 0;
  s.sums.start(m, true, true);
  std::fill(std::begin(s.weight), std::end(s.weight), 1.0);
  sweep(rec, io, s, 1, [&](const SenderColumns& columns, const int16* tie) {
    for (int j = 0; j < columns.n; ++j) {
      s.extra[j] = tie[j];
      if (j != columns.skip) ties += tie[j];
    }
    s.sums.add_sender(columns, s.weight, s.extra);
  });
  s.tie_total = static_cast<double>(ties);
  clear(s.xty);
  clear(s.xsq);
  take_sums(s.sums, m, &s.xty, &s.xsq);
}

// Pass 2: the clamped logits of the linear-probability fit, summed against the statistics.
void pass_two(Records& rec, Io& io, FitState& s) {
  const int m = rec.stats.param_count;
  for (int k = 1; k <= m; ++k) {
    double sum = 0.0;
    for (int l = 1; l <= m; ++l) sum += s.xsq_inv(k, l) * s.xty(l);
    s.ols_coef(k) = sum;
  }
  s.sums.start(m, false, true);
  std::fill(std::begin(s.weight), std::end(s.weight), 1.0);
  const double* coef = s.ols_coef.base();
  // The logit of the last prediction, kept for the next dyad with the same prediction.
  double last_prediction = std::numeric_limits<double>::quiet_NaN();
  double last_logit = 0.0;
  sweep(rec, io, s, 2, [&](const SenderColumns& columns, const int16*) {
    linear_predictors(columns, coef, s.eta);
    for (int j = 0; j < columns.n; ++j) {
      if (j == columns.skip) continue;
      double prediction = s.eta[j];
      if (prediction > upper_clamp) prediction = upper_clamp;
      if (prediction < lower_clamp) prediction = lower_clamp;
      if (!(prediction == last_prediction)) {
        last_prediction = prediction;
        last_logit = std::log(prediction / (1.0 - prediction));
      }
      s.extra[j] = last_logit;
    }
    s.sums.add_sender(columns, s.weight, s.extra);
  });
  take_sums(s.sums, m, &s.logit_xsum, nullptr);
  for (int k = 1; k <= m; ++k) {
    double sum = 0.0;
    for (int l = 1; l <= m; ++l) sum += s.xsq_inv(k, l) * s.logit_xsum(l);
    s.previous_estimate(k) = sum;
  }
  for (int k = 1; k <= m; ++k) s.estimate(k) = s.previous_estimate(k);
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
  clear(s.wz_sum);
  clear(s.wxsq);
  clear(s.covariance);
  s.sums.start(m, true, true);
  const double* estimate = s.estimate.base();
  std::int64_t zero_weight = 0;
  // The values of the last linear predictor, kept for the next dyad with the same one.
  double last_eta = std::numeric_limits<double>::quiet_NaN();
  double p = 0.0, w = 0.0;
  double z[2] = {0.0, 0.0};
  bool have_z[2] = {false, false};
  sweep(rec, io, s, s.pass_number, [&](const SenderColumns& columns, const int16* tie) {
    linear_predictors(columns, estimate, s.eta);
    bool any_limit = false;
    for (int j = 0; j < columns.n; ++j) {
      if (j == columns.skip) continue;
      const double eta = s.eta[j];
      if (!(eta == last_eta)) {
        last_eta = eta;
        p = 1.0 / (1.0 + std::exp(-eta));
        w = p * (1.0 - p);
        have_z[0] = have_z[1] = false;
      }
      const int y = tie[j] != 0 ? 1 : 0;
      if (w == 0.0) {
        ++zero_weight;
        s.weight[j] = 0.0;
        s.extra[j] = y - p;
        s.vector_ones[j] = 1;
        any_limit = true;
        continue;
      }
      if (!have_z[y]) {
        z[y] = eta + (y - p) / w;
        have_z[y] = true;
      }
      s.weight[j] = w;
      if (std::isfinite(z[y])) {
        s.extra[j] = z[y];
        s.vector_ones[j] = 0;
      } else {
        s.extra[j] = y - p;
        s.vector_ones[j] = 1;
        any_limit = true;
      }
    }
    s.sums.add_sender(columns, s.weight, s.extra, any_limit ? s.vector_ones : nullptr);
  });
  s.zero_weight_dyads += zero_weight;
  take_sums(s.sums, m, &s.wz_sum, &s.wxsq);
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
  Stats& st = rec.stats;
  clear(s.covariance);
  s.sums.start(m, true, false);
  double loglik_sum = 0.0;
  double abs_resid_sum = 0.0;
  double sq_resid_sum = 0.0;
  double pearson_sum = 0.0;
  std::int64_t counts[2][2] = {{0, 0}, {0, 0}};
  std::int64_t zero_weight = 0;
  const double* estimate = s.estimate.base();
  // The values of the last linear predictor, kept for the next dyad with the same one.
  struct Residual {
    bool known = false;
    double r = 0.0, absolute = 0.0, square = 0.0, pearson = 0.0;
  };
  double last_eta = std::numeric_limits<double>::quiet_NaN();
  double log_term = 0.0, p = 0.0, v = 0.0;
  int predicted = 0;
  Residual residual[2];
  sweep(rec, io, s, PassTiming::final_pass, [&](const SenderColumns& columns, const int16* tie) {
    linear_predictors(columns, estimate, s.eta);
    for (int j = 0; j < columns.n; ++j) {
      if (j == columns.skip) continue;
      const double eta = s.eta[j];
      if (!(eta == last_eta)) {
        last_eta = eta;
        const double e = std::exp(-eta);
        log_term = std::log(1.0 + 1.0 / e);
        if (std::isinf(log_term)) log_term = eta;
        p = 1.0 / (1.0 + e);
        predicted = static_cast<int>(p + 0.5);
        v = std::isinf(e) ? 0.0 : e / ((1.0 + e) * (1.0 + e));
        residual[0].known = residual[1].known = false;
      }
      loglik_sum += log_term;
      const int y = tie[j] != 0 ? 1 : 0;
      Residual& rr = residual[y];
      if (!rr.known) {
        rr.known = true;
        rr.r = y - p;
        rr.absolute = std::fabs(rr.r);
        rr.square = rr.r * rr.r;
        rr.pearson = rr.r * rr.r / (p * (1.0 - p));
      }
      abs_resid_sum += rr.absolute;
      sq_resid_sum += rr.square;
      if (rr.r != 0.0) pearson_sum += rr.pearson;
      ++counts[y][predicted != 0 ? 1 : 0];
      if (v == 0.0) ++zero_weight;
      s.weight[j] = v;
    }
    s.sums.add_sender(columns, s.weight, s.extra);
  });
  s.zero_weight_dyads += zero_weight;
  take_sums(s.sums, m, nullptr, &s.covariance);
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
