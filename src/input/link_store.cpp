#include "input/link_store.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

#include "input/statistic_range.h"
#include "store/fatal_error.h"

namespace tarn {

namespace {

constexpr int max_int16 = std::numeric_limits<int16>::max();

// Repeated links can push a count past 16 bits; it must never wrap silently.
void count_mutual(Nodes& nodes, int i) {
  if (nodes.mutual_count(i) == max_int16) {
    throw FatalError("Node " + std::to_string(i) +
                     " has more than 32767 reciprocated links (links given repeatedly?).");
  }
  ++nodes.mutual_count(i);
}

}  // namespace

LinkStoreBuilder::LinkStoreBuilder(Records& rec, std::string source)
    : rec_(rec), source_(std::move(source)) {
  for (int i = 1; i <= max_nodes; ++i) {
    rec.nodes.out_degree(i) = 0;
    rec.nodes.in_degree(i) = 0;
  }
  rec.nodes.node_count = 0;
  rec.links.link_count = 0;
}

void LinkStoreBuilder::add_link(long i, long j, long line) {
  auto where = [&] { return source_ + ", line " + std::to_string(line); };
  Nodes& nodes = rec_.nodes;
  Links& links = rec_.links;
  if (links.link_count >= max_links) throw FatalError("Too many links!", 0);
  // Tested before anything is stored, so that no table is written past its end.
  if (i > max_nodes || j > max_nodes) throw FatalError("Too many nodes!", 0);
  if (i < 1 || j < 1) {
    throw FatalError(where() + ": the link " + std::to_string(i) + " -> " + std::to_string(j) +
                     " names a node below 1.");
  }
  if (i < last_source_) {
    throw FatalError(where() + ": links must be sorted by source node, but source " +
                     std::to_string(i) + " follows source " + std::to_string(last_source_) + ".");
  }
  if (nodes.out_degree(static_cast<int>(i)) == max_int16 ||
      nodes.in_degree(static_cast<int>(j)) == max_int16) {
    throw FatalError(where() + ": node " +
                     std::to_string(nodes.out_degree(static_cast<int>(i)) == max_int16 ? i : j) +
                     " has more than 32767 links in one direction.");
  }
  ++links.link_count;
  if (i != last_source_) {
    links.out_start(static_cast<int>(i)) = links.link_count;
    last_source_ = i;
  }
  ++nodes.out_degree(static_cast<int>(i));
  ++nodes.in_degree(static_cast<int>(j));
  links.out_target(links.link_count) = static_cast<int16>(j);
  if (seen_from_[static_cast<std::size_t>(j)] == i) repeated_ = true;
  seen_from_[static_cast<std::size_t>(j)] = static_cast<int16>(i);
  long top = std::max<long>(nodes.node_count, std::max(i, j));
  nodes.node_count = static_cast<int16>(top);
}

void finish_links(Records& rec) {
  for (int i = 1; i <= rec.nodes.node_count; ++i) {
    rec.stats.change_stat(i, 1) = 1;
    rec.nodes.mutual_count(i) = 0;
  }
}

void reciprocity_pass(Records& rec) {
  Nodes& nodes = rec.nodes;
  Links& links = rec.links;
  int n = nodes.node_count;
  for (int i = 1; i <= n; ++i) {
    int first = links.out_start(i);
    for (int k = first; k < first + nodes.out_degree(i); ++k) {
      int j = links.out_target(k);
      if (j < 0) continue;
      int first_j = links.out_start(j);
      for (int m = first_j; m < first_j + nodes.out_degree(j); ++m) {
        if (links.out_target(m) == i) {
          links.out_target(m) = static_cast<int16>(-i);
          links.out_target(k) = static_cast<int16>(-links.out_target(k));
          count_mutual(nodes, i);
          count_mutual(nodes, j);
        }
      }
    }
  }
}

void in_link_pass(Records& rec) {
  Nodes& nodes = rec.nodes;
  Links& links = rec.links;
  int n = nodes.node_count;
  links.in_start(1) = 1;
  for (int i = 1; i < n; ++i) links.in_start(i + 1) = links.in_start(i) + nodes.in_degree(i);
  // Counting pass: sources visited in ascending order, so each target's group comes out in
  // ascending order of source, exactly as a scan of all out-links per target would give.
  std::array<int32, max_nodes + 1> next{};
  for (int i = 1; i <= n; ++i) next[static_cast<std::size_t>(i)] = links.in_start(i);
  for (int s = 1; s <= n; ++s) {
    if (nodes.out_degree(s) == 0) continue;
    int first = links.out_start(s);
    for (int k = first; k < first + nodes.out_degree(s); ++k) {
      int t = std::abs(static_cast<int>(links.out_target(k)));
      links.in_source(next[static_cast<std::size_t>(t)]++) = static_cast<int16>(s);
    }
  }
}

void check_statistic_range(const Records& rec, const std::string& source) {
  const StatisticOverflow found = find_statistic_overflow(rec);
  if (found.type == 0) return;
  throw FatalError(source + ": links given more than once make the change statistic of type " +
                   std::to_string(found.type) + " for the dyad " + std::to_string(found.sender) +
                   " -> " + std::to_string(found.receiver) + " equal to " +
                   std::to_string(found.value) + ", beyond the 16-bit range (" +
                   std::to_string(std::numeric_limits<int16>::min()) + " to " +
                   std::to_string(std::numeric_limits<int16>::max()) +
                   "); give every link once.");
}

void build_link_store(Records& rec, std::span<const std::pair<int, int>> links) {
  LinkStoreBuilder builder(rec, "Link list");
  long record = 0;
  for (const auto& [i, j] : links) builder.add_link(i, j, ++record);
  finish_links(rec);
  reciprocity_pass(rec);
  in_link_pass(rec);
  if (builder.has_repeated_links()) check_statistic_range(rec, "Link list");
}

}  // namespace tarn
