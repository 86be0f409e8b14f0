#include "numeric/param_algebra.h"

namespace tarn {

double dot_product(const double* x, const double* b, int m) {
  double sum = 0.0;
  for (int k = 0; k < m; ++k) sum += x[k] * b[k];
  return sum;
}

ParamVector matrix_vector_product(const ParamMatrix& a, const ParamVector& v, int m) {
  ParamVector result(m);
  for (int k = 1; k <= m; ++k) {
    double sum = 0.0;
    for (int l = 1; l <= m; ++l) sum += a(k, l) * v(l);
    result(k) = sum;
  }
  return result;
}

void add_weighted_row(const double* x, int m, double a, double w, ParamVector* vector,
                      ParamMatrix* matrix) {
  for (int k = 1; k <= m; ++k) {
    if (vector != nullptr) (*vector)(k) += a * x[k - 1];
    if (matrix == nullptr) continue;
    for (int l = 1; l <= m; ++l) (*matrix)(k, l) += w * x[k - 1] * x[l - 1];
  }
}

}  // namespace tarn
