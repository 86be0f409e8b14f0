#include "terms/term.h"

#include <array>

namespace tarn {

void Term::sender_changes(const TermGraph& g, int i, bool include_diagonal,
                          double* const* rows) const {
  const int n = g.node_count();
  const int count = statistic_count();
  std::vector<double> value(static_cast<std::size_t>(count));
  const int first = g.directed() ? 1 : i + 1;
  for (int j = first; j <= n; ++j) {
    if (j == i && !include_diagonal) continue;
    add_change(g, i, j, value.data());
    for (int s = 0; s < count; ++s) rows[s][j - 1] = value[static_cast<std::size_t>(s)];
  }
}

}  // namespace tarn
