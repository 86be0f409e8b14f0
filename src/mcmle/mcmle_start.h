#pragma once
// Where maximum likelihood by MCMC starts, and where it goes when the start is bad: the
// dyad-independent reference (the model's dyad-independent terms fitted alone, whose
// pseudo-likelihood is their likelihood, the other coefficients 0), and the record of moves
// towards it.

#include <optional>
#include <string>

#include "model/study.h"
#include "numeric/matrix.h"
#include "simulate/degeneracy_evidence.h"
#include "simulate/sampler.h"

namespace tarn {

// The model's dyad-independent terms alone, fitted by pseudo-likelihood (their maximum
// likelihood) with its dyad-independent folded offsets held at their values, as coefficients of
// the whole model (0 for the other terms; a curved term's decay as written), and the
// log-likelihood there, which is exact. Nothing when that fit fails.
struct DyadIndependentReference {
  Vector coefficients;
  // Its canonical parameters (a folded offset's own values where it is dyad-independent, 0 where
  // it is not) and the log-likelihood there; none where that has no closed form: a
  // dyad-dependent offset at -Inf or Inf.
  Vector eta;
  std::optional<double> log_likelihood;
};
std::optional<DyadIndependentReference> dyad_independent_reference(const Study& study);

enum class McmleStart { pseudo_likelihood, given, dyad_independent };

// Why the start moved: what the networks drawn at the first start did.
struct StartMove {
  // "pile_near_empty", "pile_near_full", "two_modes" (the draws' evidence), "link_capacity" (a
  // chain filled the link store), "no_step" (the sample gave no step three times: some statistic
  // never varied there); after a whole fit from the first start that did not converge,
  // "second_mode" (chains started empty stayed near it) or "not_converged".
  std::string reason;
  DrawEvidence evidence;
  CapacityStop capacity;
};

struct StartRecord {
  McmleStart kind = McmleStart::pseudo_likelihood;
  // The share of the first start's distance from the reference that the start keeps: 1 unmoved,
  // 1/2 to 1/16 after moves halfway towards it, 0 at the reference itself.
  double share = 1.0;
  std::optional<StartMove> moved;  // the first reason to move
  Vector first;                    // the first start
};

// Moves a bad start: halfway towards the reference while `control`'s start_halvings allow (the
// share halves), then to the reference itself. False when it stands at the reference already or
// there is none; `no_step` goes to the reference at once (a half-way point would not vary the
// statistic either).
bool move_start(StartRecord& record, Vector& theta, const StartMove& why,
                const std::optional<DyadIndependentReference>& reference, int start_halvings);

}  // namespace tarn
