#pragma once
// The links of a file that names its nodes, gathered as they are read: counted against the
// capacities where the message can name the line, then built into the store.

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "network/network.h"

namespace tarn {

// What is wrong with the link sender receiver of a two-mode network whose first mode is nodes
// 1..first_mode, the two in one mode.
std::string within_mode_link(std::int64_t sender, std::int64_t receiver, int first_mode);

class LinkCollector {
 public:
  explicit LinkCollector(std::string file_name, NetworkLimits limits = dialogue_limits);
  // The link sender -> receiver (ids 1..limits.nodes) read on `line`.
  void add(int sender, int receiver, long line);
  // Ids 1..first_mode are the first mode of a two-mode network (ids that are node numbers, as a
  // Pajek file's): a link within a mode is refused from then on, naming its line (0: one mode).
  void set_first_mode(int first_mode) { first_mode_ = first_mode; }
  // Forgets the link added first (a header that was read as a link).
  void drop_first();
  // The store of nodes 1..node_count; the node of id k is node_of_id[k - 1] (the id itself when
  // node_of_id is empty). Sorted stably by sender.
  Network build(int node_count, std::span<const int> node_of_id = {}) &&;

 private:
  std::string file_name_;
  NetworkLimits limits_;
  int first_mode_ = 0;
  std::vector<std::pair<node_id, node_id>> links_;
  std::vector<int> out_count_;
  std::vector<int> in_count_;
};

}  // namespace tarn
