#include "terms/valued_term.h"

#include <vector>

namespace tarn {

void ValuedTerm::empty_statistics(const ValuedGraph&, double* out) const {
  for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
}

void DyadSumTerm::add_change(const ValuedGraph& g, int i, int j, int to, double* out) const {
  const int count = statistic_count();
  // On the stack for the few statistics of most terms: the sampler asks at every proposal.
  double after_few[16], before_few[16];
  std::vector<double> after_many, before_many;
  double* after = after_few;
  double* before = before_few;
  if (count > 16) {
    after_many.resize(static_cast<std::size_t>(count));
    before_many.resize(static_cast<std::size_t>(count));
    after = after_many.data();
    before = before_many.data();
  }
  dyad_statistics(i, j, to, after);
  dyad_statistics(i, j, g.value(i, j), before);
  for (int s = 0; s < count; ++s) out[s] += after[s] - before[s];
}

}  // namespace tarn
