#include "mple/case_control.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_map>

#include "model/sample_space.h"
#include "mple/fit_passes.h"
#include "mple/pseudo_likelihood.h"
#include "network/setting_error.h"
#include "numeric/param_algebra.h"

namespace tarn {

namespace {

// Senders per chunk of the links and of the empty dyads.
constexpr int senders_per_chunk = 256;

// Rows counted by their bytes (response, then statistics; one zero for +-0).
class RowCounts {
 public:
  explicit RowCounts(int m) : m_(m), key_(1 + sizeof(double) * static_cast<std::size_t>(m), '\0') {}

  void add(const double* x, bool y, std::int64_t count) {
    key_[0] = y ? '\1' : '\0';
    for (int k = 0; k < m_; ++k) {
      const double v = x[k] == 0.0 ? 0.0 : x[k];
      std::memcpy(key_.data() + 1 + sizeof(double) * static_cast<std::size_t>(k), &v, sizeof v);
    }
    counts_[key_] += count;
  }

  void merge(const RowCounts& other) {
    for (const auto& [key, count] : other.counts_) counts_[key] += count;
  }

  // In ascending order of (response, statistics), as dyad_class_rows gives them.
  DyadClassRows sorted() const {
    std::vector<const std::pair<const std::string, std::int64_t>*> all;
    for (const auto& entry : counts_) all.push_back(&entry);
    auto statistic = [](const std::string& key, int k) {
      double v = 0.0;
      std::memcpy(&v, key.data() + 1 + sizeof(double) * static_cast<std::size_t>(k), sizeof v);
      return v;
    };
    std::sort(all.begin(), all.end(), [&](const auto* a, const auto* b) {
      if (a->first[0] != b->first[0]) return a->first[0] < b->first[0];
      for (int k = 0; k < m_; ++k) {
        const double u = statistic(a->first, k), v = statistic(b->first, k);
        if (u != v) return u < v;
      }
      return false;
    });
    DyadClassRows rows;
    rows.m = m_;
    for (const auto* entry : all) {
      for (int k = 0; k < m_; ++k) rows.x.push_back(statistic(entry->first, k));
      rows.y.push_back(entry->first[0]);
      rows.count.push_back(entry->second);
    }
    return rows;
  }

 private:
  int m_;
  std::string key_;
  std::unordered_map<std::string, std::int64_t> counts_;
};

void change_statistics(const Model& model, const TermGraph& graph, int i, int j, double* x) {
  int offset = 0;
  for (const TermPointer& term : model.terms) {
    term->add_change(graph, i, j, x + offset);
    offset += term->statistic_count();
  }
}

bool included(const Study& study, int i, int j) {
  if (i == j) return study.directed() && study.include_diagonal;
  if (study.space && !study.space->free(i, j)) return false;
  return study.directed() || i < j;
}

// The dyads that vary: those the sample space leaves free, or every dyad.
std::int64_t varying_dyad_count(const Study& study) {
  if (study.space && study.space->restricts_dyads()) {
    return study.space->free_dyad_count();
  }
  return study.dyad_count();
}

// The chunks of senders 1..n.
std::int64_t sender_chunks(const Study& study) {
  return (study.node_count() + senders_per_chunk - 1) / senders_per_chunk;
}

template <class PerSender>
void for_senders_of_chunk(const Study& study, std::int64_t chunk, PerSender&& per_sender) {
  const auto first = static_cast<int>(chunk * senders_per_chunk) + 1;
  const int last = std::min(study.node_count(), first + senders_per_chunk - 1);
  for (int i = first; i <= last; ++i) per_sender(i);
}

DyadChunks linked_dyads(const Study& study, const TermGraph& graph) {
  return {sender_chunks(study),
          [&study, &graph](std::int64_t chunk, std::vector<std::pair<int, int>>& dyads) {
            dyads.clear();
            for_senders_of_chunk(study, chunk, [&](int i) {
              graph.for_each_receiver(i, [&](int j) {
                if (included(study, i, j)) dyads.emplace_back(i, j);
              });
            });
          }};
}

// Counts the rows of every chunk's dyads, with response y, into `out`: each thread counts its
// own and the counts are added after.
void count_rows(const Study& study, const TermGraph& graph, const DyadChunks& chunks, bool y,
                int threads, RowCounts& out) {
  const int m = study.model.parameter_count();
  std::atomic<std::int64_t> next{0};
  std::vector<RowCounts> counted(static_cast<std::size_t>(std::max(threads, 1)), RowCounts(m));
  std::vector<std::exception_ptr> failures(counted.size());
  auto work = [&](std::size_t t) {
    try {
      std::vector<std::pair<int, int>> dyads;
      std::vector<double> x(static_cast<std::size_t>(std::max(m, 1)));
      for (std::int64_t c = next++; c < chunks.count; c = next++) {
        chunks.fill(c, dyads);
        for (const auto& [i, j] : dyads) {
          change_statistics(study.model, graph, i, j, x.data());
          counted[t].add(x.data(), y, 1);
        }
      }
    } catch (...) {
      failures[t] = std::current_exception();
      next = chunks.count;
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < counted.size(); ++t) pool.emplace_back(work, t);
  work(0);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  for (const RowCounts& c : counted) out.merge(c);
}

}  // namespace

std::int64_t linked_dyad_count(const Study& study, const TermGraph& graph) {
  std::int64_t count = 0;
  for (int i = 1; i <= study.node_count(); ++i) {
    graph.for_each_receiver(i, [&](int j) { count += included(study, i, j) ? 1 : 0; });
  }
  return count;
}

DyadChunks every_empty_dyad(const Study& study, const TermGraph& graph) {
  return {sender_chunks(study),
          [&study, &graph](std::int64_t chunk, std::vector<std::pair<int, int>>& dyads) {
            dyads.clear();
            const int n = study.node_count();
            for_senders_of_chunk(study, chunk, [&](int i) {
              for (int j = 1; j <= n; ++j) {
                if (included(study, i, j) && !graph.has_link(i, j)) dyads.emplace_back(i, j);
              }
            });
          }};
}

CaseControlRows case_control_rows(const Study& study, const TermGraph& graph,
                                  const DyadChunks& controls, bool every_empty, int threads) {
  CaseControlRows result;
  RowCounts counts(study.model.parameter_count());
  count_rows(study, graph, linked_dyads(study, graph), true, threads, counts);
  count_rows(study, graph, controls, false, threads, counts);
  result.rows = counts.sorted();
  for (std::size_t r = 0; r < result.rows.size(); ++r) {
    (result.rows.y[r] != 0 ? result.linked_dyads : result.controls) += result.rows.count[r];
  }
  result.empty_dyads = varying_dyad_count(study) - result.linked_dyads;
  result.every_empty_dyad = every_empty;
  return result;
}

namespace {

constexpr double upper_clamp = 0.99;
constexpr double lower_clamp = 0.01;

// The dyads row r stands for.
double weight_of(const CaseControlRows& s, std::size_t r) {
  const auto count = static_cast<double>(s.rows.count[r]);
  return s.rows.y[r] != 0 ? count : count * s.control_weight();
}

// The weighted rows' sums for the passes of fit_passes.h. With every empty dyad each weight is 1
// and the passes are the sweep's; with a sample the start's lower clamp is a tenth of the density
// on a sparse network (as the fit by dyad classes takes it).
class CaseControlSums final : public FitSums {
 public:
  CaseControlSums(const CaseControlRows& rows, double density) : s_(rows), density_(density) {}

  double totals(ParamVector& xty, ParamMatrix& xsq) override {
    for (std::size_t r = 0; r < s_.rows.size(); ++r) {
      const double c = weight_of(s_, r);
      add_weighted_row(s_.rows.row(r), s_.rows.m, s_.rows.y[r] != 0 ? c : 0.0, c, &xty, &xsq);
    }
    return static_cast<double>(s_.linked_dyads);
  }

  void logit_sums(const ParamVector& ols, ParamVector& logit_xsum) override {
    const int m = s_.rows.m;
    const double lower = density_ < 0.001 && !s_.every_empty_dyad ? density_ / 10.0 : lower_clamp;
    for (std::size_t r = 0; r < s_.rows.size(); ++r) {
      const double prediction =
          std::clamp(dot_product(s_.rows.row(r), ols.base(), m), lower, upper_clamp);
      const double logit = std::log(prediction / (1.0 - prediction));
      add_weighted_row(s_.rows.row(r), m, weight_of(s_, r) * logit, 0.0, &logit_xsum, nullptr);
    }
  }

  // See newton_sums in pseudo_likelihood.cpp for the limits.
  std::int64_t newton_sums(int, const ParamVector& at, ParamVector& wz_sum, ParamMatrix& wxsq,
                           double* log_terms) override {
    const int m = s_.rows.m;
    std::int64_t zero_weight = 0;
    for (std::size_t r = 0; r < s_.rows.size(); ++r) {
      if (add_newton_row(s_.rows.row(r), m, weight_of(s_, r), s_.rows.y[r] != 0 ? 1 : 0, at, wz_sum,
                         wxsq, log_terms)) {
        zero_weight += s_.rows.count[r];
      }
    }
    return zero_weight;
  }

  // Weighted sums: the classification is rounded from the weighted counts.
  FinalPassSums final_sums(const ParamVector& estimate, ParamMatrix& wxsq) override {
    const int m = s_.rows.m;
    FinalPassSums sums;
    double classified[2][2] = {{0.0, 0.0}, {0.0, 0.0}};
    for (std::size_t r = 0; r < s_.rows.size(); ++r) {
      const double c = weight_of(s_, r);
      const int y = s_.rows.y[r] != 0 ? 1 : 0;
      const double p =
          add_final_row(s_.rows.row(r), m, c, s_.rows.count[r], y, estimate, sums, wxsq);
      classified[y][static_cast<int>(p + 0.5) != 0 ? 1 : 0] += c;
    }
    for (int o = 0; o < 2; ++o) {
      for (int q = 0; q < 2; ++q) sums.class_table[o][q] = std::llround(classified[o][q]);
    }
    return sums;
  }

 private:
  const CaseControlRows& s_;
  double density_;
};

}  // namespace

FitResult fit_case_control(const Study& study, const CaseControlRows& s) {
  const std::int64_t dyads = varying_dyad_count(study);
  CaseControlSums sums(s, static_cast<double>(s.linked_dyads) / static_cast<double>(dyads));
  FitPlan plan;
  plan.parameters = s.rows.m;
  plan.dyad_count = dyads;
  plan.estimate_bound = study.estimate_bound;
  plan.until_settled = study.newton_until_settled;
  return fit_by_passes(sums, plan);
}

ParamMatrix control_sampling_covariance(const CaseControlRows& s, const FitResult& fit) {
  const int m = s.rows.m;
  ParamMatrix result(m);
  if (s.every_empty_dyad || s.controls < 2) return result;
  // The controls' score contributions (0 - p) x: their mean, then their sample covariance.
  auto contribution = [&](std::size_t r, double* u) {
    const double* x = s.rows.row(r);
    const double p = 1.0 / (1.0 + std::exp(-dot_product(x, fit.estimate.base(), m)));
    for (int k = 0; k < m; ++k) u[k] = -p * x[k];
  };
  std::vector<double> mean(static_cast<std::size_t>(m), 0.0), u(mean.size());
  const auto controls = static_cast<double>(s.controls);
  for (std::size_t r = 0; r < s.rows.size(); ++r) {
    if (s.rows.y[r] != 0) continue;
    contribution(r, u.data());
    for (int k = 0; k < m; ++k) mean[k] += static_cast<double>(s.rows.count[r]) * u[k] / controls;
  }
  ParamMatrix spread(m);
  for (std::size_t r = 0; r < s.rows.size(); ++r) {
    if (s.rows.y[r] != 0) continue;
    contribution(r, u.data());
    for (int k = 0; k < m; ++k) u[k] -= mean[k];
    add_weighted_row(u.data(), m, 0.0, static_cast<double>(s.rows.count[r]), nullptr, &spread);
  }
  // The sum of `controls` draws, each weighted: weight^2 * controls * covariance.
  const double w = s.control_weight();
  const double scale = w * w * controls / (controls - 1.0);
  for (int k = 1; k <= m; ++k) {
    for (int l = 1; l <= m; ++l) {
      double sum = 0.0;
      for (int a = 1; a <= m; ++a) {
        for (int b = 1; b <= m; ++b)
          sum += fit.covariance(k, a) * spread(a, b) * fit.covariance(b, l);
      }
      result(k, l) = scale * sum;
    }
  }
  return result;
}

bool fixes_dyads(const Study& study) {
  return study.space != nullptr && study.space->restricts_dyads();
}

CaseControlRows free_dyad_rows(const Study& study) {
  // With offsets the pseudo-likelihood sweeps the free dyads itself (mple/offset_fit.h).
  if (study.model.has_offsets()) {
    throw std::logic_error("free_dyad_rows: the rows of a model with offsets are offset_rows'");
  }
  const TermGraph graph = study.graph();
  return case_control_rows(study, graph, every_empty_dyad(study, graph), true, 1);
}

}  // namespace tarn
