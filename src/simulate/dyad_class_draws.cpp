#include "simulate/dyad_class_draws.h"

#include <algorithm>

#include "simulate/binomial_draw.h"
#include "numeric/portable_exp.h"
#include "terms/term_graph.h"

namespace tarn {

namespace {

// The change of each statistic at i->j when j->i is a link, beyond that when it is none: a term
// with a form by node classes reads no more of the network than the reverse link (terms/term.h),
// and a dyad-independent one not even that, so it is asked on a graph of two nodes.
Vector reverse_link_changes(const Model& model) {
  Vector extra(static_cast<std::size_t>(model.parameter_count()), 0.0);
  TermGraph without(2, true), with(2, true);
  with.toggle(2, 1);
  int offset = 0;
  for (const TermPointer& term : model.terms) {
    if (!term->dyad_independent()) {
      Vector before(static_cast<std::size_t>(term->statistic_count()), 0.0), after = before;
      term->add_change(without, 1, 2, before.data());
      term->add_change(with, 1, 2, after.data());
      for (std::size_t s = 0; s < before.size(); ++s) extra[offset + s] = after[s] - before[s];
    }
    offset += term->statistic_count();
  }
  return extra;
}

double dot(const Vector& a, const Vector& b) {
  double sum = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
  return sum;
}

}  // namespace

bool DyadClassDraws::apply(const Study& study) {
  return pair_classes_apply(study);
}

bool draws_exactly(const Study& study, int chains_up_to) {
  // The classes are of every pair of nodes: a sample space's (a two-mode network's) are drawn by
  // chains that keep to it.
  return !study.space && study.node_count() > chains_up_to && DyadClassDraws::apply(study);
}

DyadClassDraws::DyadClassDraws(const Study& study) : statistics_(study.model.parameter_count()) {
  const bool directed = study.directed();
  const Vector extra = directed ? reverse_link_changes(study.model) : Vector{};
  state_links_ = directed ? std::vector<int>{1, 1, 2, 0} : std::vector<int>{1, 0};
  for (const PairClass& pair : pair_classes(study)) {
    StateClass c;
    c.pairs = pair.pairs;
    c.statistics.push_back(pair.forward);
    if (directed) {
      c.statistics.push_back(pair.backward);
      Vector both = pair.forward;
      for (std::size_t k = 0; k < both.size(); ++k) both[k] += pair.backward[k] + extra[k];
      c.statistics.push_back(std::move(both));
    }
    c.statistics.emplace_back(static_cast<std::size_t>(statistics_), 0.0);
    classes_.push_back(std::move(c));
  }
}

std::vector<double> DyadClassDraws::probabilities(const StateClass& c, const Vector& eta) const {
  std::vector<double> weight;
  for (const Vector& s : c.statistics) weight.push_back(dot(eta, s));
  const double top = *std::max_element(weight.begin(), weight.end());
  double total = 0.0;
  for (double& w : weight) total += (w = portable_exp(w - top));
  for (double& w : weight) w /= total;
  return weight;
}

Vector DyadClassDraws::draw(const Vector& eta, RandomStream& random, std::int64_t* links) const {
  Vector statistics(static_cast<std::size_t>(statistics_), 0.0);
  std::int64_t drawn_links = 0;
  for (const StateClass& c : classes_) {
    const std::vector<std::int64_t> counts =
        multinomial_draw(random, c.pairs, probabilities(c, eta));
    for (std::size_t state = 0; state + 1 < counts.size(); ++state) {
      const auto count = static_cast<double>(counts[state]);
      for (int k = 0; k < statistics_; ++k) statistics[k] += count * c.statistics[state][k];
      drawn_links += counts[state] * state_links_[state];
    }
  }
  if (links != nullptr) *links = drawn_links;
  return statistics;
}

Vector DyadClassDraws::mean(const Vector& eta) const {
  Vector mean(static_cast<std::size_t>(statistics_), 0.0);
  for (const StateClass& c : classes_) {
    const std::vector<double> p = probabilities(c, eta);
    const auto pairs = static_cast<double>(c.pairs);
    for (std::size_t state = 0; state < p.size(); ++state) {
      for (int k = 0; k < statistics_; ++k) mean[k] += pairs * p[state] * c.statistics[state][k];
    }
  }
  return mean;
}

// Per pair, E[s s'] - E[s] E[s'] over its states, times the class's pairs.
Matrix DyadClassDraws::covariance(const Vector& eta) const {
  Matrix covariance(statistics_, statistics_);
  for (const StateClass& c : classes_) {
    const std::vector<double> p = probabilities(c, eta);
    Vector pair_mean(static_cast<std::size_t>(statistics_), 0.0);
    for (std::size_t state = 0; state < p.size(); ++state) {
      for (int k = 0; k < statistics_; ++k) pair_mean[k] += p[state] * c.statistics[state][k];
    }
    const auto pairs = static_cast<double>(c.pairs);
    for (int a = 0; a < statistics_; ++a) {
      for (int b = 0; b < statistics_; ++b) {
        double second = 0.0;
        for (std::size_t state = 0; state < p.size(); ++state) {
          second += p[state] * c.statistics[state][a] * c.statistics[state][b];
        }
        covariance(a, b) += pairs * (second - pair_mean[a] * pair_mean[b]);
      }
    }
  }
  return covariance;
}

}  // namespace tarn
