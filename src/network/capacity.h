#pragma once
// The fixed capacities of the system; every table of the store is sized by them.

#include <algorithm>
#include <cstdint>

namespace tarn {

// Parameters of the dialogue's models, and columns of the fused kernel's statistics table.
inline constexpr int max_params = 64;
inline constexpr int max_nodes = 2000;
inline constexpr int max_links = 500000;
inline constexpr int max_attrs = 8;
inline constexpr int max_blocks = 16;
inline constexpr int max_block_types = 16;
inline constexpr int max_groups = 15;
// Statistics of a model on the command line: the fits hold square matrices of them and invert
// them in time of the cube of their number.
inline constexpr int max_model_statistics = 1024;
inline constexpr int name_length = 24;

// How large a network a reader takes: its nodes, its links, and the links of one node in one
// direction. The dialogue's are the capacities above, with its messages at them; the command line
// reads as many as its 32-bit node numbers and link indexes hold, short of memory.
struct NetworkLimits {
  int nodes = 0;
  std::int64_t links = 0;
  int degree = 0;
};
inline constexpr NetworkLimits dialogue_limits{max_nodes, max_links, 32767};
inline constexpr NetworkLimits command_line_limits{100000000, 2000000000, 2000000000};
inline constexpr int format_length = 80;

// The most links a simulated network may hold before its chain is stopped (a model that runs
// its networks towards the complete one would otherwise take every dyad's memory). Networks of
// up to max_nodes nodes keep the dialogue's max_links, so their chains stop where they always
// did; a larger network may grow to four times its own links (plus one per node, for a start with
// few links), never below max_links nor above its dyads: the memory of a chain grows with the
// nodes and links, and a draw of more than four times the observed links lies far from the
// network the model is asked to describe (it is reported with its figures, not hidden).
inline std::int64_t chain_link_capacity(int nodes, std::int64_t links, std::int64_t dyads) {
  if (nodes <= max_nodes) return max_links;
  return std::max<std::int64_t>(max_links, std::min(dyads, 4 * links + nodes));
}

}  // namespace tarn
