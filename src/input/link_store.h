#pragma once
// Building the link store from the links of a network file, in file order.

#include <array>
#include <span>
#include <string>
#include <utility>

#include "store/records.h"

namespace tarn {

// Takes the links of one network file in file order.
class LinkStoreBuilder {
 public:
  // Clears degrees, node and link counts before the first link. `source` names the file in
  // messages.
  LinkStoreBuilder(Records& rec, std::string source);

  // Stores one link i->j (a record with non-zero value) read from line `line`.
  // Ends the run with "Too many links!" or "Too many nodes!" (status 0) at the capacities, and
  // with a message for a node below 1, a source out of ascending order, or a degree past 32767.
  void add_link(long i, long j, long line);

  // True when some link was given more than once.
  bool has_repeated_links() const { return repeated_; }

 private:
  Records& rec_;
  std::string source_;
  long last_source_ = 0;
  bool repeated_ = false;
  std::array<int16, max_nodes + 1> seen_from_{};  // seen_from_[j]: last source with a link to j
};

// After the last link: column 1 of the statistics table and the mutual counts reset.
void finish_links(Records& rec);
// Marks reciprocated links negative and counts them per node.
void reciprocity_pass(Records& rec);
// Groups the links by target, sources ascending.
void in_link_pass(Records& rec);

// Links given repeatedly can multiply statistics past 16 bits: ends the run, naming `source`
// (the file), the statistic and the dyad, when one of them does not fit. Networks without
// repeated links need no check (see input/statistic_range.h).
void check_statistic_range(const Records& rec, const std::string& source);

// All of the above for a list of links given in file order (for tests and tools).
void build_link_store(Records& rec, std::span<const std::pair<int, int>> links);

}  // namespace tarn
