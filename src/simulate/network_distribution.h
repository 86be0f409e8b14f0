#pragma once
// Whether a model has a network distribution P(y) proportional to exp(theta . g(y)), the
// distribution that simulation draws from. It exists only when every statistic of the fit is the
// change of some count g of the network, that is when the mixed differences agree: the change of
// the statistic of dyad a when dyad b is toggled equals that of dyad b when a is toggled.
// Checked numerically on random networks (network_distribution_test.cpp): every global type
// passes, and so do block parameters of type 1 under any block structure and of type 2 under a
// symmetric one; block parameters of types 3 to 15 do not, in general. With the self-pairs as
// dyads only types 1, 3, 4, 5, 15 and 16 pass (the mutual statistic of (i, i) is the self-link
// itself, and the triad scans pass through it). A self-link that stays fixed (self-pairs not
// dyads) breaks types 6 and 11 to 14, whose scans count paths through it.

#include <string>

#include "model/blocking.h"
#include "model/model.h"
#include "network/network.h"

namespace tarn {

struct DistributionCheck {
  bool exists = true;
  std::string reason;  // when it does not: which parameter, and why
};

DistributionCheck check_network_distribution(const Model& model, const Blocking& blocking,
                                             bool include_diagonal, bool has_self_links);

// The same check from what a sampler is given: the blocks of the network's nodes (null without
// blocking) and the network itself, whose self-links it looks for.
DistributionCheck check_network_distribution(const Model& model, const DyadBlocks* blocks,
                                             bool include_diagonal, const Network& network);

}  // namespace tarn
