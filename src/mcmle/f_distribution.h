#pragma once
// Tail probabilities of the F distribution, for the convergence test of maximum likelihood by
// MCMC: P(F > f) for F with (d1, d2) degrees of freedom, through the regularised incomplete beta
// function (continued fraction, modified Lentz).

namespace tarn {

// I_x(a, b) for 0 <= x <= 1, a, b > 0.
double regularized_beta(double x, double a, double b);

// P(F > f); 1 for f <= 0.
double f_upper_tail(double f, double d1, double d2);

}  // namespace tarn
