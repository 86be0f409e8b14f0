#pragma once
// The maximum pseudo-likelihood fit of a classic model: Newton-Raphson passes, each estimate held
// within -15..15, and every sum taken in the same order, so that a fit has the same bits on every
// machine.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "tarnwick/classic/data.h"
#include "tarnwick/classic/model.h"

namespace tarnwick {

// What one fit reads.
struct ClassicStudy {
  ClassicNetwork network;
  bool include_diagonal = false;  // the self-pairs (i, i) are dyads
  ClassicModel model;
  ClassicBlocking blocking;        // read with block parameters, and named in the report
  ClassicAttributes attributes;    // the blocking attribute's values, with block parameters
  ClassicComparative comparative;  // with the comparative network (type 16)
};

// The passes of a fit, in order: 1 and 2 (the start), the Newton passes
// classic_first_newton_pass and on (at most ten), and classic_final_pass.
inline constexpr int classic_first_newton_pass = 3;
inline constexpr int classic_final_pass = 99;
// Called as each pass begins.
using ClassicPassObserver = std::function<void(int pass)>;

enum class ClassicFitEnd {
  completed,      // the final pass was made
  dependent,      // the cross-product matrix of the statistics could not be inverted
  wxsq_singular,  // a Newton pass could not invert its weighted cross-product matrix
};

struct ClassicFit {
  ClassicFitEnd end = ClassicFitEnd::completed;
  // Of a completed fit, one per parameter; NaN where the covariance could not be found.
  std::vector<double> estimates;
  std::vector<double> standard_errors;
  double log_likelihood = 0.0;  // the pseudo-log-likelihood at the estimates
  int newton_passes = 0;

  struct Data;
  std::shared_ptr<const Data> data;  // what the report reads
};

// Fits the study's model. Throws ArgumentError when the study lacks what its model reads (the
// comparative network, or a blocking for block parameters).
ClassicFit fit_classic(const ClassicStudy& study, const ClassicPassObserver& pass_started = {});

}  // namespace tarnwick
