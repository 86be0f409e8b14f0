#pragma once
// The observed network: nodes 1..n and the link store, each link held twice (grouped by sender
// and by receiver), with reciprocated links marked. Built once from the links in file order and
// not changed afterwards.

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "network/capacity.h"

namespace tarn {

using int16 = std::int16_t;
using int32 = std::int32_t;
// A node number as the link store keeps it (negative: a reciprocated link, see out_target).
using node_id = std::int32_t;

// Rows of per-node tables: n rounded up to a multiple of eight, and eight more, so that the
// statistics can read and write eight rows at a time past node n.
inline int padded_rows(int n) {
  return (n + 7) / 8 * 8 + 8;
}

struct Network {
  int node_count = 0;  // n: the highest node number met in a link
  int link_count = 0;
  // Per node a = 1..n at index a - 1; zero past n (padded_rows entries).
  std::vector<int32> out_degree;
  std::vector<int32> in_degree;
  std::vector<int32> mutual_count;  // reciprocated pairs found by the reciprocity pass
  std::vector<int32> out_first;     // index in out_target of a's first out-link
  std::vector<int32> in_first;      // index in in_source of a's first in-link
  // The links grouped by sender, file order within a sender; a negative entry marks a link
  // that the reciprocity pass found reciprocated.
  std::vector<node_id> out_target;
  // The links grouped by receiver, senders ascending; always positive.
  std::vector<node_id> in_source;
  bool has_repeated_links = false;  // some link was given more than once
  // A two-mode network: nodes 1..bipartite are the first mode, the rest the second, and links
  // join the modes only (undirected). 0: one mode.
  int bipartite = 0;

  std::span<const node_id> out_list(int a) const {
    return {out_target.data() + out_first[static_cast<std::size_t>(a - 1)],
            static_cast<std::size_t>(out_degree[static_cast<std::size_t>(a - 1)])};
  }
  std::span<const node_id> in_list(int a) const {
    return {in_source.data() + in_first[static_cast<std::size_t>(a - 1)],
            static_cast<std::size_t>(in_degree[static_cast<std::size_t>(a - 1)])};
  }
  int out(int a) const { return out_degree[static_cast<std::size_t>(a - 1)]; }
  int in(int a) const { return in_degree[static_cast<std::size_t>(a - 1)]; }
  int mutual(int a) const { return mutual_count[static_cast<std::size_t>(a - 1)]; }
  // The links i->i, each copy counted.
  int self_link_count() const;
};

// Takes the links of one network in file order (sorted by sender) and builds the store.
class NetworkBuilder {
 public:
  // `source` names the file in messages, for example: Network file "net.dat". `limits`: the
  // dialogue's capacities unless a reader of the command line gives its own.
  explicit NetworkBuilder(std::string source, NetworkLimits limits = dialogue_limits);
  // The same, with the name of the file read (which the errors carry beside their message).
  NetworkBuilder(std::string source, NetworkLimits limits, std::string file);

  // Makes nodes 1..n nodes of the network even if no link names the last of them (a Pajek file
  // declares its vertices); n within 1..limits.nodes.
  void declare_nodes(int n);

  // Stores one link i->j read from line `line` (0: the messages name no line). Ends the run with
  // "Too many links!" or "Too many nodes!" at the limits, and with a message for a node below 1,
  // a sender out of ascending order, or a degree past limits.degree (32767 for the dialogue).
  void add_link(long i, long j, long line = 0);

  // The store once every link is in: degrees, reciprocity marks and the in-lists. A node with
  // more reciprocated links than limits.degree (links given repeatedly) ends the run naming the
  // source.
  Network finish() &&;
  // The two passes of finish(), for readers that show their progress between them.
  void finish_links();
  void mark_reciprocated();
  Network group_by_receiver() &&;

 private:
  // Makes the per-node tables hold node `node` (they grow with the nodes met).
  void hold_node(int node);

  std::string source_;
  std::string file_;  // empty: not known
  NetworkLimits limits_;
  long last_source_ = 0;
  std::vector<int32> seen_from_;  // seen_from_[j]: the last sender with a link to j
  Network net_;
};

// The store of a list of links given in file order (for tools and tests).
Network build_network(std::span<const std::pair<int, int>> links,
                      const std::string& source = "Link list",
                      NetworkLimits limits = dialogue_limits);

}  // namespace tarn
