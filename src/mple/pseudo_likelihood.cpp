#include "mple/pseudo_likelihood.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>

#include "mple/case_control.h"
#include "mple/dyad_classes.h"
#include "mple/dyad_sums.h"
#include "mple/fit_passes.h"
#include "mple/offset_fit.h"
#include "mple/sender_sweep.h"
#include "mple/statistic_values.h"
#include "network/usage_error.h"

namespace tarn {

// The sums of every pass are taken by DyadSums, one sender at a time (see dyad_sums.h for why the
// order of its work changes no bit). The per-dyad values that feed them (linear predictors,
// probabilities, weights) are computed here receiver by receiver, in sweep order wherever they
// are summed.

namespace {

// Everything one fit works with: the statistics of the current sender, the sums, and per
// receiver its linear predictor and the weight and extra factor of its terms. Allocated once per
// fit; nothing is allocated during the passes. `Columns` is the source of the statistics
// (sender_sweep.h).
template <class Columns>
struct FitState {
  using Value = typename Columns::Value;
  explicit FitState(const Study& study)
      : source(study),
        rows(static_cast<std::size_t>(padded_rows(study.network.node_count)) + 8),
        eta(rows, 0.0),
        weight(rows, 0.0),
        extra(rows, 0.0),
        vector_ones(rows, 0) {}

  Columns source;
  DyadSumsOf<Value> sums;
  // Per receiver, as many as the network has nodes, padded (padded_rows) and eight more.
  std::size_t rows;
  std::vector<double> eta;
  std::vector<double> weight;
  std::vector<double> extra;
  std::vector<unsigned char> vector_ones;
};

// Copies the sums of a sweep into the fit's vector and matrix (either may be null).
template <class T>
void take_sums(const DyadSumsOf<T>& sums, int m, ParamVector* vector, ParamMatrix* matrix) {
  for (int l = 1; l <= m; ++l) {
    if (vector != nullptr) (*vector)(l) = sums.vector(l - 1);
    if (matrix == nullptr) continue;
    for (int k = 1; k <= m; ++k) (*matrix)(k, l) = sums.matrix(k - 1, l - 1);
  }
}

// The slot of the benchmark's timings that the next sweep fills, or null when nobody times.
PassTiming::Pass* timing_slot(const FitObserver& observer, int number) {
  PassTiming* timing = observer.timing;
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

// One sweep over the included dyads: for each sender its statistics and
// `per_sender(columns, tie_row)`, which takes the sender's included dyads in receiver order.
template <class Columns, class PerSender>
void sweep(Columns& source, const FitObserver& observer, int pass_number, PerSender&& per_sender) {
  using clock = std::chrono::steady_clock;
  PassTiming::Pass* timed = timing_slot(observer, pass_number);
  clock::time_point start;
  if (timed != nullptr) start = clock::now();
  const int senders = source.senders();
  for (int i = 1; i <= senders; ++i) {
    stop_if_cancelled(observer.cancel);
    source.compute(i);
    clock::time_point built;
    if (timed != nullptr) {
      built = clock::now();
      timed->statistics_seconds += seconds_between(start, built);
    }
    per_sender(source.columns(), source.tie_row());
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
template <class T>
void linear_predictors(const SenderColumnsOf<T>& columns, const double* coef, double* out) {
  const int n4 = (columns.n + 3) & ~3;
  for (int k = 0; k < columns.m; ++k) {
    const double b = coef[k];
    const T* x = columns.column[k];
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

// The weights and working responses of one Newton pass, one sender at a time in a function of
// its own, so that its values stay in registers while the rows are written.
struct NewtonTerms {
  std::int64_t zero_weight = 0;
  // The values of the last linear predictor, kept for the next dyad with the same one.
  double last_eta = std::numeric_limits<double>::quiet_NaN();
  double p = 0.0, w = 0.0;
  double z[2] = {0.0, 0.0};
  bool have_z[2] = {false, false};
  // With_log: the sum of ln(1 + exp(eta)), and that of the last linear predictor.
  double log_terms = 0.0;
  double log_term = 0.0;

  // Returns whether some dyad's vector term has weight one (see newton_sums).
  template <bool with_log>
  [[gnu::noinline]] bool add_sender(int n, int skip, const int16* tie, const double* eta_row,
                                    double* weight, double* extra, unsigned char* ones) {
    double last = last_eta, prob = p, wt = w, log_now = log_term, logs = log_terms;
    std::int64_t zero_weights = zero_weight;
    bool any_limit = false;
    for (int j = 0; j < n; ++j) {
      if (j == skip) continue;
      const double eta = eta_row[j];
      if (!(eta == last)) {
        last = eta;
        prob = 1.0 / (1.0 + std::exp(-eta));
        wt = prob * (1.0 - prob);
        have_z[0] = have_z[1] = false;
        if constexpr (with_log) log_now = log_one_plus_exp(eta);
      }
      if constexpr (with_log) logs += log_now;
      const int y = tie[j] != 0 ? 1 : 0;
      if (wt == 0.0) {
        ++zero_weights;
        weight[j] = 0.0;
        extra[j] = y - prob;
        ones[j] = 1;
        any_limit = true;
        continue;
      }
      if (!have_z[y]) {
        z[y] = eta + (y - prob) / wt;
        have_z[y] = true;
      }
      weight[j] = wt;
      if (std::isfinite(z[y])) {
        extra[j] = z[y];
        ones[j] = 0;
      } else {
        extra[j] = y - prob;
        ones[j] = 1;
        any_limit = true;
      }
    }
    last_eta = last, p = prob, w = wt;
    zero_weight = zero_weights;
    log_term = log_now, log_terms = logs;
    return any_limit;
  }
};

// The running sums of the final pass. One sender's dyads are added in a function of its own, on
// scalar copies written back after the sender, so that the sums stay in registers.
struct FinalSums {
  double loglik_sum = 0.0;
  double abs_resid_sum = 0.0;
  double sq_resid_sum = 0.0;
  double pearson_sum = 0.0;
  std::int64_t counts[2][2] = {{0, 0}, {0, 0}};
  std::int64_t zero_weight = 0;
  // The values of the last linear predictor, kept for the next dyad with the same one.
  struct Residual {
    bool known = false;
    double r = 0.0, absolute = 0.0, square = 0.0, pearson = 0.0;
  };
  double last_eta = std::numeric_limits<double>::quiet_NaN();
  double log_term = 0.0, p = 0.0, v = 0.0;
  int predicted = 0;
  Residual residual[2];

  [[gnu::noinline]] void add_sender(int n, int skip, const int16* tie, const double* eta_row,
                                    double* weight) {
    double loglik = loglik_sum, absolute = abs_resid_sum, squared = sq_resid_sum;
    double pearson = pearson_sum;
    double last = last_eta, term = log_term, prob = p, w = v;
    int predicted_now = predicted;
    std::int64_t zero_weights = zero_weight;
    for (int j = 0; j < n; ++j) {
      if (j == skip) continue;
      const double eta = eta_row[j];
      if (!(eta == last)) {
        last = eta;
        const double e = std::exp(-eta);
        term = std::log(1.0 + 1.0 / e);
        if (std::isinf(term)) term = eta;
        prob = 1.0 / (1.0 + e);
        predicted_now = static_cast<int>(prob + 0.5);
        w = std::isinf(e) ? 0.0 : e / ((1.0 + e) * (1.0 + e));
        residual[0].known = residual[1].known = false;
      }
      loglik += term;
      const int y = tie[j] != 0 ? 1 : 0;
      Residual& rr = residual[y];
      if (!rr.known) {
        rr.known = true;
        rr.r = y - prob;
        rr.absolute = std::fabs(rr.r);
        rr.square = rr.r * rr.r;
        rr.pearson = rr.r * rr.r / (prob * (1.0 - prob));
      }
      absolute += rr.absolute;
      squared += rr.square;
      if (rr.r != 0.0) pearson += rr.pearson;
      ++counts[y][predicted_now != 0 ? 1 : 0];
      if (w == 0.0) ++zero_weights;
      weight[j] = w;
    }
    loglik_sum = loglik, abs_resid_sum = absolute, sq_resid_sum = squared;
    pearson_sum = pearson;
    last_eta = last, log_term = term, p = prob, v = w;
    predicted = predicted_now;
    zero_weight = zero_weights;
  }
};

// The sums of the passes over every included dyad of the study, in sweep order.
template <class Columns>
class SweepSums final : public FitSums {
 public:
  using Value = typename Columns::Value;
  SweepSums(const Study& study, const FitObserver& observer)
      : state_(study), observer_(observer), m_(study.model.parameter_count()) {}

  // With the kernel's 16-bit statistics every term is an integer below 2^31 and every partial
  // sum an integer below 2^30 * 2000^2 < 2^53: these sums are exact.
  double totals(ParamVector& xty, ParamMatrix& xsq) override {
    FitState<Columns>& s = state_;
    std::int64_t ties = 0;
    s.sums.start(m_, true, true);
    std::fill(s.weight.begin(), s.weight.end(), 1.0);
    sweep(s.source, observer_, 1, [&](const SenderColumnsOf<Value>& columns, const int16* tie) {
      for (int j = 0; j < columns.n; ++j) {
        s.extra[j] = tie[j];
        if (j != columns.skip) ties += tie[j];
      }
      s.sums.add_sender(columns, s.weight.data(), s.extra.data());
    });
    take_sums(s.sums, m_, &xty, &xsq);
    return static_cast<double>(ties);
  }

  void logit_sums(const ParamVector& ols, ParamVector& logit_xsum) override {
    FitState<Columns>& s = state_;
    s.sums.start(m_, false, true);
    std::fill(s.weight.begin(), s.weight.end(), 1.0);
    // The logit of the last prediction, kept for the next dyad with the same prediction.
    double last_prediction = std::numeric_limits<double>::quiet_NaN();
    double last_logit = 0.0;
    sweep(s.source, observer_, 2, [&](const SenderColumnsOf<Value>& columns, const int16*) {
      linear_predictors(columns, ols.base(), s.eta.data());
      for (int j = 0; j < columns.n; ++j) {
        if (j == columns.skip) continue;
        const double prediction =
            std::clamp(s.eta[j], start_prediction_lower, start_prediction_upper);
        if (!(prediction == last_prediction)) {
          last_prediction = prediction;
          last_logit = std::log(prediction / (1.0 - prediction));
        }
        s.extra[j] = last_logit;
      }
      s.sums.add_sender(columns, s.weight.data(), s.extra.data());
    });
    take_sums(s.sums, m_, &logit_xsum, nullptr);
  }

  // // Where the fitted probability p comes out as exactly 0 or 1 (exp(-eta) overflows, or is too
  // small to change 1 + exp(-eta)), the weight w = p(1 - p) is 0 and the working response
  // z = eta + (y - p) / w is not a number. The score term z * w * x equals
  // eta * w * x + (y - p) * x, whose limit as w -> 0 is (y - p) * x: such a dyad adds (y - p) * x
  // to wz_sum and nothing to wxsq. The same limit is taken when w is positive but so small that
  // (y - p) / w overflows; the wxsq terms are then finite and kept as written.
  std::int64_t newton_sums(int pass, const ParamVector& at, ParamVector& wz_sum, ParamMatrix& wxsq,
                           double* log_terms) override {
    FitState<Columns>& s = state_;
    s.sums.start(m_, true, true);
    NewtonTerms terms;
    sweep(s.source, observer_, pass, [&](const SenderColumnsOf<Value>& columns, const int16* tie) {
      linear_predictors(columns, at.base(), s.eta.data());
      const bool any_limit =
          log_terms != nullptr
              ? terms.add_sender<true>(columns.n, columns.skip, tie, s.eta.data(), s.weight.data(),
                                       s.extra.data(), s.vector_ones.data())
              : terms.add_sender<false>(columns.n, columns.skip, tie, s.eta.data(), s.weight.data(),
                                        s.extra.data(), s.vector_ones.data());
      s.sums.add_sender(columns, s.weight.data(), s.extra.data(),
                        any_limit ? s.vector_ones.data() : nullptr);
    });
    take_sums(s.sums, m_, &wz_sum, &wxsq);
    if (log_terms != nullptr) *log_terms += terms.log_terms;
    return terms.zero_weight;
  }

  // The final pass: log-likelihood, residual sums, classification and the weighted matrix at
  // the final estimates. Limits where the written terms have no finite value:
  //  - ln(1 + 1/e) with e = exp(-eta) so small that 1/e overflows (eta above about 709.78): the
  //    term is ln(1 + exp(eta)), which equals eta to double precision there.
  //  - r^2 / (p(1 - p)) for a dyad predicted exactly right (r = 0, p exactly 0 or 1): its limit 0.
  //    A dyad predicted exactly wrong (r = +-1, p(1 - p) = 0) keeps the written value, +Infinity:
  //    the model gives that observation no chance at all, and the goodness of fit says so.
  //  - e / (1 + e)^2 with e overflowing to Infinity: its limit 0; such a dyad adds nothing.
  FinalPassSums final_sums(const ParamVector& estimate, ParamMatrix& wxsq) override {
    FitState<Columns>& s = state_;
    s.sums.start(m_, true, false);
    FinalSums sums;
    sweep(s.source, observer_, final_pass,
          [&](const SenderColumnsOf<Value>& columns, const int16* tie) {
            linear_predictors(columns, estimate.base(), s.eta.data());
            sums.add_sender(columns.n, columns.skip, tie, s.eta.data(), s.weight.data());
            s.sums.add_sender(columns, s.weight.data(), s.extra.data());
          });
    take_sums(s.sums, m_, nullptr, &wxsq);
    FinalPassSums result{
        sums.loglik_sum, sums.abs_resid_sum, sums.sq_resid_sum, sums.pearson_sum, {},
        sums.zero_weight};
    for (int o = 0; o < 2; ++o) {
      for (int q = 0; q < 2; ++q) result.class_table[o][q] = sums.counts[o][q];
    }
    return result;
  }

 private:
  FitState<Columns> state_;
  const FitObserver& observer_;
  int m_;
};

template <class Columns>
FitResult fit(const Study& study, const FitObserver& observer, const ParamVector* start) {
  auto sums = std::make_unique<SweepSums<Columns>>(study, observer);
  return fit_by_passes(
      *sums, FitPlan{study.model.parameter_count(), study.dyad_count(), study.estimate_bound,
                     &observer, start, study.newton_until_settled});
}

template <class Columns>
ParamVector score(const Study& study, const ParamVector& estimate) {
  using Value = typename Columns::Value;
  const int m = study.model.parameter_count();
  auto state = std::make_unique<FitState<Columns>>(study);
  FitState<Columns>& s = *state;
  s.sums.start(m, false, true);
  std::fill(s.weight.begin(), s.weight.end(), 1.0);
  sweep(s.source, {}, final_pass, [&](const SenderColumnsOf<Value>& columns, const int16* tie) {
    linear_predictors(columns, estimate.base(), s.eta.data());
    // Neighbouring dyads often share their linear predictor: its probability is kept.
    double last_eta = std::numeric_limits<double>::quiet_NaN(), p = 0.0;
    for (int j = 0; j < columns.n; ++j) {
      if (j == columns.skip) continue;
      if (!(s.eta[j] == last_eta)) {
        last_eta = s.eta[j];
        p = 1.0 / (1.0 + std::exp(-last_eta));
      }
      s.extra[j] = (tie[j] != 0 ? 1.0 : 0.0) - p;
    }
    s.sums.add_sender(columns, s.weight.data(), s.extra.data());
  });
  ParamVector result(m);
  take_sums(s.sums, m, &result, nullptr);
  return result;
}

}  // namespace

FitResult fit_pseudo_likelihood(const Study& study, const FitObserver& observer) {
  // With offsets every dyad is swept (the free ones only, when the space fixes some).
  if (study.model.has_offsets()) return fit_with_offsets(study, observer);
  if (fixes_dyads(study)) return fit_case_control(study, free_dyad_rows(study));
  if (fits_by_dyad_classes(study)) {
    return fit_dyad_class_rows(study, dyad_class_rows(study), observer, nullptr);
  }
  check_sweep_size(study);
  return study.uses_kernel() ? fit<KernelColumns>(study, observer, nullptr)
                             : fit<GeneralColumns>(study, observer, nullptr);
}

FitResult fit_pseudo_likelihood_from(const Study& study, const ParamVector& start) {
  if (study.model.has_offsets()) return fit_with_offsets(study, {}, &start);
  if (fixes_dyads(study)) return fit_case_control(study, free_dyad_rows(study));
  if (fits_by_dyad_classes(study)) {
    return fit_dyad_class_rows(study, dyad_class_rows(study), {}, &start);
  }
  check_sweep_size(study);
  return study.uses_kernel() ? fit<KernelColumns>(study, {}, &start)
                             : fit<GeneralColumns>(study, {}, &start);
}

ParamVector pseudo_score(const Study& study, const ParamVector& estimate) {
  // Over the free dyads only, as the fit (the fixed ones are the same in every network drawn).
  if (study.model.has_offsets()) return pseudo_score_with_offsets(study, estimate);
  if (fixes_dyads(study)) return score_of_dyad_class_rows(free_dyad_rows(study).rows, estimate);
  if (fits_by_dyad_classes(study))
    return score_of_dyad_class_rows(dyad_class_rows(study), estimate);
  return study.uses_kernel() ? score<KernelColumns>(study, estimate)
                             : score<GeneralColumns>(study, estimate);
}

}  // namespace tarn
