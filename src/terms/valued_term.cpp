#include "terms/valued_term.h"

#include <vector>

namespace tarn {

void ValuedTerm::empty_statistics(const ValuedGraph&, double* out) const {
  for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
}

void DyadSumTerm::add_change(const ValuedGraph& g, int i, int j, int to, double* out) const {
  const int count = statistic_count();
  std::vector<double> after(static_cast<std::size_t>(count)), before(after.size());
  dyad_statistics(i, j, to, after.data());
  dyad_statistics(i, j, g.value(i, j), before.data());
  for (int s = 0; s < count; ++s) {
    out[s] += after[static_cast<std::size_t>(s)] - before[static_cast<std::size_t>(s)];
  }
}

}  // namespace tarn
