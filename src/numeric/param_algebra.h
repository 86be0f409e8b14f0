#pragma once
// The sums the pseudo-likelihood fits share over their rows of change statistics: every sum
// starts from +0.0 and adds in ascending order, so that the fits' figures do not depend on which
// fit made them.

#include "numeric/param_matrix.h"

namespace tarn {

// x . b over m entries.
double dot_product(const double* x, const double* b, int m);

// a v over the leading m entries.
ParamVector matrix_vector_product(const ParamMatrix& a, const ParamVector& v, int m);

// vector += a x; matrix += w x x' (either may be null).
void add_weighted_row(const double* x, int m, double a, double w, ParamVector* vector,
                      ParamMatrix* matrix);

}  // namespace tarn
