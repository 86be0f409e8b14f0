#pragma once
// The fixed capacities of the system; every table of the store is sized by them.

#include "numeric/param_matrix.h"

namespace tarn {

inline constexpr int max_nodes = 2000;
inline constexpr int max_links = 500000;
inline constexpr int max_attrs = 8;
inline constexpr int max_blocks = 16;
inline constexpr int max_block_types = 16;
inline constexpr int max_groups = 15;
// Statistics of a model with curved terms (their coefficients stay within max_params).
inline constexpr int max_curved_statistics = 1024;
inline constexpr int name_length = 24;
inline constexpr int format_length = 80;

}  // namespace tarn
