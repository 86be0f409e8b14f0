#pragma once
// The statistics table of one sender: for every receiver j, the tie indicator of the dyad
// (i, j) and the change statistic of every column the model needs (the switched-on type columns
// 1..16 and the block-parameter columns 17..64). A fit computes it sender after sender, in every
// pass; nothing is stored per dyad.
//
// This is the fast kernel: the neighbour scans of types 6, 7 and 11 to 15 are fused into one set
// of counters, and rows are done eight at a time. Its values equal the readable definitions of
// change_statistics.h for every dyad, in the columns' 16-bit arithmetic (the network reader
// refuses a network whose statistics do not fit 16 bits, see statistic_range.h).

#include <cstdint>
#include <vector>

#include "model/blocking.h"
#include "model/kernel_layout.h"
#include "network/capacity.h"
#include "network/comparative_network.h"
#include "network/network.h"

namespace tarn {

// What the statistics of a model read: the network and what gives its dyads their statistics.
struct StatisticsSource {
  const Network* network = nullptr;
  const KernelLayout* layout = nullptr;
  const DyadBlocks* blocks = nullptr;               // needed when the model has block parameters
  const ComparativeNetwork* comparative = nullptr;  // needed when it has the covariate (type 16)
};

// The link store of a network of at most max_nodes nodes in 16 bits, as the kernel's lanes read
// it: the entries of Network with the same layout.
struct LinkStore16 {
  explicit LinkStore16(const Network& network);
  std::vector<int16> out_degree, in_degree, mutual_count;  // padded_rows(n) entries
  std::vector<int16> out_target, in_source;
  const Network* network = nullptr;

  const int16* out_list(int a, int& length) const {
    const auto at = static_cast<std::size_t>(a - 1);
    length = out_degree[at];
    return out_target.data() + network->out_first[at];
  }
  const int16* in_list(int a, int& length) const {
    const auto at = static_cast<std::size_t>(a - 1);
    length = in_degree[at];
    return in_source.data() + network->in_first[at];
  }
};

class SenderStatistics {
 public:
  // Throws std::invalid_argument when the model needs blocks or a comparative network that the
  // source does not give, or the network has more than max_nodes nodes.
  explicit SenderStatistics(const StatisticsSource& source);

  // Fills the rows of sender i (1..n).
  void compute(int i);

  int node_count() const { return n_; }
  // Entry j - 1 belongs to receiver j; entries past n are zero or unused. Each row has
  // padded_rows(n) entries, so that it can be read eight entries at a time.
  const int16* tie_row() const { return tie_.data(); }
  const int16* mutual_row() const { return mutual_.data(); }
  const int16* column(int c) const { return table_.data() + column_offset(c); }

 private:
  std::size_t column_offset(int c) const { return static_cast<std::size_t>(c - 1) * stride_; }
  int16* writable_column(int c) { return table_.data() + column_offset(c); }
  bool lists_without_repeats(const int16* own, int own_length, const int16* in, int in_length);
  void neighbour_scans(int i, int16* const* columns);
  template <bool Reciprocated>
  void read_off(const int16* c2, int16* const* columns);
  void split_blocks(int i);

  StatisticsSource source_;
  int n_ = 0;
  LinkStore16 links_;
  std::size_t stride_ = 0;
  std::vector<int16> tie_;
  std::vector<int16> mutual_;
  std::vector<int16> table_;  // columns 1..64
  // The counters of the neighbour scans, one array per kind of scan; entry e (a signed node
  // number) at max_nodes + e. All zero between calls.
  std::vector<std::int16_t> counters_;
  // Marks of the nodes met in the lists of the current sender, to find links given twice.
  std::vector<std::uint32_t> out_mark_;
  std::vector<std::uint32_t> in_mark_;
  std::uint32_t mark_serial_ = 0;
  std::vector<int16> block_kind_;  // block type of every dyad of the current sender
};

}  // namespace tarn
