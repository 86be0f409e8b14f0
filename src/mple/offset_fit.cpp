#include "mple/offset_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/sample_space.h"
#include "mple/dyad_classes.h"
#include "network/usage_error.h"
#include "numeric/gaussj.h"
#include "numeric/param_algebra.h"

namespace tarn {

namespace {

// The distinct rows of (free change statistics, offset part, response) and their dyads.
struct OffsetRows {
  int m = 0;
  std::vector<double> x;
  std::vector<double> offset;
  std::vector<int> y;
  std::vector<std::int64_t> count;
  std::int64_t dyads = 0;  // those left in the sums
  std::size_t size() const { return count.size(); }
  const double* row(std::size_t r) const { return x.data() + r * static_cast<std::size_t>(m); }
};

std::string dyad_text(const Study& study, int i, int j) {
  return std::to_string(i) + (study.directed() ? "->" : "--") + std::to_string(j);
}

// The offset part of a dyad's linear predictor; a statistic that does not change adds nothing,
// also at an infinite value (0 * inf is NaN). `infinite` is the first statistic whose change
// makes it infinite, or -1.
double offset_part(const std::vector<std::optional<double>>& fixed, const std::vector<double>& d,
                   int& infinite) {
  double sum = 0.0;
  infinite = -1;
  for (std::size_t k = 0; k < fixed.size(); ++k) {
    if (!fixed[k] || d[k] == 0.0) continue;
    const double v = *fixed[k] * d[k];
    if (std::isinf(v) && infinite < 0) infinite = static_cast<int>(k);
    sum += v;
  }
  return sum;
}

OffsetRows offset_rows(const Study& study) {
  const Model& model = study.model;
  if (study.dyad_count() > largest_sweep) {
    throw UsageError("offset terms: a network of " + std::to_string(study.dyad_count()) +
                     " dyads is too large to sweep");
  }
  const std::vector<std::optional<double>> fixed = model.fixed_coefficients();
  const std::vector<std::string> names = model.statistic_names();
  const int all = model.parameter_count();
  OffsetRows rows;
  for (const auto& f : fixed) rows.m += f ? 0 : 1;
  std::map<std::vector<double>, std::size_t> seen;  // (x, offset, y) -> row
  const TermGraph graph = study.graph();
  const bool restricted = study.space && study.space->restricts_dyads();
  std::vector<double> d(static_cast<std::size_t>(all));
  std::vector<double> key;
  const int n = study.node_count();
  for (int i = 1; i <= n; ++i) {
    for (int j = study.directed() ? 1 : i + 1; j <= n; ++j) {
      if (i == j && !study.include_diagonal) continue;
      // A dyad the space fixes is given, not observed: it leaves the sums.
      if (restricted && !study.space->free(i, j)) continue;
      model.add_changes(graph, i, j, d.data());
      const int y = graph.has_link(i, j) ? 1 : 0;
      int infinite = -1;
      const double o = offset_part(fixed, d, infinite);
      if (std::isnan(o)) {
        throw UsageError("offset terms: at the dyad " + dyad_text(study, i, j) +
                         " offsets of -Inf and Inf pull both ways");
      }
      if (std::isinf(o)) {
        // Probability 0 (or 1) of the link: the dyad says nothing unless the network has what
        // the model forbids.
        if ((o > 0.0) != (y == 1)) {
          throw UsageError(names[std::size_t(infinite)] + " at " + (o > 0.0 ? "Inf" : "-Inf") +
                           ": the network " + (y == 1 ? "has" : "lacks") + " the link " +
                           dyad_text(study, i, j) +
                           ", which the offset forbids; the model gives it probability 0");
        }
        continue;
      }
      key.clear();
      for (int k = 0; k < all; ++k) {
        if (!fixed[std::size_t(k)]) key.push_back(d[std::size_t(k)]);
      }
      key.push_back(o);
      key.push_back(y);
      const auto [at, added] = seen.emplace(key, rows.size());
      if (added) {
        rows.x.insert(rows.x.end(), key.begin(), key.end() - 2);
        rows.offset.push_back(o);
        rows.y.push_back(y);
        rows.count.push_back(0);
      }
      ++rows.count[at->second];
      ++rows.dyads;
    }
  }
  return rows;
}

// The passes' sums over the rows, each row's linear predictor shifted by its offset part; the
// working response leaves the offset out, so the Newton step is that of the free coefficients.
class OffsetRowSums final : public FitSums {
 public:
  explicit OffsetRowSums(const OffsetRows& rows) : rows_(rows) {}

  double totals(ParamVector& xty, ParamMatrix& xsq) override {
    double ties = 0.0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const auto c = static_cast<double>(rows_.count[r]);
      ties += c * rows_.y[r];
      add_weighted_row(rows_.row(r), rows_.m, c * rows_.y[r], c, &xty, &xsq);
    }
    return ties;
  }

  // The start: the logits of the linear-probability fit, less each row's offset part.
  void logit_sums(const ParamVector& ols, ParamVector& logit_xsum) override {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double prediction = std::clamp(dot_product(rows_.row(r), ols.base(), rows_.m),
                                           start_prediction_lower, start_prediction_upper);
      const double logit = std::log(prediction / (1.0 - prediction)) - rows_.offset[r];
      add_weighted_row(rows_.row(r), rows_.m, static_cast<double>(rows_.count[r]) * logit, 0.0,
                       &logit_xsum, nullptr);
    }
  }

  std::int64_t newton_sums(int, const ParamVector& at, ParamVector& wz_sum, ParamMatrix& wxsq,
                           double* log_terms) override {
    std::int64_t zero_weight = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double* x = rows_.row(r);
      const double weight = static_cast<double>(rows_.count[r]);
      const double free = dot_product(x, at.base(), rows_.m);
      const double eta = free + rows_.offset[r];
      // ln(1 + exp(eta)) less y * offset: the likelihood is then X'y . at less the sum.
      if (log_terms != nullptr) {
        *log_terms += weight * (log_one_plus_exp(eta) - rows_.y[r] * rows_.offset[r]);
      }
      const double p = 1.0 / (1.0 + std::exp(-eta));
      const double w = p * (1.0 - p);
      const double residual = rows_.y[r] - p;
      if (w == 0.0) {
        add_weighted_row(x, rows_.m, weight * residual, 0.0, &wz_sum, nullptr);
        zero_weight += rows_.count[r];
        continue;
      }
      add_weighted_row(x, rows_.m, weight * (w * free + residual), weight * w, &wz_sum, &wxsq);
    }
    return zero_weight;
  }

  FinalPassSums final_sums(const ParamVector& estimate, ParamMatrix& wxsq) override {
    FinalPassSums sums;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double* x = rows_.row(r);
      const double weight = static_cast<double>(rows_.count[r]);
      const double eta = dot_product(x, estimate.base(), rows_.m) + rows_.offset[r];
      const double p = 1.0 / (1.0 + std::exp(-eta));
      const double w = p * (1.0 - p);
      const int y = rows_.y[r];
      sums.loglik_sum += weight * (log_one_plus_exp(eta) - y * rows_.offset[r]);
      const double residual = y - p;
      sums.abs_resid_sum += weight * std::fabs(residual);
      sums.sq_resid_sum += weight * residual * residual;
      if (residual != 0.0) sums.pearson_sum += weight * residual * residual / w;
      if (w == 0.0) sums.zero_weight_dyads += rows_.count[r];
      add_weighted_row(x, rows_.m, 0.0, weight * w, nullptr, &wxsq);
      sums.class_table[y][p >= 0.5 ? 1 : 0] += rows_.count[r];
    }
    return sums;
  }

 private:
  const OffsetRows& rows_;
};

// The free coefficients' fit spread over every coefficient, the offsets at their values.
FitResult spread_over_all(const FitResult& own, const Model& model) {
  const std::vector<std::optional<double>> fixed = model.fixed_coefficients();
  const int all = static_cast<int>(fixed.size());
  FitResult out = own;
  out.parameter_count = all;
  out.estimate = ParamVector(all);
  out.covariance = ParamMatrix(all);
  std::vector<int> place;  // 1-based place of each free coefficient
  for (int k = 1; k <= all; ++k) {
    const auto& f = fixed[std::size_t(k - 1)];
    if (f) {
      out.estimate(k) = *f;
    } else {
      place.push_back(k);
      if (own.estimate.size() >= static_cast<int>(place.size())) {
        out.estimate(k) = own.estimate(static_cast<int>(place.size()));
      }
    }
  }
  if (own.covariance.order() == static_cast<int>(place.size())) {
    for (std::size_t a = 0; a < place.size(); ++a) {
      for (std::size_t b = 0; b < place.size(); ++b) {
        out.covariance(place[a], place[b]) = own.covariance(int(a) + 1, int(b) + 1);
      }
    }
  }
  return out;
}

}  // namespace

ParamVector pseudo_score_with_offsets(const Study& study, const ParamVector& estimate) {
  const OffsetRows rows = offset_rows(study);
  const std::vector<std::optional<double>> fixed = study.model.fixed_coefficients();
  std::vector<int> place;  // 1-based place of each free coefficient
  for (std::size_t k = 0; k < fixed.size(); ++k) {
    if (!fixed[k]) place.push_back(static_cast<int>(k) + 1);
  }
  std::vector<double> free;
  for (const int k : place) free.push_back(estimate(k));
  ParamVector own(rows.m);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const double eta = dot_product(rows.row(r), free.data(), rows.m) + rows.offset[r];
    const double residual = rows.y[r] - 1.0 / (1.0 + std::exp(-eta));
    add_weighted_row(rows.row(r), rows.m, static_cast<double>(rows.count[r]) * residual, 0.0, &own,
                     nullptr);
  }
  ParamVector score(static_cast<int>(fixed.size()));
  for (std::size_t a = 0; a < place.size(); ++a) score(place[a]) = own(static_cast<int>(a) + 1);
  return score;
}

FitResult fit_with_offsets(const Study& study, const FitObserver& observer,
                           const ParamVector* start) {
  const OffsetRows rows = offset_rows(study);
  OffsetRowSums sums(rows);
  ParamVector free_start;
  if (start != nullptr) {
    free_start = ParamVector(rows.m);
    int f = 0;
    const auto fixed = study.model.fixed_coefficients();
    for (int k = 1; k <= start->size(); ++k) {
      if (!fixed[std::size_t(k - 1)]) free_start(++f) = (*start)(k);
    }
  }
  FitResult own;
  if (rows.m == 0) {
    // Nothing to estimate: the likelihood at the offsets.
    own.parameter_count = 0;
    own.dyad_count = rows.dyads;
    ParamMatrix none(0);
    const FinalPassSums final_sums = sums.final_sums(ParamVector(0), none);
    own.loglik = -final_sums.loglik_sum;
    own.end = FitEnd::completed;
  } else {
    own = fit_by_passes(
        sums, FitPlan{rows.m, rows.dyads, study.estimate_bound, &observer,
                      start != nullptr ? &free_start : nullptr, study.newton_until_settled});
  }
  FitResult out = spread_over_all(own, study.model);
  // The network's dyads (its free ones under constraints that fix some), as every fit counts
  // them; the null model is of those left in the sums.
  out.dyad_count = study.space && study.space->restricts_dyads() ? study.space->free_dyad_count()
                                                                 : study.dyad_count();
  return out;
}

}  // namespace tarn
