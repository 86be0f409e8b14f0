#include "terms/term_graph.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace tarn {

namespace {

void remove_one(std::vector<int>& list, int value) {
  const auto at = std::find(list.begin(), list.end(), value);
  *at = list.back();
  list.pop_back();
}

std::vector<std::uint16_t> table_if(bool kept, int n) {
  return kept
             ? std::vector<std::uint16_t>(static_cast<std::size_t>(n) * static_cast<std::size_t>(n))
             : std::vector<std::uint16_t>();
}

}  // namespace

TermGraph::TermGraph(int node_count, bool directed, PartnerTables kept)
    : n_(node_count),
      directed_(directed),
      kept_(kept),
      words_((node_count + 63) / 64),
      bits_(static_cast<std::size_t>(node_count) * static_cast<std::size_t>(words_), 0),
      in_bits_(directed ? bits_.size() : 0, 0),
      out_(static_cast<std::size_t>(node_count) + 1),
      in_(directed ? static_cast<std::size_t>(node_count) + 1 : 0),
      mutual_(static_cast<std::size_t>(node_count) + 1, 0),
      two_paths_(table_if(kept.two_paths, node_count)),
      shared_receivers_(table_if(directed && kept.shared_receivers, node_count)),
      shared_senders_(table_if(directed && kept.shared_senders, node_count)),
      mutual_two_paths_(table_if(directed && kept.mutual_two_paths, node_count)) {
  if (!directed) kept_.shared_receivers = kept_.shared_senders = kept_.mutual_two_paths = false;
}

TermGraph::TermGraph(const Network& network, bool directed, PartnerTables kept)
    : TermGraph(network.node_count, directed, kept) {
  for (int a = 1; a <= n_; ++a) {
    for (int16 e : network.out_list(a)) {
      const int b = std::abs(static_cast<int>(e));
      if (!directed && (a == b || has_link(a, b))) {
        throw std::invalid_argument("an undirected graph has no self-links and each edge once");
      }
      toggle(a, b);
    }
  }
}

TermGraph::OutEntry& TermGraph::out_entry(int a, int b) {
  auto& list = out_[static_cast<std::size_t>(a)];
  return *std::find_if(list.begin(), list.end(), [b](const OutEntry& e) { return e.node == b; });
}

void TermGraph::flip_bit(int a, int b) {
  const std::size_t bit = bit_index(a, b);
  bits_[bit >> 6] ^= std::uint64_t{1} << (bit & 63);
  if (directed_) {
    const std::size_t back = bit_index(b, a);
    in_bits_[back >> 6] ^= std::uint64_t{1} << (back & 63);
  }
}

void TermGraph::add_symmetric(std::vector<std::uint16_t>& table, int a, int b, int change) {
  table[index(a, b)] = static_cast<std::uint16_t>(table[index(a, b)] + change);
  table[index(b, a)] = static_cast<std::uint16_t>(table[index(b, a)] + change);
}

// The shared-partner counts that the link a->b (edge {a, b}) adds to or takes from, walked while
// a->b is not in the lists: `change` is +1 before it is added, -1 after it is removed.
void TermGraph::update_tables(int a, int b, int change) {
  if (!directed_) {
    if (!kept_.two_paths) return;
    for (const OutEntry& e : out_[static_cast<std::size_t>(b)]) {
      if (e.node != a) add_symmetric(two_paths_, a, e.node, change);
    }
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (e.node != b) add_symmetric(two_paths_, b, e.node, change);
    }
    return;
  }
  if (kept_.two_paths) {
    // k = b: a->b->y; k = a: x->a->b.
    for (const OutEntry& e : out_[static_cast<std::size_t>(b)]) {
      two_paths_[index(a, e.node)] =
          static_cast<std::uint16_t>(two_paths_[index(a, e.node)] + change);
    }
    for (int x : in_[static_cast<std::size_t>(a)]) {
      two_paths_[index(x, b)] = static_cast<std::uint16_t>(two_paths_[index(x, b)] + change);
    }
  }
  if (kept_.shared_receivers) {
    for (int x : in_[static_cast<std::size_t>(b)]) {
      if (x != a) add_symmetric(shared_receivers_, a, x, change);
    }
  }
  if (kept_.shared_senders) {
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (e.node != b) add_symmetric(shared_senders_, b, e.node, change);
    }
  }
  if (kept_.mutual_two_paths && a != b && has_link(b, a)) {
    // The pair a<->b is made or broken: a gains or loses b's mutual partners, and b a's.
    for (const OutEntry& e : out_[static_cast<std::size_t>(b)]) {
      if (e.node != a && e.node != b && has_link(e.node, b)) {
        add_symmetric(mutual_two_paths_, a, e.node, change);
      }
    }
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (e.node != b && e.node != a && has_link(e.node, a)) {
        add_symmetric(mutual_two_paths_, b, e.node, change);
      }
    }
  }
}

void TermGraph::remove_link_entry(int a, int b) {
  OutEntry& entry = out_entry(a, b);
  const auto place = static_cast<std::size_t>(entry.link_index);
  auto& out = out_[static_cast<std::size_t>(a)];
  entry = out.back();
  out.pop_back();
  if (!directed_) {
    auto& other = out_[static_cast<std::size_t>(b)];
    OutEntry& back_entry = out_entry(b, a);
    back_entry = other.back();
    other.pop_back();
  }
  // The last link of the list takes the freed place.
  const auto moved = all_links_.back();
  all_links_.pop_back();
  if (place < all_links_.size()) {
    all_links_[place] = moved;
    out_entry(moved.first, moved.second).link_index = static_cast<int>(place);
    if (!directed_) out_entry(moved.second, moved.first).link_index = static_cast<int>(place);
  }
}

void TermGraph::toggle(int a, int b) {
  const bool present = has_link(a, b);
  const int change = present ? -1 : 1;
  if (!directed_) {
    if (a > b) std::swap(a, b);
    if (present) {
      flip_bit(a, b);
      flip_bit(b, a);
      remove_link_entry(a, b);
      update_tables(a, b, change);
    } else {
      update_tables(a, b, change);
      const int place = static_cast<int>(all_links_.size());
      out_[static_cast<std::size_t>(a)].push_back({b, place});
      out_[static_cast<std::size_t>(b)].push_back({a, place});
      all_links_.emplace_back(a, b);
      flip_bit(a, b);
      flip_bit(b, a);
    }
    return;
  }
  if (present) {
    flip_bit(a, b);
    remove_link_entry(a, b);
    remove_one(in_[static_cast<std::size_t>(b)], a);
    update_tables(a, b, change);
  } else {
    update_tables(a, b, change);
    out_[static_cast<std::size_t>(a)].push_back({b, static_cast<int>(all_links_.size())});
    in_[static_cast<std::size_t>(b)].push_back(a);
    all_links_.emplace_back(a, b);
    flip_bit(a, b);
  }
  if (a == b) {
    mutual_[static_cast<std::size_t>(a)] += 2 * change;
  } else if (has_link(b, a)) {
    mutual_[static_cast<std::size_t>(a)] += change;
    mutual_[static_cast<std::size_t>(b)] += change;
  }
}

std::vector<std::pair<int, int>> TermGraph::link_list() const {
  std::vector<std::pair<int, int>> links;
  links.reserve(all_links_.size());
  for (int a = 1; a <= n_; ++a) {
    std::vector<int> receivers;
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (directed_ || e.node > a) receivers.push_back(e.node);
    }
    std::sort(receivers.begin(), receivers.end());
    for (int b : receivers) links.emplace_back(a, b);
  }
  return links;
}

Network TermGraph::to_network() const {
  const std::vector<std::pair<int, int>> links = link_list();
  NetworkBuilder builder("Simulated network");
  builder.declare_nodes(n_);
  long k = 0;
  for (const auto& [a, b] : links) builder.add_link(a, b, ++k);
  return std::move(builder).finish();
}

}  // namespace tarn
