#pragma once
// Equilibrium expectation for models of counts: the tasks of equilibrium_expectation.h, each a
// chain of networks of counts (valued/valued_sampler.h) walking from the observed network. The
// steps carry over unchanged: a Newton step on the expected statistics needs only draws of the
// statistics and their covariance, whatever values the dyads take. A valued model has no offsets
// nor curved terms, so every coefficient moves.

#include "ee/equilibrium_expectation.h"
#include "valued/valued_model.h"
#include "valued/valued_proposal.h"

namespace tarn {

// `start`: the coefficients to start from (the exact fit of the dyad-independent terms, taken on
// by contrastive divergence). Proposals per update by default_proposals_per_update with the
// dyads of non-zero count as the links. The settings' chains_up_to is not used (no exact draws).
EeResult valued_equilibrium_expectation(const ValuedModel& model, const ValuedGraph& observed,
                                        const ValuedProposal& proposal, const Vector& start,
                                        const EeSettings& settings,
                                        const EeProgress& progress = {});

}  // namespace tarn
