#pragma once
// What one pseudo-likelihood fit knows when it ends.

#include <array>
#include <cstdint>

#include "network/capacity.h"
#include "numeric/param_matrix.h"

namespace tarn {

enum class FitEnd {
  completed,      // the final pass was made: every field below is set
  dependent,      // the cross-product matrix of the statistics could not be inverted
  wxsq_singular,  // a Newton pass could not invert its weighted cross-product matrix
};

struct FitResult {
  FitEnd end = FitEnd::completed;
  int parameter_count = 0;
  std::int64_t dyad_count = 0;  // n(n - 1), plus n with the diagonal
  double tie_total = 0.0;       // dyads with a tie
  // The model with one tie probability for every dyad; not a number without ties or without
  // absent ties.
  double null_loglik = 0.0;
  double loglik = 0.0;
  double abs_resid_sum = 0.0;
  double sq_resid_sum = 0.0;
  double pearson_sum = 0.0;
  // class_table[o][q]: dyads observed o (0, 1) and predicted q (fitted probability rounded).
  std::array<std::array<std::int64_t, 2>, 2> class_table{};
  ParamVector estimate;
  // The inverse of the weighted cross-product matrix of the statistics at the final estimates:
  // the covariance matrix of the estimates (NaN throughout when it could not be inverted).
  ParamMatrix covariance;
  bool final_inversion_failed = false;
  bool too_many_iterations = false;  // the pass limit ended the Newton passes
  int newton_passes = 0;
  int step_halvings = 0;
  // The passes stopped where the fitted probabilities of some dyads reached exactly 0 or 1 while
  // the pseudo-likelihood still rose (too_many_iterations is set too): the estimates grow without
  // end.
  bool unbounded = false;  // Newton passes that took a step back by half (until_settled fits)
  // Dyads of the Newton and final passes whose fitted probability came out exactly 0 or 1.
  std::int64_t zero_weight_dyads = 0;
};

}  // namespace tarn
