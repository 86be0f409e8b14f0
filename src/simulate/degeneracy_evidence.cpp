#include "simulate/degeneracy_evidence.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarn {

namespace {

double spread_of(const std::vector<std::int64_t>& sorted, std::size_t from, std::size_t to) {
  const auto count = static_cast<double>(to - from);
  double mean = 0.0;
  for (std::size_t k = from; k < to; ++k) mean += static_cast<double>(sorted[k]);
  mean /= count;
  double squares = 0.0;
  for (std::size_t k = from; k < to; ++k) {
    squares += (static_cast<double>(sorted[k]) - mean) * (static_cast<double>(sorted[k]) - mean);
  }
  return std::sqrt(squares / count);
}

double mean_of(const std::vector<std::int64_t>& sorted, std::size_t from, std::size_t to) {
  double sum = 0.0;
  for (std::size_t k = from; k < to; ++k) sum += static_cast<double>(sorted[k]);
  return sum / static_cast<double>(to - from);
}

// The split of the sorted counts into [0, s) and [s, n) with the least spread within the groups
// (Otsu's threshold), by prefix sums.
std::size_t least_spread_split(const std::vector<std::int64_t>& sorted) {
  const std::size_t n = sorted.size();
  std::vector<double> sums(n + 1, 0.0), squares(n + 1, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    const auto v = static_cast<double>(sorted[k]);
    sums[k + 1] = sums[k] + v;
    squares[k + 1] = squares[k] + v * v;
  }
  const auto within = [&](std::size_t from, std::size_t to) {
    const auto count = static_cast<double>(to - from);
    const double s = sums[to] - sums[from];
    return squares[to] - squares[from] - s * s / count;
  };
  std::size_t best = 1;
  double least = within(0, 1) + within(1, n);
  for (std::size_t s = 2; s < n; ++s) {
    const double w = within(0, s) + within(s, n);
    if (w < least) {
      least = w;
      best = s;
    }
  }
  return best;
}

// A mixture of two normal distributions fitted by EM, and whether it shows two modes.
struct TwoNormals {
  double mean[2] = {0.0, 0.0}, variance[2] = {1.0, 1.0}, weight[2] = {0.5, 0.5};
  bool bimodal = false;
};

double normal_density(double x, double mean, double variance) {
  return std::exp(-0.5 * (x - mean) * (x - mean) / variance) /
         std::sqrt(2.0 * std::numbers::pi * variance);
}

// The start of EM: the two groups of the least-spread split.
TwoNormals split_start(const std::vector<std::int64_t>& sorted, double least_variance) {
  const std::size_t n = sorted.size();
  const std::size_t split = least_spread_split(sorted);
  TwoNormals m;
  m.mean[0] = mean_of(sorted, 0, split);
  m.mean[1] = mean_of(sorted, split, n);
  m.variance[0] = std::max(least_variance, std::pow(spread_of(sorted, 0, split), 2.0));
  m.variance[1] = std::max(least_variance, std::pow(spread_of(sorted, split, n), 2.0));
  m.weight[0] = static_cast<double>(split) / static_cast<double>(n);
  m.weight[1] = 1.0 - m.weight[0];
  return m;
}

// EM from `m` until the log-likelihood settles (or 100 steps); returns the log-likelihood of the
// last step's start. The lower part is part 0.
double fit_by_em(const std::vector<std::int64_t>& sorted, double least_variance, TwoNormals& m) {
  const std::size_t n = sorted.size();
  double log_likelihood = 0.0;
  std::vector<double> lower(n);
  for (int iteration = 0; iteration < 100; ++iteration) {
    double sums[2] = {0.0, 0.0}, firsts[2] = {0.0, 0.0}, seconds[2] = {0.0, 0.0};
    double total = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      const auto x = static_cast<double>(sorted[k]);
      const double a = m.weight[0] * normal_density(x, m.mean[0], m.variance[0]);
      const double b = m.weight[1] * normal_density(x, m.mean[1], m.variance[1]);
      const double both = std::max(a + b, 1e-300);
      total += std::log(both);
      lower[k] = a / both;
      sums[0] += lower[k];
      firsts[0] += lower[k] * x;
      sums[1] += 1.0 - lower[k];
      firsts[1] += (1.0 - lower[k]) * x;
    }
    if (sums[0] < 1e-9 || sums[1] < 1e-9) break;
    for (int c = 0; c < 2; ++c) m.mean[c] = firsts[c] / sums[c];
    for (std::size_t k = 0; k < n; ++k) {
      const auto x = static_cast<double>(sorted[k]);
      seconds[0] += lower[k] * (x - m.mean[0]) * (x - m.mean[0]);
      seconds[1] += (1.0 - lower[k]) * (x - m.mean[1]) * (x - m.mean[1]);
    }
    for (int c = 0; c < 2; ++c) {
      m.variance[c] = std::max(least_variance, seconds[c] / sums[c]);
      m.weight[c] = sums[c] / static_cast<double>(n);
    }
    const bool settled =
        iteration > 0 && std::fabs(total - log_likelihood) < 1e-7 * std::fabs(total);
    log_likelihood = total;
    if (settled) break;
  }
  if (m.mean[0] > m.mean[1]) {
    std::swap(m.mean[0], m.mean[1]);
    std::swap(m.variance[0], m.variance[1]);
    std::swap(m.weight[0], m.weight[1]);
  }
  return log_likelihood;
}

// The mixture's density has a valley between the two means deeper than half its lower peak.
bool has_deep_valley(const TwoNormals& m) {
  const auto density = [&m](double x) {
    return m.weight[0] * normal_density(x, m.mean[0], m.variance[0]) +
           m.weight[1] * normal_density(x, m.mean[1], m.variance[1]);
  };
  double valley = density(m.mean[0]), peak0 = 0.0, peak1 = 0.0;
  constexpr int points = 400;
  int valley_at = 0;
  for (int k = 0; k <= points; ++k) {
    const double f = density(m.mean[0] + (m.mean[1] - m.mean[0]) * k / points);
    if (f < valley) {
      valley = f;
      valley_at = k;
    }
  }
  for (int k = 0; k <= points; ++k) {
    const double f = density(m.mean[0] + (m.mean[1] - m.mean[0]) * k / points);
    if (k <= valley_at) peak0 = std::max(peak0, f);
    if (k >= valley_at) peak1 = std::max(peak1, f);
  }
  return valley_at > 0 && valley_at < points && valley < 0.5 * std::min(peak0, peak1);
}

TwoNormals two_normals(const std::vector<std::int64_t>& sorted) {
  const std::size_t n = sorted.size();
  const double overall_mean = mean_of(sorted, 0, n);
  const double overall_variance = std::pow(spread_of(sorted, 0, n), 2.0);
  // Counts are whole numbers: no part narrower than a quarter (a part on one value would have a
  // likelihood without bound).
  const double least_variance = std::max(0.25, 1e-6 * overall_variance);
  TwoNormals m = split_start(sorted, least_variance);
  const double log_likelihood = fit_by_em(sorted, least_variance, m);
  // One normal distribution against two, by BIC (2 parameters against 5).
  double one = 0.0;
  const double v1 = std::max(least_variance, overall_variance);
  for (std::int64_t l : sorted) one += std::log(normal_density(double(l), overall_mean, v1));
  const double log_n = std::log(static_cast<double>(n));
  const bool better = -2.0 * log_likelihood + 5.0 * log_n < -2.0 * one + 2.0 * log_n;
  // Well apart, as Ashman's D measures it (above 2 the parts no longer overlap much); a small
  // sample splits apart by chance, so it must lie further apart (D 7.5 for 20 draws, 5 for 100,
  // 3.6 for 1000).
  const double separation =
      std::sqrt(2.0) * (m.mean[1] - m.mean[0]) / std::sqrt(m.variance[0] + m.variance[1]);
  const double apart = 3.0 + 20.0 / std::sqrt(static_cast<double>(n));
  if (!better || std::min(m.weight[0], m.weight[1]) < 0.01 || separation < apart) return m;
  m.bimodal = has_deep_valley(m);
  return m;
}

}  // namespace

const char* DrawEvidence::kind() const {
  if (piled_near_empty()) return "pile_near_empty";
  if (piled_near_full()) return "pile_near_full";
  if (two_modes) return "two_modes";
  return "";
}

DrawEvidence draw_evidence(const std::vector<std::int64_t>& links, std::int64_t observed_links,
                           std::int64_t dyads) {
  DrawEvidence e;
  e.networks = static_cast<int>(links.size());
  e.observed_links = observed_links;
  e.dyads = dyads;
  if (links.empty()) return e;
  std::vector<std::int64_t> sorted = links;
  std::sort(sorted.begin(), sorted.end());
  const std::size_t n = sorted.size();
  e.least_links = sorted.front();
  e.most_links = sorted.back();
  e.mean_links = mean_of(sorted, 0, n);
  e.sd_links = n > 1 ? spread_of(sorted, 0, n) * std::sqrt(double(n) / double(n - 1)) : 0.0;
  int near_empty = 0, near_full = 0;
  double empty_side = 0.0, full_side = 0.0;
  for (std::int64_t l : sorted) {
    const std::int64_t to_observed = l > observed_links ? l - observed_links : observed_links - l;
    if (l < to_observed) {
      ++near_empty;
      empty_side += static_cast<double>(l);
    } else if (dyads - l < to_observed) {
      ++near_full;
      full_side += static_cast<double>(l);
    }
  }
  e.share_near_empty = near_empty / static_cast<double>(n);
  e.share_near_full = near_full / static_cast<double>(n);
  if (!e.piled_near_empty() && !e.piled_near_full() &&
      e.share_near_empty + e.share_near_full > 0.5 && near_empty > 0 && near_full > 0) {
    // Most of the draws nearer one end or the other than the observed network: split between them.
    e.two_modes = true;
    e.lower_mode_links = empty_side / near_empty;
    e.upper_mode_links = full_side / near_full;
    e.lower_mode_share = static_cast<double>(near_empty) / (near_empty + near_full);
  } else if (n >= 20 && sorted.front() < sorted.back()) {
    const TwoNormals mixture = two_normals(sorted);
    e.lower_mode_links = mixture.mean[0];
    e.upper_mode_links = mixture.mean[1];
    e.lower_mode_share = mixture.weight[0];
    e.two_modes = mixture.bimodal;
  }
  return e;
}

bool ModeProbe::second_mode() const {
  if (filled) return true;
  if (networks == 0 || moving) return false;
  if (from_empty) return 2 * late_most_links < observed_links;
  return dyads - late_least_links < late_least_links - observed_links;
}

ModeProbe mode_probe(const std::vector<std::int64_t>& links, bool from_empty,
                     std::int64_t start_links, std::int64_t observed_links, std::int64_t dyads) {
  ModeProbe probe;
  probe.from_empty = from_empty;
  probe.start_links = start_links;
  probe.observed_links = observed_links;
  probe.dyads = dyads;
  const int length = static_cast<int>(links.size());
  if (length < 4) return probe;
  probe.networks = length;
  double late = 0.0, third = 0.0, last = 0.0;
  int third_count = 0, last_count = 0;
  probe.late_least_links = links[std::size_t(length / 2)];
  for (int k = length / 2; k < length; ++k) {
    const std::int64_t l = links[std::size_t(k)];
    late += static_cast<double>(l);
    probe.late_least_links = std::min(probe.late_least_links, l);
    probe.late_most_links = std::max(probe.late_most_links, l);
    if (k < 3 * length / 4) {
      third += static_cast<double>(l);
      ++third_count;
    } else {
      last += static_cast<double>(l);
      ++last_count;
    }
  }
  probe.late_mean_links = late / (length - length / 2);
  const double change = last / last_count - third / third_count;
  const double towards_observed = from_empty ? change : -change;
  probe.moving = towards_observed > observed_links / 20.0;
  return probe;
}

Warning evidence_warning(const char* code, const DrawEvidence& e) {
  Warning w{code};
  w.add_text("kind", e.kind())
      .add_count("networks", e.networks)
      .add_count("observed_links", e.observed_links)
      .add_count("dyads", e.dyads)
      .add_number("mean_links", e.mean_links)
      .add_number("sd_links", e.sd_links)
      .add_count("least_links", e.least_links)
      .add_count("most_links", e.most_links)
      .add_number("share_near_empty", e.share_near_empty)
      .add_number("share_near_full", e.share_near_full);
  if (e.two_modes) {
    w.add_number("lower_mode_links", e.lower_mode_links)
        .add_number("upper_mode_links", e.upper_mode_links)
        .add_number("lower_mode_share", e.lower_mode_share);
  }
  return w;
}

}  // namespace tarn
