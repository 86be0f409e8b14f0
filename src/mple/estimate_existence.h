#pragma once
// Whether the maximum pseudo-likelihood estimate exists. It does not exist exactly when the
// change statistics separate the dyads with a link from those without one, completely or
// quasi-completely: some direction d in parameter space has d . x >= 0 for every dyad with a
// link, d . x <= 0 for every dyad without one, and d . x != 0 for at least one dyad. Along d the
// pseudo-likelihood rises without end, and the fit's estimates run to its bound.
//
// Decided by linear programs (GLPK) over the distinct signed statistic rows s x (s = +1 for a
// link, -1 otherwise), which are the only constraints: dyads with equal rows add nothing.
//
// Most fitted networks need only a sample: the rows of some senders spread over the network. Rows
// that no direction allowed by the sample makes strict have r . d = 0 for every such direction;
// once they span the parameter space (rank counted exactly, modulo a prime), only d = 0 is left,
// and more rows cannot change that (the rank is exact for the kernel's integer rows, and never
// overstated for real rows: row_rank.h). Otherwise every row is read.

#include <cstdint>
#include <vector>

#include "mple/dyad_classes.h"
#include "mple/pseudo_likelihood.h"
#include "network/cancel_flag.h"

namespace tarn {

struct EstimateExistence {
  bool exists = true;
  // When the estimate does not exist: the separating direction d, scaled so that its largest
  // |d_k| is 1; entry k belongs to parameter k + 1 of the model. Empty otherwise.
  std::vector<double> direction;
  // Dyads with d . x != 0: those whose fitted probability runs to 0 or 1 along d. The direction
  // is chosen so that this set is the largest any separating direction gives.
  std::int64_t separated_dyads = 0;
  // How the answer was reached: by the programs over a sample of the rows, which already allow
  // no direction but 0, or by the programs over every distinct row.
  enum class Proof { sample_of_rows, linear_program };
  Proof proof = Proof::linear_program;
  // Distinct signed statistic rows among the included dyads (a row of zeros counts as one), when
  // the linear programs ran; 0 otherwise.
  std::int64_t distinct_rows = 0;
};

enum class ExistenceMethod {
  shortest,            // the spanning rows where they suffice, the programs otherwise
  linear_program_only  // every distinct row and the programs, always (a cross-check)
};

// Throws std::runtime_error when GLPK cannot solve a linear program, std::invalid_argument when
// the model needs blocks or a comparative network that the study does not give, and
// WorkCancelled when `cancel` is raised (polled at every sender read and every round of the
// programs).
EstimateExistence check_estimate_existence(const Study& study,
                                           ExistenceMethod method = ExistenceMethod::shortest,
                                           CancelFlag cancel = nullptr);

// The programs over the given rows of dyads with their counts (those of the dyad classes, or of a
// case-control sample: then it is the sample's estimate whose existence is decided).
EstimateExistence check_estimate_existence_of_rows(const DyadClassRows& rows);

}  // namespace tarn
