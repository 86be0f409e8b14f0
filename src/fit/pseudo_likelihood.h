#pragma once
// The passes of the pseudo-likelihood fit, apart from the report, so that the estimates and
// the covariance matrix of a fit can be read directly.

#include <cstdint>

#include "input/io.h"
#include "store/records.h"

namespace tarn {

// How the passes ended.
enum class FitEnd {
  completed,      // the final pass was made: results in stats and in the FitState
  dependent,      // the cross-product matrix of pass 1 could not be inverted
  wxsq_singular,  // a Newton pass could not invert its weighted matrix
};

// One regressor vector: the change statistics of the current dyad for parameters 1..m, kept
// at positions 0..m-1 (the slots above m stay 0, so loops may run over a padded length), and the
// positions of the non-zero ones in ascending order.
struct DyadRow {
  alignas(16) double x[max_params] = {};
  std::int32_t whole[max_params] = {};  // the same values as integers
  int index[max_params] = {};
  int count = 0;
};

// Everything one fit works with. About 200 KB: keep it on the heap. Allocated once per fit;
// nothing is allocated during the passes.
struct FitState {
  double tie_total = 0.0;
  ParamVector xty;
  ParamVector ols_coef;
  ParamVector logit_xsum;
  ParamVector estimate;
  ParamVector previous_estimate;
  ParamVector wz_sum;
  ParamMatrix xsq;
  ParamMatrix xsq_inv;
  ParamMatrix wxsq;
  ParamMatrix covariance;
  int16 pass_number = 0;
  int32 too_many_iterations = 0;
  int32 not_converged = 0;
  int32 invertible = 0;
  // Status of the inversion of the final pass. When it failed, the covariance block holds NaN.
  int32 final_invertible = 0;
  int newton_passes = 0;
  // Dyads of the Newton and final passes whose fitted probability came out exactly 0 or 1.
  std::int64_t zero_weight_dyads = 0;

  // Working storage of the sweeps.
  DyadRow dyad;
  alignas(16) double scaled[max_params] = {};            // weight times each regressor
  std::int64_t exact_xsq[max_params * max_params] = {};  // pass 1, by column
  std::int64_t exact_xty[max_params] = {};
};

// Pass 1, the null model, pass 2, the Newton passes and the final pass. Writes the progress
// line and the failure messages to the screen, and the fit results into stats; the report is
// left to the caller.
FitEnd run_fit(Records& rec, Io& io, FitState& state);

}  // namespace tarn
