#include "network/network.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "network/fatal_error.h"

namespace tarn {

int Network::self_link_count() const {
  int count = 0;
  for (int a = 1; a <= node_count; ++a) {
    for (node_id e : out_list(a)) count += e == a || e == -a ? 1 : 0;
  }
  return count;
}

namespace {

std::size_t at(int node) {
  return static_cast<std::size_t>(node - 1);
}

// Repeated links can push a count past the limit (16 bits for the dialogue); it must never wrap
// silently.
void count_mutual(Network& net, int i, const std::string& source, const std::string& file,
                  int limit) {
  if (net.mutual_count[at(i)] == limit) {
    throw FatalError(source + ": node " + std::to_string(i) + " has more than " +
                         std::to_string(limit) + " reciprocated links (links given repeatedly?).",
                     {file});
  }
  ++net.mutual_count[at(i)];
}

}  // namespace

NetworkBuilder::NetworkBuilder(std::string source, NetworkLimits limits)
    : NetworkBuilder(std::move(source), limits, std::string()) {}

NetworkBuilder::NetworkBuilder(std::string source, NetworkLimits limits, std::string file)
    : source_(std::move(source)), file_(std::move(file)), limits_(limits) {
  // The dialogue's tables are made at their capacity at once, as they always were.
  if (limits.nodes <= max_nodes) hold_node(limits.nodes);
}

void NetworkBuilder::hold_node(int node) {
  if (static_cast<std::size_t>(node) < seen_from_.size()) return;
  // Grown by half again at least, so that nodes met in ascending order cost linear time.
  const auto rows = static_cast<std::size_t>(
      padded_rows(std::max(node, static_cast<int>(std::min<std::int64_t>(
                                     limits_.nodes, std::int64_t(seen_from_.size()) * 3 / 2)))));
  seen_from_.resize(rows + 1, 0);
  net_.out_degree.resize(rows, 0);
  net_.in_degree.resize(rows, 0);
  net_.out_first.resize(rows, 0);
}

void NetworkBuilder::declare_nodes(int n) {
  if (n > limits_.nodes) throw CapacityPassed("Too many nodes!");
  hold_node(n);
  net_.node_count = std::max(net_.node_count, n);
}

void NetworkBuilder::add_link(long i, long j, long line) {
  auto where = [&] { return line > 0 ? source_ + ", line " + std::to_string(line) : source_; };
  Network& net = net_;
  if (net.link_count >= limits_.links) throw CapacityPassed("Too many links!");
  // Tested before anything is stored, so that no table is written past its end.
  if (i > limits_.nodes || j > limits_.nodes) throw CapacityPassed("Too many nodes!");
  if (i < 1 || j < 1) {
    throw FatalError(where() + ": the link " + std::to_string(i) + " -> " + std::to_string(j) +
                         " names a node below 1.",
                     {file_, line});
  }
  if (i < last_source_) {
    throw FatalError(where() + ": links must be sorted by source node, but source " +
                         std::to_string(i) + " follows source " + std::to_string(last_source_) +
                         ".",
                     {file_, line});
  }
  const int sender = static_cast<int>(i);
  const int receiver = static_cast<int>(j);
  hold_node(std::max(sender, receiver));
  const int limit = limits_.degree;
  if (net.out_degree[at(sender)] == limit || net.in_degree[at(receiver)] == limit) {
    throw FatalError(where() + ": node " +
                         std::to_string(net.out_degree[at(sender)] == limit ? i : j) +
                         " has more than " + std::to_string(limit) + " links in one direction.",
                     {file_, line});
  }
  if (i != last_source_) {
    net.out_first[at(sender)] = net.link_count;
    last_source_ = i;
  }
  ++net.link_count;
  ++net.out_degree[at(sender)];
  ++net.in_degree[at(receiver)];
  net.out_target.push_back(receiver);
  if (seen_from_[static_cast<std::size_t>(receiver)] == sender) net.has_repeated_links = true;
  seen_from_[static_cast<std::size_t>(receiver)] = sender;
  net.node_count = std::max(net.node_count, std::max(sender, receiver));
}

void NetworkBuilder::finish_links() {
  Network& net = net_;
  const auto rows = static_cast<std::size_t>(padded_rows(net.node_count));
  net.out_degree.resize(rows);
  net.in_degree.resize(rows);
  net.out_first.resize(rows);
  net.mutual_count.assign(rows, 0);
  seen_from_ = {};
}

void NetworkBuilder::mark_reciprocated() {
  Network& net = net_;
  const int n = net.node_count;
  for (int i = 1; i <= n; ++i) {
    const int first = net.out_first[at(i)];
    for (int k = first; k < first + net.out(i); ++k) {
      const int j = net.out_target[static_cast<std::size_t>(k)];
      if (j < 0) continue;
      const int first_j = net.out_first[at(j)];
      for (int m = first_j; m < first_j + net.out(j); ++m) {
        if (net.out_target[static_cast<std::size_t>(m)] == i) {
          net.out_target[static_cast<std::size_t>(m)] = -i;
          node_id& entry = net.out_target[static_cast<std::size_t>(k)];
          entry = -entry;
          count_mutual(net, i, source_, file_, limits_.degree);
          count_mutual(net, j, source_, file_, limits_.degree);
        }
      }
    }
  }
}

Network NetworkBuilder::group_by_receiver() && {
  Network& net = net_;
  const int n = net.node_count;
  net.in_first.assign(net.out_first.size(), 0);
  for (int i = 1; i < n; ++i) net.in_first[at(i + 1)] = net.in_first[at(i)] + net.in(i);
  // Counting pass: senders visited in ascending order, so each receiver's group comes out in
  // ascending order of sender, exactly as a scan of all out-links per receiver would give.
  net.in_source.assign(static_cast<std::size_t>(net.link_count), 0);
  std::vector<int32> next(net.in_first.begin(), net.in_first.end());
  for (int s = 1; s <= n; ++s) {
    for (node_id entry : net.out_list(s)) {
      const int t = std::abs(static_cast<int>(entry));
      net.in_source[static_cast<std::size_t>(next[at(t)]++)] = s;
    }
  }
  return std::move(net);
}

Network NetworkBuilder::finish() && {
  finish_links();
  mark_reciprocated();
  return std::move(*this).group_by_receiver();
}

Network build_network(std::span<const std::pair<int, int>> links, const std::string& source,
                      NetworkLimits limits) {
  NetworkBuilder builder(source, limits);
  long record = 0;
  for (const auto& [i, j] : links) builder.add_link(i, j, ++record);
  return std::move(builder).finish();
}

}  // namespace tarn
