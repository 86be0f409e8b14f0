#include "terms/term.h"

#include <array>

namespace tarn {

void Term::untouched_change(int, int, bool, double*) const {
  throw std::logic_error(text() + " has no form by node classes");
}

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

void Term::canonical(const double* coefficients, double* eta) const {
  for (int s = 0; s < statistic_count(); ++s) eta[s] = coefficients[s];
}

void Term::canonical_jacobian(const double*, double* jacobian) const {
  const int p = statistic_count();
  for (int s = 0; s < p; ++s) {
    for (int c = 0; c < p; ++c) jacobian[s * p + c] = s == c ? 1.0 : 0.0;
  }
}

TermPointer Term::fixed_at(const double*) const {
  return shared_from_this();
}

void Term::start_coefficients(const double* fixed_estimate, double* coefficients) const {
  for (int s = 0; s < statistic_count(); ++s) coefficients[s] = fixed_estimate[s];
}

}  // namespace tarn
