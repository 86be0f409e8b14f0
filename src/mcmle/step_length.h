#pragma once
// The step length of Hummel, Hunter and Handcock (2012): the largest gamma <= 1 for which the
// point mean + gamma (observed - mean) lies inside the convex hull of the sampled statistics
// shrunk about the mean by a margin. Found by one linear program (GLPK): maximise t over
// lambda >= 0 with sum lambda = 1 and sum lambda_k g_k = mean + t (observed - mean); then
// gamma = min(1, t / (1 + margin)). Each statistic is scaled by its standard deviation first.
// A statistic that does not vary in the sample but differs from the observed value allows no
// step at all (gamma 0).

#include <vector>

namespace tarn {

// statistics[network][statistic]; `mean` their mean, `sd` their standard deviation.
double hull_step_length(const std::vector<std::vector<double>>& statistics,
                        const std::vector<double>& mean, const std::vector<double>& sd,
                        const std::vector<double>& observed, double margin);

}  // namespace tarn
