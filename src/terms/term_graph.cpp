#include "terms/term_graph.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace tarn {

namespace {

void remove_one(std::vector<int>& list, int value) {
  const auto at = std::find(list.begin(), list.end(), value);
  *at = list.back();
  list.pop_back();
}

// A sorted list: `value` leaves it when present, joins it in its place when absent.
void flip_sorted(std::vector<int>& list, int value) {
  const auto at = std::lower_bound(list.begin(), list.end(), value);
  if (at != list.end() && *at == value) {
    list.erase(at);
  } else {
    list.insert(at, value);
  }
}

std::vector<std::uint16_t> table_if(bool kept, int n, bool dense) {
  return kept && dense
             ? std::vector<std::uint16_t>(static_cast<std::size_t>(n) * static_cast<std::size_t>(n))
             : std::vector<std::uint16_t>();
}

bool is_dense(GraphStorage storage, int n) {
  return storage == GraphStorage::dense ||
         (storage == GraphStorage::automatic && n <= dense_graph_nodes);
}

}  // namespace

void PairCounts::add(int a, int b, int change) {
  if (change == 0) return;
  if (2 * (size_ + 1) > entries_.size()) grow();
  const std::uint64_t key = key_of(a, b);
  std::size_t at = slot(key);
  while (entries_[at].key() != 0 && entries_[at].key() != key) at = (at + 1) & mask_;
  Entry& entry = entries_[at];
  if (entry.key() == 0) {
    entry.high = static_cast<std::uint32_t>(key >> 32);
    entry.low = static_cast<std::uint32_t>(key);
    entry.value = change;
    ++size_;
    return;
  }
  entry.value += change;
  if (entry.value == 0) erase_at(at);
}

void PairCounts::grow() {
  std::vector<Entry> entries = std::move(entries_);
  const std::size_t capacity = entries.empty() ? 64 : 2 * entries.size();
  entries_.assign(capacity, Entry{});
  mask_ = capacity - 1;
  shift_ = 64 - std::countr_zero(capacity);
  for (const Entry& entry : entries) {
    if (entry.key() == 0) continue;
    std::size_t at = slot(entry.key());
    while (entries_[at].key() != 0) at = (at + 1) & mask_;
    entries_[at] = entry;
  }
}

// Empties slot `at` and moves back the entries after it that their probe may no longer reach.
void PairCounts::erase_at(std::size_t at) {
  std::size_t hole = at;
  for (std::size_t next = (at + 1) & mask_; entries_[next].key() != 0; next = (next + 1) & mask_) {
    const std::size_t home = slot(entries_[next].key());
    // The entry at `next` stays when its home lies cyclically in (hole, next].
    const bool stays = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (stays) continue;
    entries_[hole] = entries_[next];
    hole = next;
  }
  entries_[hole] = Entry{};
  --size_;
}

TermGraph::TermGraph(int node_count, bool directed, PartnerTables kept, GraphStorage storage)
    : n_(node_count),
      directed_(directed),
      dense_(is_dense(storage, node_count)),
      kept_(kept),
      words_(dense_ ? (node_count + 63) / 64 : std::numeric_limits<int>::max()),
      bits_(dense_ ? static_cast<std::size_t>(node_count) * static_cast<std::size_t>(words_) : 0,
            0),
      in_bits_(directed ? bits_.size() : 0, 0),
      out_(static_cast<std::size_t>(node_count) + 1),
      in_(directed ? static_cast<std::size_t>(node_count) + 1 : 0),
      mutual_(static_cast<std::size_t>(node_count) + 1, 0),
      two_paths_(table_if(kept.two_paths, node_count, dense_)),
      shared_receivers_(table_if(directed && kept.shared_receivers, node_count, dense_)),
      shared_senders_(table_if(directed && kept.shared_senders, node_count, dense_)),
      mutual_two_paths_(table_if(directed && kept.mutual_two_paths, node_count, dense_)),
      sorted_(dense_ ? 0 : static_cast<std::size_t>(node_count) + 1) {
  if (!directed) kept_.shared_receivers = kept_.shared_senders = kept_.mutual_two_paths = false;
}

TermGraph::TermGraph(const Network& network, bool directed, PartnerTables kept,
                     GraphStorage storage)
    : TermGraph(network.node_count, directed, kept, storage) {
  bipartite_ = network.bipartite;
  for (int a = 1; a <= n_; ++a) {
    for (node_id e : network.out_list(a)) {
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
  if (!dense_) {
    flip_sorted(sorted_[static_cast<std::size_t>(a)], b);
    if (directed_) flip_sorted(in_[static_cast<std::size_t>(b)], a);
    return;
  }
  const std::size_t bit = bit_index(a, b);
  bits_[bit >> 6] ^= std::uint64_t{1} << (bit & 63);
  if (directed_) {
    const std::size_t back = bit_index(b, a);
    in_bits_[back >> 6] ^= std::uint64_t{1} << (back & 63);
  }
}

void TermGraph::add_one(std::vector<std::uint16_t>& table, PairCounts& map, int a, int b,
                        int change) {
  if (!dense_) {
    map.add(a, b, change);
    return;
  }
  table[index(a, b)] = static_cast<std::uint16_t>(table[index(a, b)] + change);
}

void TermGraph::add_symmetric(std::vector<std::uint16_t>& table, PairCounts& map, int a, int b,
                              int change) {
  add_one(table, map, a, b, change);
  add_one(table, map, b, a, change);
}

// The shared-partner counts that the link a->b (edge {a, b}) adds to or takes from, walked while
// a->b is not in the lists: `change` is +1 before it is added, -1 after it is removed.
void TermGraph::update_tables(int a, int b, int change) {
  if (!directed_) {
    if (!kept_.two_paths) return;
    for (const OutEntry& e : out_[static_cast<std::size_t>(b)]) {
      if (e.node != a) add_symmetric(two_paths_, two_paths_map_, a, e.node, change);
    }
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (e.node != b) add_symmetric(two_paths_, two_paths_map_, b, e.node, change);
    }
    return;
  }
  if (kept_.two_paths) {
    // k = b: a->b->y; k = a: x->a->b.
    for (const OutEntry& e : out_[static_cast<std::size_t>(b)]) {
      add_one(two_paths_, two_paths_map_, a, e.node, change);
    }
    for (int x : in_[static_cast<std::size_t>(a)])
      add_one(two_paths_, two_paths_map_, x, b, change);
  }
  if (kept_.shared_receivers) {
    for (int x : in_[static_cast<std::size_t>(b)]) {
      if (x != a) add_symmetric(shared_receivers_, shared_receivers_map_, a, x, change);
    }
  }
  if (kept_.shared_senders) {
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (e.node != b) add_symmetric(shared_senders_, shared_senders_map_, b, e.node, change);
    }
  }
  if (kept_.mutual_two_paths && a != b && has_link(b, a)) {
    // The pair a<->b is made or broken: a gains or loses b's mutual partners, and b a's.
    for (const OutEntry& e : out_[static_cast<std::size_t>(b)]) {
      if (e.node != a && e.node != b && has_link(e.node, b)) {
        add_symmetric(mutual_two_paths_, mutual_two_paths_map_, a, e.node, change);
      }
    }
    for (const OutEntry& e : out_[static_cast<std::size_t>(a)]) {
      if (e.node != b && e.node != a && has_link(e.node, a)) {
        add_symmetric(mutual_two_paths_, mutual_two_paths_map_, b, e.node, change);
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
    if (dense_) remove_one(in_[static_cast<std::size_t>(b)], a);
    update_tables(a, b, change);
  } else {
    update_tables(a, b, change);
    out_[static_cast<std::size_t>(a)].push_back({b, static_cast<int>(all_links_.size())});
    if (dense_) in_[static_cast<std::size_t>(b)].push_back(a);
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
  NetworkBuilder builder("Simulated network", command_line_limits);
  builder.declare_nodes(n_);
  long k = 0;
  for (const auto& [a, b] : links) builder.add_link(a, b, ++k);
  Network network = std::move(builder).finish();
  network.bipartite = bipartite_;
  return network;
}

}  // namespace tarn
