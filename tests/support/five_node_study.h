#pragma once
// A directed network of five nodes, whose exact maximum-likelihood estimate (exact_fit, every
// network on 5 nodes enumerated) is the reference of the estimators that reach it by simulation.

#include <string>

#include "model/model.h"
#include "model/study.h"
#include "support/exact_networks.h"
#include "support/models.h"

namespace tarn::test {

inline Study five_node_study(const std::string& formula) {
  return formula_study(formula,
                       {{1, 2}, {1, 3}, {2, 1}, {2, 3}, {2, 5}, {3, 4}, {4, 3}, {4, 5}, {5, 1}}, 5);
}

}  // namespace tarn::test
