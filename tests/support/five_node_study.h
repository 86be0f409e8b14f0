#pragma once
// A directed network of five nodes, and a formula's exact maximum-likelihood estimate on it
// (every network on 5 nodes enumerated, Newton's method on the exact moments): the reference of
// the estimators that reach it by simulation.

#include <string>

#include "model/model.h"
#include "model/study.h"
#include "support/exact_networks.h"
#include "support/networks.h"

namespace tarn::test {

inline Study five_node_study(const std::string& formula) {
  const LinkList five = {{1, 2}, {1, 3}, {2, 1}, {2, 3}, {2, 5}, {3, 4}, {4, 3}, {4, 5}, {5, 1}};
  TermContext context;
  context.node_count = 5;
  Study study;
  study.network = network_of(five);
  study.model = model_of_formula(formula, context);
  return study;
}

// Moves eta to the exact estimate (50 Newton steps) and gives the exact moments there, whose
// covariance is the Fisher information.
inline ExactMoments exact_mle(const Study& study, Vector& eta) {
  const auto classes = every_network(study.model, 5);
  const Vector observed = study.statistics();
  for (int step = 0; step < 50; ++step) {
    const ExactMoments m = exact_moments(classes, eta);
    const Matrix inverse = symmetric_inverse(m.covariance).value();
    for (std::size_t a = 0; a < eta.size(); ++a)
      for (std::size_t b = 0; b < eta.size(); ++b)
        eta[a] += inverse(int(a), int(b)) * (observed[b] - m.mean[b]);
  }
  return exact_moments(classes, eta);
}

}  // namespace tarn::test
