#include "simulate/sample_spread.h"

#include <cmath>

namespace tarn {

ColumnSpread column_spread(const std::vector<std::vector<double>>& rows, std::size_t column) {
  ColumnSpread spread;
  if (rows.empty()) return spread;
  for (const auto& row : rows) spread.mean += row[column];
  spread.mean /= static_cast<double>(rows.size());
  if (rows.size() < 2) return spread;
  double squares = 0.0;
  for (const auto& row : rows) squares += (row[column] - spread.mean) * (row[column] - spread.mean);
  spread.sd = std::sqrt(squares / static_cast<double>(rows.size() - 1));
  return spread;
}

ParamMatrix covariance_of(const std::vector<std::vector<double>>& rows,
                          const std::vector<char>& kept, int m) {
  auto is_kept = [&kept](std::size_t r) { return kept.empty() || kept[r] != 0; };
  std::vector<double> mean(static_cast<std::size_t>(m), 0.0);
  double count = 0.0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!is_kept(r)) continue;
    for (int k = 0; k < m; ++k) mean[std::size_t(k)] += rows[r][std::size_t(k)];
    count += 1.0;
  }
  for (double& v : mean) v /= count;
  ParamMatrix c(m);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!is_kept(r)) continue;
    for (int k = 0; k < m; ++k) {
      for (int l = 0; l < m; ++l) {
        c(k + 1, l + 1) += (rows[r][std::size_t(k)] - mean[std::size_t(k)]) *
                           (rows[r][std::size_t(l)] - mean[std::size_t(l)]);
      }
    }
  }
  for (int k = 1; k <= m; ++k)
    for (int l = 1; l <= m; ++l) c(k, l) /= count - 1.0;
  return c;
}

}  // namespace tarn
