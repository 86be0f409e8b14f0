#pragma once
// The passes of the pseudo-likelihood fit, apart from the report, so that the estimates and
// the covariance matrix of a fit can be read directly.

#include <cstdint>

#include "fit/dyad_sums.h"
#include "input/io.h"
#include "store/records.h"

namespace tarn {

// How the passes ended.
enum class FitEnd {
  completed,      // the final pass was made: results in stats and in the FitState
  dependent,      // the cross-product matrix of pass 1 could not be inverted
  wxsq_singular,  // a Newton pass could not invert its weighted matrix
};

// Everything one fit works with. About 400 KB: keep it on the heap. Allocated once per fit;
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

  // Working storage of the sweeps: the sums, and per receiver of the current sender its linear
  // predictor and the weight and extra factor of its terms (DyadSums).
  DyadSums sums;
  SenderColumns columns;
  alignas(16) double eta[max_nodes] = {};
  alignas(16) double weight[max_nodes] = {};
  alignas(16) double extra[max_nodes] = {};
  unsigned char vector_ones[max_nodes] = {};
};

// Pass 1, the null model, pass 2, the Newton passes and the final pass. Writes the progress
// line and the failure messages to the screen, and the fit results into stats; the report is
// left to the caller.
FitEnd run_fit(Records& rec, Io& io, FitState& state);

}  // namespace tarn
