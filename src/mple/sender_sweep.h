#pragma once
// The statistics of a study's dyads, one sender at a time, as the sweeps of the pseudo-likelihood
// fit and the existence check read them: the fused kernel's 16-bit columns for a model of the
// sixteen configuration types, the term table's double columns for any other.

#include <vector>

#include "kernel/sender_statistics.h"
#include "model/study.h"
#include "mple/dyad_sums.h"

namespace tarn {

// The kernel's source of a study whose model has a kernel layout.
StatisticsSource kernel_source(const Study& study);

class KernelColumns {
 public:
  using Value = int16;
  explicit KernelColumns(const Study& study);
  int senders() const { return statistics_.node_count(); }
  void compute(int i);
  const SenderColumnsOf<int16>& columns() const { return columns_; }
  const int16* tie_row() const { return statistics_.tie_row(); }

 private:
  const Study& study_;
  SenderStatistics statistics_;
  SenderColumnsOf<int16> columns_;
};

class GeneralColumns {
 public:
  using Value = double;
  explicit GeneralColumns(const Study& study);
  // Undirected, the last node has no receiver above it.
  int senders() const { return directed_ ? n_ : n_ - 1; }
  void compute(int i);
  const SenderColumnsOf<double>& columns() const { return columns_; }
  const int16* tie_row() const { return tie_.data() + tie_offset_; }

 private:
  const Study& study_;
  TermGraph graph_;
  int n_ = 0;
  bool directed_ = true;
  std::size_t stride_ = 0;
  std::vector<double> rows_;
  std::vector<double*> row_of_;  // by statistic
  std::vector<int16> tie_;
  std::size_t tie_offset_ = 0;
  SenderColumnsOf<double> columns_;
};

}  // namespace tarn
