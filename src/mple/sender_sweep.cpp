#include "mple/sender_sweep.h"

#include <stdexcept>

namespace tarn {

StatisticsSource kernel_source(const Study& study) {
  if (!study.model.kernel) throw std::invalid_argument("the model has no kernel layout");
  return {&study.network, &*study.model.kernel, study.blocks.get(), study.comparative.get()};
}

KernelColumns::KernelColumns(const Study& study)
    : study_(study), statistics_(kernel_source(study)) {
  const KernelLayout& layout = *study.model.kernel;
  columns_.m = static_cast<int>(layout.parameters.size());
  columns_.column.resize(layout.parameters.size());
  columns_.n = statistics_.node_count();
  for (int k = 0; k < columns_.m; ++k) {
    columns_.column[k] = statistics_.column(layout.parameters[static_cast<std::size_t>(k)].column);
  }
}

void KernelColumns::compute(int i) {
  statistics_.compute(i);
  columns_.skip = study_.include_diagonal ? -1 : i - 1;
}

GeneralColumns::GeneralColumns(const Study& study)
    : study_(study),
      graph_(study.graph()),
      n_(study.network.node_count),
      directed_(study.directed()),
      stride_(static_cast<std::size_t>(padded_rows(n_))) {
  const int m = study.model.parameter_count();
  // Entries that are no dyad of the sender are never written and stay 0.
  rows_.assign(stride_ * static_cast<std::size_t>(m), 0.0);
  for (int k = 0; k < m; ++k)
    row_of_.push_back(rows_.data() + stride_ * static_cast<std::size_t>(k));
  tie_.assign(stride_, 0);
  columns_.m = m;
  columns_.column.resize(static_cast<std::size_t>(m));
}

void GeneralColumns::compute(int i) {
  int k = 0;
  for (const TermPointer& term : study_.model.terms) {
    term->sender_changes(graph_, i, study_.include_diagonal, row_of_.data() + k);
    k += term->statistic_count();
  }
  for (int j = 1; j <= n_; ++j) tie_[static_cast<std::size_t>(j - 1)] = graph_.tie(i, j) ? 1 : 0;
  if (directed_) {
    for (int s = 0; s < columns_.m; ++s) columns_.column[s] = row_of_[static_cast<std::size_t>(s)];
    columns_.n = n_;
    columns_.skip = study_.include_diagonal ? -1 : i - 1;
    tie_offset_ = 0;
  } else {
    // The receivers j > i, at entries 0 .. n - i - 1.
    for (int s = 0; s < columns_.m; ++s) {
      columns_.column[s] = row_of_[static_cast<std::size_t>(s)] + i;
    }
    columns_.n = n_ - i;
    columns_.skip = -1;
    tie_offset_ = static_cast<std::size_t>(i);
  }
}

}  // namespace tarn
