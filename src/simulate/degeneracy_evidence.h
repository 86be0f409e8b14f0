#pragma once
// What the link counts of networks drawn at some coefficients say about the model there: a model
// is degenerate where its networks pile up at or near the empty or the complete network, or split
// into two modes, instead of spreading about networks like the observed one (Handcock 2003). The
// evidence is the draws themselves, with their figures, never a band that stops a chain.

#include <cstdint>
#include <vector>

#include "network/warning.h"

namespace tarn {

struct DrawEvidence {
  int networks = 0;
  std::int64_t observed_links = 0, dyads = 0;
  double mean_links = 0.0, sd_links = 0.0;
  std::int64_t least_links = 0, most_links = 0;
  // Shares of the draws nearer the empty network than the observed one (fewer than half its
  // links), and nearer the complete network than the observed one.
  double share_near_empty = 0.0, share_near_full = 0.0;
  // Two modes: more than half of the draws nearer the empty or the complete network than the
  // observed one, some at each end (the modes are the means at each end); or a mixture of two
  // normal distributions fitted to the link counts (by EM, from the
  // split that leaves the least spread within two groups) describes them better than one normal
  // distribution (BIC), each part holds at least a hundredth of the draws, the parts lie well
  // apart (Ashman's D at least 3 + 20 / sqrt(draws): a small sample splits apart by chance), and
  // the mixture's density falls between the two means below half its lower peak: a valley, not a
  // skewed or heavy-tailed single mode. At least 20 draws.
  bool two_modes = false;
  double lower_mode_links = 0.0, upper_mode_links = 0.0, lower_mode_share = 0.0;

  // The median draw nearer the empty (complete) network than the observed one.
  bool piled_near_empty() const { return share_near_empty > 0.5; }
  bool piled_near_full() const { return share_near_full > 0.5; }
  bool degenerate() const { return piled_near_empty() || piled_near_full() || two_modes; }
  // The observed link count outside every draw's.
  bool observed_outside() const {
    return networks > 0 && (observed_links < least_links || observed_links > most_links);
  }
  // "pile_near_empty", "pile_near_full", "two_modes" or "" (in that order of precedence).
  const char* kind() const;
};

// A chain started away from the observed network at the same coefficients: a model whose
// networks drawn from the observed network stay near it may still have a second mode that those
// chains never leave for (a gw degree model whose first link of a node is all but forbidden: the
// empty network; a triad model whose denser networks only grow: the complete one). A chain
// started at the empty network, or at a denser one (the observed links and random others),
// shows such a mode when it stays there: in the second half of its draws every network nearer
// the empty (complete) network than the observed one, and no longer moving towards the observed
// link count (the last quarter's mean within a twentieth of the observed count of the quarter
// before's). A chain still on its way is no evidence.
struct ModeProbe {
  bool from_empty = true;
  std::int64_t start_links = 0;
  int networks = 0;
  std::int64_t observed_links = 0, dyads = 0;
  double late_mean_links = 0.0;  // over the second half of its draws
  std::int64_t late_least_links = 0, late_most_links = 0;
  bool moving = false;
  // The chain filled the link store (and was stopped): it ran away from the observed network.
  bool filled = false;
  bool second_mode() const;
};

// `links`: the link counts of one chain's draws, in order.
ModeProbe mode_probe(const std::vector<std::int64_t>& links, bool from_empty,
                     std::int64_t start_links, std::int64_t observed_links, std::int64_t dyads);

// `links[k]`: the link count of draw k; at least one draw.
DrawEvidence draw_evidence(const std::vector<std::int64_t>& links, std::int64_t observed_links,
                           std::int64_t dyads);

// The evidence's figures under `code`, for the front ends to word.
Warning evidence_warning(const char* code, const DrawEvidence& evidence);

}  // namespace tarn
