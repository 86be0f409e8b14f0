#include "fit/dyad_classes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

#include "fit/newton.h"
#include "network/usage_error.h"
#include "numeric/gaussj.h"

namespace tarn {

namespace {

constexpr int most_match_keys = 6;
// Entries of the table of class pairs and match patterns.
constexpr std::int64_t largest_class_table = std::int64_t{1} << 24;

std::uint64_t pair_key(int a, int b) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
         static_cast<std::uint32_t>(b);
}

// Numbers the distinct pairs (previous class, value) of the nodes 0, 1, 2, ... in order of first
// appearance.
std::vector<int> refine(const std::vector<int>& classes, const std::vector<int>& values,
                        int& count) {
  std::unordered_map<std::uint64_t, int> id;
  std::vector<int> refined(classes.size());
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const auto [at, added] =
        id.emplace(pair_key(classes[i], values[i]), static_cast<int>(id.size()));
    refined[i] = at->second;
  }
  count = static_cast<int>(id.size());
  return refined;
}

// The rows as they are gathered: keyed by their bytes (response, then statistics).
class RowTable {
 public:
  explicit RowTable(int m) : m_(m), key_(sizeof(double) * static_cast<std::size_t>(m) + 1, '\0') {}

  void add(const double* x, bool y, std::int64_t count) {
    if (count == 0) return;
    key_[0] = y ? '\1' : '\0';
    for (int k = 0; k < m_; ++k) {
      const double v = x[k] == 0.0 ? 0.0 : x[k];  // one zero
      std::memcpy(key_.data() + 1 + sizeof(double) * static_cast<std::size_t>(k), &v, sizeof v);
    }
    counts_[key_] += count;
  }

  DyadClassRows rows() const {
    std::vector<std::pair<std::vector<double>, std::pair<char, std::int64_t>>> all;
    for (const auto& [key, count] : counts_) {
      std::vector<double> x(static_cast<std::size_t>(m_));
      std::memcpy(x.data(), key.data() + 1, sizeof(double) * x.size());
      all.push_back({std::move(x), {key[0], count}});
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
      if (a.second.first != b.second.first) return a.second.first < b.second.first;
      return a.first < b.first;
    });
    DyadClassRows rows;
    rows.m = m_;
    for (const auto& [x, yc] : all) {
      rows.x.insert(rows.x.end(), x.begin(), x.end());
      rows.y.push_back(yc.first);
      rows.count.push_back(yc.second);
    }
    return rows;
  }

 private:
  int m_;
  std::string key_;
  std::unordered_map<std::string, std::int64_t> counts_;
};

struct Forms {
  std::vector<NodeClassForm> of_term;
  const Term* without = nullptr;  // the first term without a form
};

Forms forms_of(const Model& model) {
  Forms forms;
  for (const TermPointer& term : model.terms) {
    std::optional<NodeClassForm> form = term->node_class_form();
    if (!form) {
      if (forms.without == nullptr) forms.without = term.get();
      forms.of_term.emplace_back();
      continue;
    }
    forms.of_term.push_back(std::move(*form));
  }
  return forms;
}

}  // namespace

bool fits_by_dyad_classes(const Study& study) {
  if (study.node_count() <= dense_fit_nodes || study.include_diagonal) return false;
  for (const TermPointer& term : study.model.terms) {
    if (!term->node_class_form()) return false;
  }
  return true;
}

void check_sweep_size(const Study& study) {
  if (study.dyad_count() <= largest_sweep || fits_by_dyad_classes(study)) return;
  std::string term;
  for (const TermPointer& t : study.model.terms) {
    if (!t->node_class_form()) {
      term = t->text();
      break;
    }
  }
  throw UsageError("the pseudo-likelihood of a network of " + std::to_string(study.node_count()) +
                   " nodes sweeps " + std::to_string(study.dyad_count()) +
                   " dyads; a network that large is fitted by classes of dyads, for models of "
                   "edges, mutual and attribute terms only" +
                   (term.empty() ? std::string(" (and without --diagonal)")
                                 : ", and " + term + " is none of them"));
}

DyadClassRows dyad_class_rows(const Study& study) {
  const int n = study.node_count();
  const bool directed = study.directed();
  const Model& model = study.model;
  const int m = model.parameter_count();
  Forms forms = forms_of(model);
  if (forms.without != nullptr) {
    throw UsageError(forms.without->text() + " has no form by classes of nodes");
  }

  // The classes of the nodes: equal classes for every term.
  std::vector<int> node_class(static_cast<std::size_t>(n), 0);
  int classes = 1;
  for (const NodeClassForm& form : forms.of_term) {
    if (!form.node_class.empty()) node_class = refine(node_class, form.node_class, classes);
  }
  std::vector<std::int64_t> size(static_cast<std::size_t>(classes), 0);
  std::vector<int> representative(static_cast<std::size_t>(classes), 0);
  for (int i = n; i >= 1; --i) {
    const auto c = static_cast<std::size_t>(node_class[static_cast<std::size_t>(i - 1)]);
    ++size[c];
    representative[c] = i;  // the lowest node of the class
  }

  // The distinct match keys, and which of them each term reads.
  std::vector<const std::vector<int>*> keys;
  std::vector<int> key_of_term;
  for (const NodeClassForm& form : forms.of_term) {
    int index = -1;
    if (!form.match_key.empty()) {
      for (std::size_t k = 0; k < keys.size(); ++k) {
        if (*keys[k] == form.match_key) index = static_cast<int>(k);
      }
      if (index < 0) {
        index = static_cast<int>(keys.size());
        keys.push_back(&form.match_key);
      }
    }
    key_of_term.push_back(index);
  }
  const int key_count = static_cast<int>(keys.size());
  const std::int64_t patterns = std::int64_t{1} << key_count;
  const auto k2 = static_cast<std::int64_t>(classes) * classes;
  if (key_count > most_match_keys || k2 * patterns > largest_class_table) {
    throw UsageError("the model's terms divide the " + std::to_string(n) + " nodes into " +
                     std::to_string(classes) + " classes by their attribute values" +
                     (key_count > 0 ? " and compare " + std::to_string(key_count) + " attributes"
                                    : std::string()) +
                     ": too many for the table of their pairs that the pseudo-likelihood of a "
                     "network of this size needs (numeric attributes with many distinct values "
                     "in nodecov, nodeicov, nodeocov or absdiff are the usual cause)");
  }

  // Ordered pairs of distinct nodes by class pair and by the set S of keys on which they agree at
  // least: table[S][c1 * classes + c2].
  std::vector<std::int64_t> table(static_cast<std::size_t>(k2 * patterns), 0);
  auto cell = [&](std::int64_t pattern, int c1, int c2) -> std::int64_t& {
    return table[static_cast<std::size_t>(pattern * k2 + static_cast<std::int64_t>(c1) * classes +
                                          c2)];
  };
  for (int c1 = 0; c1 < classes; ++c1) {
    for (int c2 = 0; c2 < classes; ++c2) {
      cell(0, c1, c2) = size[static_cast<std::size_t>(c1)] * size[static_cast<std::size_t>(c2)] -
                        (c1 == c2 ? size[static_cast<std::size_t>(c1)] : 0);
    }
  }
  for (std::int64_t s = 1; s < patterns; ++s) {
    // The nodes grouped by their keys in S, and counted by class within each group.
    std::vector<int> group(static_cast<std::size_t>(n), 0);
    int groups = 1;
    for (int k = 0; k < key_count; ++k) {
      if ((s >> k) & 1) group = refine(group, *keys[static_cast<std::size_t>(k)], groups);
    }
    std::vector<std::uint64_t> members(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < members.size(); ++i) {
      members[i] = pair_key(group[i], node_class[i]);
    }
    std::sort(members.begin(), members.end());
    std::vector<std::pair<int, std::int64_t>> in_group;  // (class, count)
    for (std::size_t a = 0; a < members.size();) {
      const std::uint64_t g = members[a] >> 32;
      in_group.clear();
      while (a < members.size() && (members[a] >> 32) == g) {
        const auto c = static_cast<int>(members[a] & 0xffffffffu);
        std::int64_t count = 0;
        while (a < members.size() && members[a] == pair_key(static_cast<int>(g), c)) ++a, ++count;
        in_group.emplace_back(c, count);
      }
      for (const auto& [c1, n1] : in_group) {
        for (const auto& [c2, n2] : in_group) cell(s, c1, c2) += n1 * n2;
      }
    }
    for (int c = 0; c < classes; ++c) cell(s, c, c) -= size[static_cast<std::size_t>(c)];
  }
  // From "agree at least on S" to "agree exactly on S".
  for (int k = 0; k < key_count; ++k) {
    const std::int64_t bit = std::int64_t{1} << k;
    for (std::int64_t s = 0; s < patterns; ++s) {
      if (s & bit) continue;
      for (std::int64_t e = 0; e < k2; ++e) {
        table[static_cast<std::size_t>(s * k2 + e)] -=
            table[static_cast<std::size_t>((s | bit) * k2 + e)];
      }
    }
  }
  auto pattern_of = [&](int i, int j) {
    std::int64_t p = 0;
    for (int k = 0; k < key_count; ++k) {
      const std::vector<int>& key = *keys[static_cast<std::size_t>(k)];
      if (key[static_cast<std::size_t>(i - 1)] == key[static_cast<std::size_t>(j - 1)])
        p |= std::int64_t{1} << k;
    }
    return p;
  };

  // The touched dyads: both directions of every link, and the dyads the terms name
  // (undirected: each pair once, i < j).
  std::vector<std::uint64_t> touched;
  auto touch = [&](int i, int j) {
    if (i == j) return;
    if (!directed && i > j) std::swap(i, j);
    touched.push_back(pair_key(i, j));
  };
  for (int a = 1; a <= n; ++a) {
    for (node_id e : study.network.out_list(a)) {
      const int b = e < 0 ? -e : e;
      touch(a, b);
      if (directed) touch(b, a);
    }
  }
  for (const NodeClassForm& form : forms.of_term) {
    for (const auto& [i, j] : form.touched) touch(i, j);
  }
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());

  RowTable rows(m);
  std::vector<double> x(static_cast<std::size_t>(std::max(m, 1)));
  const TermGraph graph = study.graph();
  for (const std::uint64_t key : touched) {
    const auto i = static_cast<int>(key >> 32);
    const auto j = static_cast<int>(key & 0xffffffffu);
    int offset = 0;
    for (const TermPointer& term : model.terms) {
      term->add_change(graph, i, j, x.data() + offset);
      offset += term->statistic_count();
    }
    rows.add(x.data(), graph.has_link(i, j), 1);
    // Undirected: the pair {i, j} is counted as the ordered pair of its classes taken c1 <= c2.
    int c1 = node_class[static_cast<std::size_t>(i - 1)];
    int c2 = node_class[static_cast<std::size_t>(j - 1)];
    if (!directed && c1 > c2) std::swap(c1, c2);
    cell(pattern_of(i, j), c1, c2) -= directed || c1 != c2 ? 1 : 2;
  }
  // Every other dyad: undirected, an ordered count of pairs within one class counts each pair
  // twice, and one across two classes is taken from c1 < c2 only.
  for (std::int64_t p = 0; p < patterns; ++p) {
    for (int c1 = 0; c1 < classes; ++c1) {
      for (int c2 = directed ? 0 : c1; c2 < classes; ++c2) {
        std::int64_t count = cell(p, c1, c2);
        if (!directed && c1 == c2) count /= 2;
        if (count == 0) continue;
        int offset = 0;
        const int i = representative[static_cast<std::size_t>(c1)];
        const int j = representative[static_cast<std::size_t>(c2)];
        for (std::size_t t = 0; t < model.terms.size(); ++t) {
          const int k = key_of_term[t];
          model.terms[t]->untouched_change(i, j, k >= 0 && ((p >> k) & 1), x.data() + offset);
          offset += model.terms[t]->statistic_count();
        }
        rows.add(x.data(), false, count);
      }
    }
  }
  return rows.rows();
}

namespace {

constexpr double upper_clamp = 0.99;
constexpr double lower_clamp = 0.01;

double dot(const double* x, const double* b, int m) {
  double sum = 0.0;
  for (int k = 0; k < m; ++k) sum += x[k] * b[k];
  return sum;
}

// vector += a * x; matrix += w * x x'.
void add_terms(const double* x, int m, double a, double w, ParamVector* vector,
               ParamMatrix* matrix) {
  for (int k = 1; k <= m; ++k) {
    if (vector != nullptr) (*vector)(k) += a * x[k - 1];
    if (matrix == nullptr) continue;
    for (int l = 1; l <= m; ++l) (*matrix)(k, l) += w * x[k - 1] * x[l - 1];
  }
}

}  // namespace

FitResult fit_dyad_class_rows(const Study& study, const DyadClassRows& rows,
                              const FitObserver& observer, const ParamVector* start) {
  FitResult st;
  const int m = rows.m;
  auto announce = [&observer](int pass) {
    if (observer.pass_started) observer.pass_started(pass);
  };
  st.parameter_count = m;
  st.dyad_count = study.dyad_count();

  // Pass 1: totals and cross-products.
  announce(1);
  ParamVector xty, logit_xsum, previous;
  ParamMatrix xsq;
  double ties = 0.0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto c = static_cast<double>(rows.count[r]);
    const double y = rows.y[r] != 0 ? 1.0 : 0.0;
    ties += c * y;
    add_terms(rows.row(r), m, c * y, c, &xty, &xsq);
  }
  st.tie_total = ties;
  ParamMatrix xsq_inv = xsq;
  if (!gaussj(xsq_inv, m)) {
    st.end = FitEnd::dependent;
    return st;
  }
  {
    const double dyads = static_cast<double>(st.dyad_count);
    const double t0 = -std::log(dyads / ties - 1.0);
    st.null_loglik = t0 * ties - dyads * std::log(1.0 + std::exp(t0));
  }

  // Pass 2: the clamped logits of the linear-probability fit.
  if (start == nullptr) {
    announce(2);
    ParamVector ols;
    for (int k = 1; k <= m; ++k) {
      double sum = 0.0;
      for (int l = 1; l <= m; ++l) sum += xsq_inv(k, l) * xty(l);
      ols(k) = sum;
    }
    // A large sparse network's predictions lie far below the sweep's lower clamp of 0.01, whose
    // logit would start the Newton passes too far away for their limit: below a density of 0.001
    // the clamp is a tenth of the density.
    const double density = ties / static_cast<double>(st.dyad_count);
    const double lower = density < 0.001 ? density / 10.0 : lower_clamp;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const double prediction = std::clamp(dot(rows.row(r), ols.base(), m), lower, upper_clamp);
      const double logit = std::log(prediction / (1.0 - prediction));
      add_terms(rows.row(r), m, static_cast<double>(rows.count[r]) * logit, 0.0, &logit_xsum,
                nullptr);
    }
    for (int k = 1; k <= m; ++k) {
      double sum = 0.0;
      for (int l = 1; l <= m; ++l) sum += xsq_inv(k, l) * logit_xsum(l);
      previous(k) = st.estimate(k) = sum;
    }
  } else {
    for (int k = 1; k <= m; ++k) previous(k) = st.estimate(k) = (*start)(k);
  }

  // Newton passes (see newton_sums in pseudo_likelihood.cpp for the limits).
  const NewtonRun run = newton_iterations(
      m, st.estimate, previous,
      [&](int pass, const ParamVector& at, ParamVector& wz_sum, ParamMatrix& wxsq) {
        announce(pass);
        wz_sum = ParamVector{};
        wxsq = ParamMatrix{};
        for (std::size_t r = 0; r < rows.size(); ++r) {
          const double* x = rows.row(r);
          const auto c = static_cast<double>(rows.count[r]);
          const int y = rows.y[r] != 0 ? 1 : 0;
          const double eta = dot(x, at.base(), m);
          const double p = 1.0 / (1.0 + std::exp(-eta));
          const double w = p * (1.0 - p);
          if (w == 0.0) {
            st.zero_weight_dyads += rows.count[r];
            add_terms(x, m, c * (y - p), 0.0, &wz_sum, nullptr);
            continue;
          }
          const double z = eta + (y - p) / w;
          add_terms(x, m, std::isfinite(z) ? c * w * z : c * (y - p), c * w, &wz_sum, &wxsq);
        }
      },
      NewtonSettings{first_newton_pass, last_newton_pass, study.estimate_bound});
  st.newton_passes = run.passes;
  st.too_many_iterations = run.end == NewtonEnd::pass_limit;
  if (run.end == NewtonEnd::singular) {
    st.end = FitEnd::wxsq_singular;
    return st;
  }

  // Final pass.
  announce(final_pass);
  double loglik_sum = 0.0;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const double* x = rows.row(r);
    const std::int64_t count = rows.count[r];
    const auto c = static_cast<double>(count);
    const int y = rows.y[r] != 0 ? 1 : 0;
    const double eta = dot(x, st.estimate.base(), m);
    const double e = std::exp(-eta);
    double term = std::log(1.0 + 1.0 / e);
    if (std::isinf(term)) term = eta;
    const double p = 1.0 / (1.0 + e);
    const int predicted = static_cast<int>(p + 0.5);
    const double w = std::isinf(e) ? 0.0 : e / ((1.0 + e) * (1.0 + e));
    loglik_sum += c * term;
    const double residual = y - p;
    st.abs_resid_sum += c * std::fabs(residual);
    st.sq_resid_sum += c * residual * residual;
    if (residual != 0.0) st.pearson_sum += c * residual * residual / (p * (1.0 - p));
    st.class_table[y][predicted != 0 ? 1 : 0] += count;
    if (w == 0.0) st.zero_weight_dyads += count;
    add_terms(x, m, 0.0, c * w, nullptr, &st.covariance);
  }
  double gain = 0.0;
  for (int k = 1; k <= m; ++k) gain += xty(k) * st.estimate(k);
  st.loglik = gain - loglik_sum;
  st.final_inversion_failed = !gaussj(st.covariance, m);
  if (st.final_inversion_failed) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int c = 1; c <= m; ++c) {
      for (int r = 1; r <= m; ++r) st.covariance(r, c) = nan;
    }
  }
  st.end = FitEnd::completed;
  return st;
}

ParamVector score_of_dyad_class_rows(const DyadClassRows& rows, const ParamVector& estimate) {
  ParamVector score;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const double* x = rows.row(r);
    const double p = 1.0 / (1.0 + std::exp(-dot(x, estimate.base(), rows.m)));
    const double y = rows.y[r] != 0 ? 1.0 : 0.0;
    add_terms(x, rows.m, static_cast<double>(rows.count[r]) * (y - p), 0.0, &score, nullptr);
  }
  return score;
}

}  // namespace tarn
