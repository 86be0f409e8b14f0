#pragma once
// The passes of every pseudo-likelihood fit, whatever it sums over (every dyad in sweep order, or
// the rows of dyad classes):
//   pass 1      statistic totals and cross-products; dependent statistics end the fit
//   pass 2      starting values: the logits of the linear-probability fit, regressed
//   passes 3-12 Newton updates (mple/newton.h), each estimate held within the study's bound; a
//               study whose passes go on until the estimates settle halves the steps that lower
//               the likelihood and stops at settled_pass_limit passes instead
//   final pass  log-likelihood, residuals, classification and the covariance matrix
// The passes hold the order of the work and the algebra between the sums; a FitSums takes the
// sums themselves.

#include <array>
#include <cstdint>
#include <functional>

#include "mple/fit_result.h"
#include "mple/pass_timing.h"
#include "network/cancel_flag.h"

namespace tarn {

inline constexpr int first_newton_pass = 3;
inline constexpr int last_newton_pass = 12;
inline constexpr int final_pass = 99;
// The most Newton passes, halvings included, of a fit that goes on until its estimates settle.
// Far more than a logistic likelihood needs from a data-based start where its maximum exists
// (rates near 10^-6 take about twenty): a fit still climbing at this count has none.
inline constexpr int settled_pass_limit = 200;
// Such a fit stops after a step of less than this share of each estimate: the dialogue's 10^-3
// leaves an error of about half the step's square (8 x 10^-5 at a log-odds of -13), one or two
// passes more leave none that a double shows.
inline constexpr double settled_tolerance = 1e-6;

// The linear-probability predictions are held within these before their logits are taken.
inline constexpr double start_prediction_upper = 0.99;
inline constexpr double start_prediction_lower = 0.01;

struct FitObserver {
  // Called as each pass begins: 1, 2, the Newton passes 3..12, and final_pass.
  std::function<void(int pass)> pass_started;
  PassTiming* timing = nullptr;  // per-sweep times, for the benchmarks
  CancelFlag cancel = nullptr;   // polled at every sender of a sweep
};

// The sums of the final pass other than the weighted matrix.
struct FinalPassSums {
  double loglik_sum = 0.0;  // of ln(1 + exp(eta))
  double abs_resid_sum = 0.0;
  double sq_resid_sum = 0.0;
  double pearson_sum = 0.0;
  std::array<std::array<std::int64_t, 2>, 2> class_table{};
  std::int64_t zero_weight_dyads = 0;
};

// What a fit sums over. Every vector and matrix it is given is sized and zero.
class FitSums {
 public:
  virtual ~FitSums() = default;
  // Pass 1: X'y and X'X; returns the number of dyads with a tie.
  virtual double totals(ParamVector& xty, ParamMatrix& xsq) = 0;
  // Pass 2: X' logit(p), p the linear-probability prediction X ols held within the clamps.
  virtual void logit_sums(const ParamVector& ols, ParamVector& logit_xsum) = 0;
  // A Newton pass at `at`: X'Wz and X'WX; returns the dyads of weight 0. With `log_terms`, adds
  // to it the sum over the dyads of ln(1 + exp(eta)) (times their weights): the likelihood at
  // `at` is X'y . at less that sum.
  virtual std::int64_t newton_sums(int pass, const ParamVector& at, ParamVector& wz_sum,
                                   ParamMatrix& wxsq, double* log_terms) = 0;
  // The final pass at the estimate: its sums, and X'WX in wxsq.
  virtual FinalPassSums final_sums(const ParamVector& estimate, ParamMatrix& wxsq) = 0;
};

struct FitPlan {
  int parameters = 0;
  std::int64_t dyad_count = 0;
  double estimate_bound = 15.0;
  const FitObserver* observer = nullptr;  // or none
  const ParamVector* start = nullptr;     // the Newton passes' start instead of pass 2's
  bool until_settled = false;             // Study::newton_until_settled
};

FitResult fit_by_passes(FitSums& sums, const FitPlan& plan);

// A row's share of a Newton pass at `at` for the fits over counted rows: `weight` dyads of
// response y and statistics x, added to X'Wz and X'WX. Returns true when the row's weight
// p(1 - p) is 0: its dyads then add their score only.
// With `log_terms`, adds weight * ln(1 + exp(eta)) to it.
bool add_newton_row(const double* x, int m, double weight, int y, const ParamVector& at,
                    ParamVector& wz_sum, ParamMatrix& wxsq, double* log_terms);

// ln(1 + exp(eta)) without overflow.
double log_one_plus_exp(double eta);

// A row's share of the final pass at the estimate: `weight` dyads (`count` rows counted) of
// response y and statistics x, added to the log-likelihood and residual sums, the zero-weight
// dyads and X'WX. Returns the fitted probability, which the caller classifies (counts, or
// weighted counts rounded).
double add_final_row(const double* x, int m, double weight, std::int64_t count, int y,
                     const ParamVector& estimate, FinalPassSums& sums, ParamMatrix& wxsq);

}  // namespace tarn
