#include "network/link_collector.h"

#include <algorithm>
#include <cstdint>

#include "network/capacity.h"
#include "network/delimited_text.h"
#include "network/fatal_error.h"

namespace tarn {

std::string within_mode_link(std::int64_t sender, std::int64_t receiver, int first_mode) {
  return "the link " + std::to_string(sender) + " " + std::to_string(receiver) +
         " joins two nodes of the " +
         (sender <= first_mode ? "first mode (1.." + std::to_string(first_mode)
                               : "second mode (from " + std::to_string(first_mode + 1)) +
         "); a two-mode network links a node of each mode";
}

LinkCollector::LinkCollector(std::string file_name, NetworkLimits limits)
    : file_name_(std::move(file_name)), limits_(limits) {
  if (limits.nodes <= max_nodes) {
    out_count_.assign(static_cast<std::size_t>(limits.nodes) + 1, 0);
    in_count_.assign(static_cast<std::size_t>(limits.nodes) + 1, 0);
  }
}

void LinkCollector::add(int sender, int receiver, long line) {
  if (static_cast<std::int64_t>(links_.size()) >= limits_.links) {
    throw capacity_passed({file_name_, line}, "Too many links! The file holds more than " +
                                                  std::to_string(limits_.links) + ".");
  }
  if (first_mode_ > 0 && (sender <= first_mode_) == (receiver <= first_mode_)) {
    throw input_error({file_name_, line}, within_mode_link(sender, receiver, first_mode_) + ".");
  }
  const auto largest = static_cast<std::size_t>(std::max(sender, receiver));
  if (largest >= out_count_.size()) {
    const std::size_t size = std::max(largest + 1, out_count_.size() * 3 / 2);
    out_count_.resize(size, 0);
    in_count_.resize(size, 0);
  }
  int& out = out_count_[static_cast<std::size_t>(sender)];
  int& in = in_count_[static_cast<std::size_t>(receiver)];
  const int limit = limits_.degree;
  if (out == limit || in == limit) {
    throw input_error({file_name_, line}, std::string("the ") +
                                              (out == limit ? "sender" : "receiver") +
                                              " has more than " + std::to_string(limit) +
                                              " links in one direction (links given repeatedly?).");
  }
  ++out;
  ++in;
  links_.emplace_back(sender, receiver);
}

void LinkCollector::drop_first() {
  if (links_.empty()) return;
  --out_count_[static_cast<std::size_t>(links_.front().first)];
  --in_count_[static_cast<std::size_t>(links_.front().second)];
  links_.erase(links_.begin());
}

Network LinkCollector::build(int node_count, std::span<const int> node_of_id) && {
  const auto node = [&](int id) {
    return node_of_id.empty() ? id : node_of_id[static_cast<std::size_t>(id - 1)];
  };
  // A counting sort by sender keeps the file order within a sender.
  std::vector<std::size_t> next(static_cast<std::size_t>(node_count) + 2, 0);
  for (const auto& link : links_) ++next[static_cast<std::size_t>(node(link.first)) + 1];
  for (std::size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
  std::vector<std::pair<node_id, node_id>> sorted(links_.size());
  for (const auto& link : links_) {
    const int sender = node(link.first);
    sorted[next[static_cast<std::size_t>(sender)]++] = {sender, node(link.second)};
  }
  links_ = {};
  out_count_ = {};
  in_count_ = {};
  // The links were checked against the capacities as they were read, where the line is known;
  // what the builder can still refuse (reciprocated links past 16 bits) names no line.
  NetworkBuilder builder("Input error in \"" + file_name_ + "\"", limits_, file_name_);
  builder.declare_nodes(node_count);
  for (const auto& [sender, receiver] : sorted) builder.add_link(sender, receiver);
  return std::move(builder).finish();
}

}  // namespace tarn
