#include <cmath>
#include <string>

#include "api/api_errors.h"
#include "api/model_data.h"
#include "api/valued_model.h"
#include "mple/sender_sweep.h"
#include "tarnwick/errors.h"
#include "tarnwick/statistics.h"

namespace tarnwick {

namespace {

// The linear predictor of one dyad. A fixed -Inf (an offset that forbids a configuration) counts
// only where its statistic changes: 0 * -Inf would make every dyad NaN.
double linear_predictor(const tarn::SenderColumnsOf<double>& columns,
                        const std::vector<double>& eta, int j) {
  double sum = 0.0;
  for (int s = 0; s < columns.m; ++s) {
    const double change = columns.column[static_cast<std::size_t>(s)][j];
    if (change != 0.0) sum += eta[static_cast<std::size_t>(s)] * change;
  }
  return sum;
}

}  // namespace

std::vector<TieProbability> tie_probabilities(const Model& model,
                                              const std::vector<double>& coefficients) {
  return tarn::with_library_errors([&] {
    tarn::refuse_valued(model.data(), "tie probabilities");
    const tarn::Study& study = model.data().study;
    const int count = study.model.coefficient_count();
    if (static_cast<int>(coefficients.size()) != count) {
      throw ArgumentError("coefficients: give " + std::to_string(count) + " for the model's " +
                          std::to_string(count) + " coefficients, not " +
                          std::to_string(coefficients.size()));
    }
    for (const double c : coefficients) {
      if (std::isnan(c)) throw ArgumentError("coefficients: a coefficient is NaN");
    }
    const std::vector<double> eta = study.model.canonical(coefficients);
    tarn::GeneralColumns columns(study);
    const bool directed = study.directed();
    std::vector<TieProbability> result;
    for (int i = 1; i <= columns.senders(); ++i) {
      columns.compute(i);
      const tarn::SenderColumnsOf<double>& c = columns.columns();
      for (int j = 0; j < c.n; ++j) {
        if (j == c.skip) continue;
        const double predictor = linear_predictor(c, eta, j);
        const int head = directed ? j : i + j;  // 0-based
        result.push_back({i - 1, head, 1.0 / (1.0 + std::exp(-predictor))});
      }
    }
    return result;
  });
}

}  // namespace tarnwick
