#pragma once
// The nodes of a two-mode edge list named by labels (--two-mode): senders name nodes of the first
// mode, receivers nodes of the second, each mode with its own labels, so that "A" as a sender and
// "A" as a receiver are two nodes. Ids 1, 2, ... are given in order of first appearance, both
// modes together; the nodes are numbered at the end, the first mode first (1..N1, in order of
// first appearance), then the second.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "network/node_labels.h"

namespace tarn {

// The nodes of the ids once the modes are known.
struct TwoModeNumbering {
  int node_count = 0;
  int first_mode = 0;           // N1: nodes 1..N1 are the first mode
  std::vector<int> node_of_id;  // id k at k - 1; a dropped id maps to node 1
  NodeLabels labels;            // first mode's labels, then the second's (a label may repeat)
};

class TwoModeNames {
 public:
  explicit TwoModeNames(int limit) : limit_(limit) {}

  // The id of `label` in mode 0 (senders, the first) or 1 (receivers, the second); 0 when it
  // would be node limit + 1.
  int id_of(std::string_view label, int mode);
  int id_count() const { return static_cast<int>(mode_of_id_.size()); }
  std::string name_of_id(int id) const;
  // The nodes without ids 1..dropped (a header read as a first row).
  TwoModeNumbering numbering(int dropped) const;

 private:
  int limit_;
  NodeLabels labels_[2];
  std::vector<std::int8_t> mode_of_id_;
  std::vector<int> index_of_id_;     // the id's node within its mode's labels (1-based)
  std::vector<int> id_of_index_[2];  // by mode: the id of label k at k - 1
};

}  // namespace tarn
