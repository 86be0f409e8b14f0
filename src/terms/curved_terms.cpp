#include "terms/curved_terms.h"

#include <algorithm>
#include <cmath>

namespace tarn {

// 1 - r^k as -expm1(k log r), exact to rounding for any decay: for a large decay r rounds to 1
// while 1 - r^k is about k e^-a.
void curved_weights(double theta, double decay, std::vector<double>& eta) {
  const double log_r = std::log1p(-std::exp(-decay));
  const double e = std::exp(decay);
  for (std::size_t k = 1; k <= eta.size(); ++k) {
    eta[k - 1] = theta * e * -std::expm1(static_cast<double>(k) * log_r);
  }
}

void curved_weight_gradient(double theta, double decay, std::vector<double>& by_theta,
                            std::vector<double>& by_decay) {
  // d/da e^a (1 - r^k) = e^a (1 - r^k) - k r^(k-1), since dr/da = e^-a.
  const double log_r = std::log1p(-std::exp(-decay));
  const double e = std::exp(decay);
  for (std::size_t k = 1; k <= by_theta.size(); ++k) {
    const double weight = e * -std::expm1(static_cast<double>(k) * log_r);
    const double below = k == 1 ? 1.0 : std::exp(static_cast<double>(k - 1) * log_r);
    by_theta[k - 1] = weight;
    by_decay[k - 1] = theta * (weight - static_cast<double>(k) * below);
  }
}

Decay decay_of(const TermArguments& arguments) {
  Decay decay;
  decay.fixed = arguments.logical("fixed", false);
  decay.value = decay.fixed ? arguments.number("decay") : arguments.number("decay", 0.5);
  if (!(decay.value >= 0.0) || decay.value > 50.0) {
    arguments.fail("decay", "give a number from 0 to 50");
  }
  return decay;
}

int cutoff_of(const TermArguments& arguments, int most) {
  const double cutoff = arguments.number("cutoff", 30.0);
  if (!(cutoff >= 1.0) || cutoff != std::floor(cutoff) || cutoff > 1000.0) {
    arguments.fail("cutoff", "give a whole number from 1 to 1000");
  }
  return std::max(1, std::min(static_cast<int>(cutoff), most));
}

namespace {

// What the curved terms share: two coefficients mapped to K canonical parameters.
class CurvedCounts : public Term {
 public:
  bool weighs_geometrically() const override { return true; }
  explicit CurvedCounts(CurvedTermParts parts)
      : Term(parts.text, parts.statistic_names),
        weight_name_(parts.weight_name),
        start_decay_(parts.start_decay),
        fixed_(std::move(parts.fixed)),
        cutoff_(static_cast<int>(parts.statistic_names.size())) {}

  bool dyad_independent() const override { return false; }
  bool curved() const override { return true; }
  int coefficient_count() const override { return 2; }
  int decay_coefficient() const override { return 1; }  // weight, decay
  std::vector<std::string> coefficient_names() const override {
    return {weight_name_, weight_name_ + ".decay"};
  }
  void canonical(const double* coefficients, double* eta) const override {
    std::vector<double> values(static_cast<std::size_t>(cutoff_));
    curved_weights(coefficients[0], coefficients[1], values);
    for (int k = 0; k < cutoff_; ++k) eta[k] = values[static_cast<std::size_t>(k)];
  }
  void canonical_jacobian(const double* coefficients, double* jacobian) const override {
    std::vector<double> by_theta(static_cast<std::size_t>(cutoff_)), by_decay(by_theta.size());
    curved_weight_gradient(coefficients[0], coefficients[1], by_theta, by_decay);
    for (int k = 0; k < cutoff_; ++k) {
      jacobian[2 * k] = by_theta[static_cast<std::size_t>(k)];
      jacobian[2 * k + 1] = by_decay[static_cast<std::size_t>(k)];
    }
  }
  double least_coefficient(int c) const override {
    return c == 1 ? 0.0 : Term::least_coefficient(c);
  }
  TermPointer fixed_at(const double* coefficients) const override {
    return fixed_(coefficients[1]);
  }
  void start_coefficients(const double* fixed_estimate, double* coefficients) const override {
    coefficients[0] = fixed_estimate[0];
    coefficients[1] = start_decay_;
  }

 protected:
  int cutoff() const { return cutoff_; }
  // A count moving from `from` to from + 1, `times` over: the bins 1..K change.
  void shift(double* out, int from, int times) const {
    if (from >= 1 && from <= cutoff_) out[from - 1] -= times;
    if (from + 1 <= cutoff_) out[from] += times;
  }
  void count(double* out, int value, int sign = 1) const {
    if (value >= 1 && value <= cutoff_) out[value - 1] += sign;
  }

 private:
  std::string weight_name_;
  double start_decay_;
  std::function<TermPointer(double)> fixed_;
  int cutoff_;
};

class CurvedPartnerCounts final : public CurvedCounts {
 public:
  CurvedPartnerCounts(CurvedTermParts parts, PartnerType type, PartnerSum sum)
      : CurvedCounts(std::move(parts)), type_(type), sum_(sum) {}

  PartnerTables partner_tables() const override { return tables_for(type_); }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    for (int k = 0; k < cutoff(); ++k) out[k] = 0.0;
    partner_count_changes(
        g, sum_, type_, i, j, [&](int value, int sign) { count(out, value, sign); },
        [&](int from, int times) { shift(out, from, times); });
  }

  void network_statistics(const TermGraph& g, double* out) const override {
    for (int k = 0; k < cutoff(); ++k) out[k] = 0.0;
    for_each_partner_count(g, sum_, type_,
                           [&](int value, int sign, bool) { count(out, value, sign); });
  }

  int beyond_cutoff(const TermGraph& g) const override {
    int beyond = 0;
    for_each_partner_count(
        g, sum_, type_, [&](int value, int sign, bool) { beyond += value > cutoff() ? sign : 0; });
    return beyond;
  }

 private:
  PartnerType type_;
  PartnerSum sum_;
};

class CurvedDegreeCounts final : public CurvedCounts {
 public:
  CurvedDegreeCounts(CurvedTermParts parts, DegreeSide side)
      : CurvedCounts(std::move(parts)), side_(side) {}
  DegreeFunction degree_function() const override {
    return {side_ != DegreeSide::in, side_ == DegreeSide::in, false};
  }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    for (int k = 0; k < cutoff(); ++k) out[k] = 0.0;
    const int x = g.tie(i, j);
    switch (side_) {
      case DegreeSide::in:
        shift(out, g.in(j)-x, 1);
        break;
      case DegreeSide::out:
        shift(out, g.out(i) - x, 1);
        break;
      case DegreeSide::undirected:
        shift(out, g.degree(i) - x, 1);
        shift(out, g.degree(j) - x, 1);
        break;
    }
  }

  void network_statistics(const TermGraph& g, double* out) const override {
    for (int k = 0; k < cutoff(); ++k) out[k] = 0.0;
    for (int a = 1; a <= g.node_count(); ++a) count(out, degree(g, a));
  }

  int beyond_cutoff(const TermGraph& g) const override {
    int beyond = 0;
    for (int a = 1; a <= g.node_count(); ++a) beyond += degree(g, a) > cutoff() ? 1 : 0;
    return beyond;
  }

 private:
  int degree(const TermGraph& g, int a) const {
    return side_ == DegreeSide::in ? g.in(a) : g.out(a);  // undirected: out(a) is the degree
  }

  DegreeSide side_;
};

// The counts of a linear term, weighted.
class CurvedFromCounts final : public CurvedCounts {
 public:
  CurvedFromCounts(CurvedTermParts parts, TermPointer counts,
                   std::function<int(const TermGraph&)> beyond)
      : CurvedCounts(std::move(parts)), counts_(std::move(counts)), beyond_(std::move(beyond)) {}

  PartnerTables partner_tables() const override { return counts_->partner_tables(); }
  DegreeFunction degree_function() const override { return counts_->degree_function(); }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    counts_->add_change(g, i, j, out);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    counts_->sender_changes(g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    counts_->network_statistics(g, out);
  }
  int beyond_cutoff(const TermGraph& g) const override { return beyond_(g); }

 private:
  TermPointer counts_;
  std::function<int(const TermGraph&)> beyond_;
};

}  // namespace

TermPointer make_curved_from_counts(CurvedTermParts parts, TermPointer counts,
                                    std::function<int(const TermGraph&)> beyond) {
  return std::make_shared<CurvedFromCounts>(std::move(parts), std::move(counts), std::move(beyond));
}

TermPointer make_curved_partner_counts(CurvedTermParts parts, PartnerType type, PartnerSum sum) {
  return std::make_shared<CurvedPartnerCounts>(std::move(parts), type, sum);
}

TermPointer make_curved_degree_counts(CurvedTermParts parts, DegreeSide side) {
  return std::make_shared<CurvedDegreeCounts>(std::move(parts), side);
}

}  // namespace tarn
