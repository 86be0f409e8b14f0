#pragma once
// Networks to start chains from away from the observed one, for the probes of a second mode
// (degeneracy_evidence.h): the empty network, and a denser one.

#include <cstdint>

#include "simulate/random_stream.h"
#include "terms/term_graph.h"

namespace tarn {

// The empty network on the same nodes, keeping the same partner tables.
TermGraph empty_like(const TermGraph& observed);

// The observed links and others drawn uniformly among the absent dyads (no self-pairs) until the
// network has `links` links (at most every dyad).
TermGraph denser_than(const TermGraph& observed, std::int64_t links, RandomStream& random);

// The link count the denser start is given: every dyad on networks of up to 65,536 dyads (a
// second mode near the complete network is found from there, where a start between the modes
// may fall either way); beyond, twice the observed (a complete network of that size would cost
// more to walk down than the fit), at most halfway from the observed count to every dyad, at
// least one more than observed (when there is room).
std::int64_t dense_start_links(std::int64_t observed_links, std::int64_t dyads);

}  // namespace tarn
