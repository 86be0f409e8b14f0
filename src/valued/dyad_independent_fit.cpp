// The exact fit of a valued model's dyad-independent terms: the likelihood is a product over the
// dyads, and dyads whose shares of the statistics agree at value 1 agree at every value (a sum
// of values, a count of values in an interval, or a binary term's change times the value or its
// presence), so the dyads are taken by classes of equal shares.

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "mple/estimate_existence.h"
#include "numeric/portable_exp.h"
#include "valued/valued_fit.h"

namespace tarn {

namespace {

constexpr int largest_value = 1000000;  // an unbounded reference's values beyond it: no normaliser
// Where the tail of an unbounded reference's weights is judged: its slopes there.
constexpr std::array<int, 3> tail_values = {100, 10000, largest_value};

struct DyadClass {
  std::int64_t dyads = 0;
  int i = 0, j = 0;  // one of its dyads
  // An unbounded reference: the shares' change to each of the tail values from the one before.
  std::array<Vector, 3> tail_steps;
  std::set<int> observed;  // the values its dyads hold
};

// The model's dyad-independent terms and the statistics they give.
struct IndependentPart {
  std::vector<const DyadSumTerm*> terms;
  std::vector<int> statistics;
  int width() const { return static_cast<int>(statistics.size()); }
  void shares(int i, int j, int value, double* out) const {
    for (const DyadSumTerm* t : terms) {
      t->dyad_statistics(i, j, value, out);
      out += t->statistic_count();
    }
  }
};

IndependentPart independent_part(const ValuedModel& model) {
  IndependentPart part;
  int first = 0;
  for (const ValuedTermPointer& t : model.terms) {
    const auto* sum = dynamic_cast<const DyadSumTerm*>(t.get());
    if (sum != nullptr) {
      part.terms.push_back(sum);
      for (int s = 0; s < t->statistic_count(); ++s) part.statistics.push_back(first + s);
    }
    first += t->statistic_count();
  }
  return part;
}

// The observed dyads (the missing ones left out).
template <class Visit>
void for_each_dyad(const ValuedGraph& g, Visit visit) {
  const bool any_missing = !g.missing().empty();
  for (int i = 1; i <= g.node_count(); ++i) {
    for (int j = g.directed() ? 1 : i + 1; j <= g.node_count(); ++j) {
      if (j != i && !(any_missing && g.is_missing(i, j))) visit(i, j);
    }
  }
}

// The class's log normaliser, and the mean and covariance of its shares; nothing when the
// weights do not fall off (no normaliser at theta).
struct ClassMoments {
  double log_normaliser = 0.0;
  Vector mean;
  Matrix covariance;
};

std::optional<ClassMoments> class_moments(const IndependentPart& part, const DyadClass& c,
                                          const Vector& theta, const Reference& reference,
                                          const ReferenceWeights& weights) {
  const int p = part.width();
  std::vector<double> share(static_cast<std::size_t>(p));
  std::vector<std::pair<double, Vector>> terms;  // (log weight, shares) of each value
  double largest = -std::numeric_limits<double>::infinity();
  const int high = reference.bounded() ? reference.high : largest_value;
  // Weights that still rise (or stay flat) at the last value have no normaliser (a geometric
  // reference at theta = 0), nor have weights whose slope keeps rising as fast in log y
  // (CMP above 1 with a Poisson reference: it crosses 0 beyond the last value, and the weights
  // then grow without end); the walk would otherwise take a dip for the distribution's tail.
  if (!reference.bounded()) {
    std::array<double, 3> slope{};
    for (std::size_t k = 0; k < slope.size(); ++k) {
      slope[k] = weights.log_weight_step(tail_values[k]);
      for (int s = 0; s < p; ++s) {
        slope[k] +=
            theta[static_cast<std::size_t>(s)] * c.tail_steps[k][static_cast<std::size_t>(s)];
      }
    }
    const double late_rise = slope[2] - slope[1], early_rise = slope[1] - slope[0];
    if (slope[2] >= 0 || (late_rise > 0 && late_rise >= early_rise / 2)) return std::nullopt;
  }
  for (int y = reference.low; y <= high; ++y) {
    part.shares(c.i, c.j, y, share.data());
    double log_weight = weights.log_weight(y);
    for (int s = 0; s < p; ++s)
      log_weight += theta[static_cast<std::size_t>(s)] * share[static_cast<std::size_t>(s)];
    const bool falling = !terms.empty() && log_weight < terms.back().first;
    terms.emplace_back(log_weight, share);
    largest = std::max(largest, log_weight);
    if (!reference.bounded() && y > reference.low + 10 && falling && log_weight < largest - 40)
      break;
    if (!reference.bounded() && y == high) return std::nullopt;
  }
  ClassMoments m;
  m.mean.assign(static_cast<std::size_t>(p), 0.0);
  m.covariance = Matrix(p, p);
  double total = 0.0;
  for (const auto& [log_weight, values] : terms) {
    const double w = portable_exp(log_weight - largest);
    total += w;
    for (int s = 0; s < p; ++s) {
      m.mean[static_cast<std::size_t>(s)] += w * values[static_cast<std::size_t>(s)];
      for (int t = 0; t <= s; ++t) {
        m.covariance(s, t) +=
            w * values[static_cast<std::size_t>(s)] * values[static_cast<std::size_t>(t)];
      }
    }
  }
  for (int s = 0; s < p; ++s) m.mean[static_cast<std::size_t>(s)] /= total;
  for (int s = 0; s < p; ++s) {
    for (int t = 0; t <= s; ++t) {
      const double c2 = m.covariance(s, t) / total -
                        m.mean[static_cast<std::size_t>(s)] * m.mean[static_cast<std::size_t>(t)];
      m.covariance(s, t) = m.covariance(t, s) = c2;
    }
  }
  m.log_normaliser = largest + portable_log(total);
  return m;
}

struct Totals {
  double log_likelihood = 0.0;
  Vector gradient;
  Matrix information;
};

std::optional<Totals> totals(const IndependentPart& part, const std::vector<DyadClass>& classes,
                             const Vector& theta, const Vector& observed,
                             double observed_log_weight, const Reference& reference,
                             const ReferenceWeights& weights) {
  const int p = part.width();
  Totals t;
  t.gradient = observed;
  t.information = Matrix(p, p);
  t.log_likelihood = observed_log_weight;
  for (int s = 0; s < p; ++s)
    t.log_likelihood += theta[static_cast<std::size_t>(s)] * observed[static_cast<std::size_t>(s)];
  for (const DyadClass& c : classes) {
    const auto m = class_moments(part, c, theta, reference, weights);
    if (!m) return std::nullopt;
    const auto count = static_cast<double>(c.dyads);
    t.log_likelihood -= count * m->log_normaliser;
    for (int s = 0; s < p; ++s) {
      t.gradient[static_cast<std::size_t>(s)] -= count * m->mean[static_cast<std::size_t>(s)];
      for (int u = 0; u < p; ++u) t.information(s, u) += count * m->covariance(s, u);
    }
  }
  if (!std::isfinite(t.log_likelihood)) return std::nullopt;
  return t;
}

// The least and greatest value each statistic can take over the networks.
std::string statistic_at_bound(const IndependentPart& part, const std::vector<DyadClass>& classes,
                               const Vector& observed, const Reference& reference,
                               const std::vector<std::string>& names) {
  const int p = part.width();
  const int high = reference.bounded() ? reference.high : reference.low + 2000;
  std::vector<double> least(static_cast<std::size_t>(p), 0.0), most(least), share(least);
  std::vector<bool> unbounded(static_cast<std::size_t>(p), false);
  for (const DyadClass& c : classes) {
    std::vector<double> lo(static_cast<std::size_t>(p), std::numeric_limits<double>::infinity());
    std::vector<double> hi(static_cast<std::size_t>(p), -std::numeric_limits<double>::infinity());
    std::vector<double> before(static_cast<std::size_t>(p));
    for (int y = reference.low; y <= high; ++y) {
      part.shares(c.i, c.j, y, share.data());
      for (std::size_t s = 0; s < share.size(); ++s) {
        lo[s] = std::min(lo[s], share[s]);
        hi[s] = std::max(hi[s], share[s]);
        if (!reference.bounded() && y == high && share[s] != before[s]) unbounded[s] = true;
      }
      before = share;
    }
    for (std::size_t s = 0; s < share.size(); ++s) {
      least[s] += static_cast<double>(c.dyads) * lo[s];
      most[s] += static_cast<double>(c.dyads) * hi[s];
    }
  }
  for (std::size_t s = 0; s < least.size(); ++s) {
    if (least[s] == most[s]) continue;
    const double tolerance = 1e-9 * std::max(1.0, std::fabs(observed[s]));
    if (std::fabs(observed[s] - least[s]) <= tolerance ||
        (!unbounded[s] && std::fabs(observed[s] - most[s]) <= tolerance)) {
      return names[static_cast<std::size_t>(part.statistics[s])];
    }
  }
  return {};
}

// The statistics of a combination d . g at its greatest value (joined by ", "), or empty: the
// existence check of the binary fit (estimate_existence.h) on the rows f(y) - f(v) of each class
// and value y its dyads hold, for the values v it could hold instead (a dyad-independent model's
// statistics are at their greatest along d exactly when every dyad's value maximises d . f). An
// unbounded reference's values: those up to 64 above the largest held, and a row that keeps
// d . f from rising at the last value.
std::string combination_at_bound(const IndependentPart& part, const std::vector<DyadClass>& classes,
                                 const Reference& reference,
                                 const std::vector<std::string>& names) {
  const int p = part.width();
  DyadClassRows rows;
  rows.m = p;
  std::vector<double> held(static_cast<std::size_t>(p)), other(held);
  auto add = [&rows](const std::vector<double>& x) {
    rows.x.insert(rows.x.end(), x.begin(), x.end());
    rows.y.push_back(1);
    rows.count.push_back(1);
  };
  for (const DyadClass& c : classes) {
    const int last =
        std::min(reference.bounded() ? reference.high : largest_value, *c.observed.rbegin() + 64);
    std::vector<int> values;
    for (int v = reference.low; v <= last; ++v) values.push_back(v);
    if (reference.bounded() && last < reference.high) values.push_back(reference.high);
    for (const int y : c.observed) {
      part.shares(c.i, c.j, y, held.data());
      for (const int v : values) {
        if (v == y) continue;
        part.shares(c.i, c.j, v, other.data());
        for (std::size_t s = 0; s < other.size(); ++s) other[s] = held[s] - other[s];
        add(other);
      }
    }
    if (!reference.bounded()) {
      for (std::size_t s = 0; s < other.size(); ++s) other[s] = -c.tail_steps.back()[s];
      add(other);
    }
  }
  const EstimateExistence existence = check_estimate_existence_of_rows(rows);
  std::string text;
  for (std::size_t s = 0; s < existence.direction.size(); ++s) {
    if (std::fabs(existence.direction[s]) < 1e-9) continue;
    text += (text.empty() ? "" : ", ") + names[static_cast<std::size_t>(part.statistics[s])];
  }
  return text;
}

}  // namespace

DyadIndependentValuedFit fit_dyad_independent(const ValuedModel& model, const ValuedGraph& g) {
  const IndependentPart part = independent_part(model);
  DyadIndependentValuedFit fit;
  fit.statistics = part.statistics;
  const int p = part.width();
  if (p == 0) {
    fit.converged = true;
    return fit;
  }
  std::map<std::vector<double>, DyadClass> by_shares;
  std::vector<double> key(static_cast<std::size_t>(p));
  for_each_dyad(g, [&](int i, int j) {
    part.shares(i, j, 1, key.data());
    DyadClass& c = by_shares[key];
    if (c.dyads++ == 0) c.i = i, c.j = j;
    c.observed.insert(g.value(i, j));
  });
  std::vector<DyadClass> classes;
  for (const auto& entry : by_shares) classes.push_back(entry.second);
  if (!model.reference.bounded()) {
    Vector before(static_cast<std::size_t>(p));
    for (DyadClass& c : classes) {
      for (std::size_t k = 0; k < tail_values.size(); ++k) {
        Vector& step = c.tail_steps[k];
        step.resize(static_cast<std::size_t>(p));
        part.shares(c.i, c.j, tail_values[k] - 1, before.data());
        part.shares(c.i, c.j, tail_values[k], step.data());
        for (std::size_t s = 0; s < step.size(); ++s) step[s] -= before[s];
      }
    }
  }

  const Vector all = model.statistics(g);
  Vector observed;
  for (const int s : part.statistics) observed.push_back(all[static_cast<std::size_t>(s)]);
  // A missing dyad holds 0 in the graph, and some terms count a 0 (atmost, equalto): the
  // observed dyads' statistics leave its share out.
  Vector share(static_cast<std::size_t>(p));
  for (const auto& [i, j] : g.missing()) {
    part.shares(i, j, 0, share.data());
    for (std::size_t s = 0; s < observed.size(); ++s) observed[s] -= share[s];
  }
  const ReferenceWeights weights(model.reference);
  const auto observed_zeros = g.dyad_count() - g.nonzero_count() - std::ssize(g.missing());
  double observed_log_weight = static_cast<double>(observed_zeros) * weights.log_weight(0);
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const ValuedEntry& e : g.out(i)) {
      if (g.directed() || e.node > i) observed_log_weight += weights.log_weight(e.value);
    }
  }
  fit.at_bound = statistic_at_bound(part, classes, observed, model.reference, model.names);
  if (fit.at_bound.empty())
    fit.at_bound = combination_at_bound(part, classes, model.reference, model.names);

  Vector theta(static_cast<std::size_t>(p), 0.0);
  auto at = [&](const Vector& t) {
    return totals(part, classes, t, observed, observed_log_weight, model.reference, weights);
  };
  std::optional<Totals> current = at(theta);
  // Without a normaliser at 0 (a geometric reference), start where every coefficient is negative.
  for (double start = -1; !current && start > -64; start *= 2) {
    theta.assign(static_cast<std::size_t>(p), start);
    current = at(theta);
  }
  if (!current) return fit;
  for (fit.iterations = 1; fit.iterations <= 100; ++fit.iterations) {
    const auto inverse = symmetric_inverse(current->information);
    if (!inverse) break;
    Vector step = product(*inverse, current->gradient);
    // Converged when Newton's own step is small, not one halved to nothing against the edge of
    // the coefficients with a normaliser (where the likelihood still rises: no maximum inside).
    double largest_step = 0.0;
    for (const double d : step) largest_step = std::max(largest_step, std::fabs(d));
    bool moved = false;
    for (int halving = 0; halving < 40; ++halving) {
      Vector next = theta;
      for (int s = 0; s < p; ++s)
        next[static_cast<std::size_t>(s)] += step[static_cast<std::size_t>(s)];
      auto there = at(next);
      if (there && there->log_likelihood >=
                       current->log_likelihood - 1e-12 * std::fabs(current->log_likelihood)) {
        theta = next;
        current = there;
        moved = true;
        break;
      }
      for (double& d : step) d /= 2;
    }
    if (!moved) break;
    double largest_coefficient = 0.0;
    for (const double t : theta) largest_coefficient = std::max(largest_coefficient, std::fabs(t));
    if (largest_step < 1e-10 * (1 + largest_coefficient)) {
      fit.converged = fit.at_bound.empty();
      break;
    }
  }
  fit.estimate = theta;
  fit.log_likelihood = current->log_likelihood;
  if (auto inverse = symmetric_inverse(current->information)) fit.covariance = *inverse;
  return fit;
}

}  // namespace tarn
