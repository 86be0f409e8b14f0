#include "fit/dyad_classes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

#include "fit/fit_passes.h"
#include "network/usage_error.h"
#include "numeric/param_algebra.h"

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

namespace {

// The classes of the nodes (equal classes for every term), numbered from 0, with their sizes and
// lowest nodes.
struct NodeClasses {
  std::vector<int> of_node;  // by node - 1
  int count = 1;
  std::vector<std::int64_t> size;
  std::vector<int> representative;
};

NodeClasses node_classes(const Forms& forms, int n) {
  NodeClasses classes;
  classes.of_node.assign(static_cast<std::size_t>(n), 0);
  for (const NodeClassForm& form : forms.of_term) {
    if (!form.node_class.empty()) {
      classes.of_node = refine(classes.of_node, form.node_class, classes.count);
    }
  }
  classes.size.assign(static_cast<std::size_t>(classes.count), 0);
  classes.representative.assign(static_cast<std::size_t>(classes.count), 0);
  for (int i = n; i >= 1; --i) {
    const auto c = static_cast<std::size_t>(classes.of_node[static_cast<std::size_t>(i - 1)]);
    ++classes.size[c];
    classes.representative[c] = i;  // the lowest node of the class
  }
  return classes;
}

// The distinct match keys, and which of them each term reads (-1: none).
struct MatchKeys {
  std::vector<const std::vector<int>*> keys;
  std::vector<int> of_term;
  int count() const { return static_cast<int>(keys.size()); }
};

MatchKeys match_keys(const Forms& forms) {
  MatchKeys match;
  for (const NodeClassForm& form : forms.of_term) {
    int index = -1;
    if (!form.match_key.empty()) {
      for (std::size_t k = 0; k < match.keys.size(); ++k) {
        if (*match.keys[k] == form.match_key) index = static_cast<int>(k);
      }
      if (index < 0) {
        index = match.count();
        match.keys.push_back(&form.match_key);
      }
    }
    match.of_term.push_back(index);
  }
  return match;
}

// Ordered pairs of distinct nodes by class pair and by the set of keys on which they agree:
// cell(S, c1, c2).
class ClassPairTable {
 public:
  ClassPairTable(const NodeClasses& classes, const MatchKeys& match, int n)
      : classes_(classes),
        match_(match),
        k2_(std::int64_t{classes.count} * classes.count),
        patterns_(std::int64_t{1} << match.count()) {
    if (match.count() > most_match_keys || k2_ * patterns_ > largest_class_table) {
      throw UsageError(
          "the model's terms divide the " + std::to_string(n) + " nodes into " +
          std::to_string(classes.count) + " classes by their attribute values" +
          (match.count() > 0 ? " and compare " + std::to_string(match.count()) + " attributes"
                             : std::string()) +
          ": too many for the table of their pairs that the pseudo-likelihood of a network of "
          "this size needs (numeric attributes with many distinct values in nodecov, nodeicov, "
          "nodeocov or absdiff are the usual cause)");
    }
    table_.assign(static_cast<std::size_t>(k2_ * patterns_), 0);
    count_all_pairs(n);
    for (std::int64_t s = 1; s < patterns_; ++s) count_agreeing_pairs(s, n);
    to_exact_patterns();
  }

  std::int64_t patterns() const { return patterns_; }
  std::int64_t& cell(std::int64_t pattern, int c1, int c2) {
    return table_[static_cast<std::size_t>(pattern * k2_ +
                                           static_cast<std::int64_t>(c1) * classes_.count + c2)];
  }
  // The keys on which nodes i and j agree.
  std::int64_t pattern_of(int i, int j) const {
    std::int64_t p = 0;
    for (int k = 0; k < match_.count(); ++k) {
      const std::vector<int>& key = *match_.keys[static_cast<std::size_t>(k)];
      if (key[static_cast<std::size_t>(i - 1)] == key[static_cast<std::size_t>(j - 1)])
        p |= std::int64_t{1} << k;
    }
    return p;
  }

 private:
  void count_all_pairs(int) {
    for (int c1 = 0; c1 < classes_.count; ++c1) {
      for (int c2 = 0; c2 < classes_.count; ++c2) {
        const std::int64_t s1 = classes_.size[static_cast<std::size_t>(c1)];
        cell(0, c1, c2) = s1 * classes_.size[static_cast<std::size_t>(c2)] - (c1 == c2 ? s1 : 0);
      }
    }
  }

  // The pairs that agree at least on the keys in s: the nodes grouped by those keys, and counted
  // by class within each group.
  void count_agreeing_pairs(std::int64_t s, int n) {
    std::vector<int> group(static_cast<std::size_t>(n), 0);
    int groups = 1;
    for (int k = 0; k < match_.count(); ++k) {
      if ((s >> k) & 1) group = refine(group, *match_.keys[static_cast<std::size_t>(k)], groups);
    }
    std::vector<std::uint64_t> members(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < members.size(); ++i) {
      members[i] = pair_key(group[i], classes_.of_node[i]);
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
    for (int c = 0; c < classes_.count; ++c) cell(s, c, c) -= classes_.size[std::size_t(c)];
  }

  // From "agree at least on S" to "agree exactly on S".
  void to_exact_patterns() {
    for (int k = 0; k < match_.count(); ++k) {
      const std::int64_t bit = std::int64_t{1} << k;
      for (std::int64_t s = 0; s < patterns_; ++s) {
        if (s & bit) continue;
        for (std::int64_t e = 0; e < k2_; ++e) {
          table_[static_cast<std::size_t>(s * k2_ + e)] -=
              table_[static_cast<std::size_t>((s | bit) * k2_ + e)];
        }
      }
    }
  }

  const NodeClasses& classes_;
  const MatchKeys& match_;
  std::int64_t k2_, patterns_;
  std::vector<std::int64_t> table_;
};

// The touched dyads: both directions of every link, and the dyads the terms name (undirected:
// each pair once, i < j), sorted.
std::vector<std::uint64_t> touched_dyads(const Study& study, const Forms& forms) {
  const bool directed = study.directed();
  std::vector<std::uint64_t> touched;
  auto touch = [&](int i, int j) {
    if (i == j) return;
    if (!directed && i > j) std::swap(i, j);
    touched.push_back(pair_key(i, j));
  };
  for (int a = 1; a <= study.node_count(); ++a) {
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
  return touched;
}

// The rows of the touched dyads, one by one, each taken out of the count of its class pair.
void add_touched_rows(const Study& study, const std::vector<std::uint64_t>& touched,
                      const NodeClasses& classes, ClassPairTable& table, RowTable& rows) {
  const bool directed = study.directed();
  std::vector<double> x(static_cast<std::size_t>(std::max(study.model.parameter_count(), 1)));
  const TermGraph graph = study.graph();
  for (const std::uint64_t key : touched) {
    const auto i = static_cast<int>(key >> 32);
    const auto j = static_cast<int>(key & 0xffffffffu);
    int offset = 0;
    for (const TermPointer& term : study.model.terms) {
      term->add_change(graph, i, j, x.data() + offset);
      offset += term->statistic_count();
    }
    rows.add(x.data(), graph.has_link(i, j), 1);
    // Undirected: the pair {i, j} is counted as the ordered pair of its classes taken c1 <= c2.
    int c1 = classes.of_node[static_cast<std::size_t>(i - 1)];
    int c2 = classes.of_node[static_cast<std::size_t>(j - 1)];
    if (!directed && c1 > c2) std::swap(c1, c2);
    table.cell(table.pattern_of(i, j), c1, c2) -= directed || c1 != c2 ? 1 : 2;
  }
}

// Every other dyad, counted by class pair and pattern. Undirected, an ordered count of pairs
// within one class counts each pair twice, and one across two classes is taken from c1 < c2 only.
void add_untouched_rows(const Study& study, const NodeClasses& classes, const MatchKeys& match,
                        ClassPairTable& table, RowTable& rows) {
  const bool directed = study.directed();
  const Model& model = study.model;
  std::vector<double> x(static_cast<std::size_t>(std::max(model.parameter_count(), 1)));
  for (std::int64_t p = 0; p < table.patterns(); ++p) {
    for (int c1 = 0; c1 < classes.count; ++c1) {
      for (int c2 = directed ? 0 : c1; c2 < classes.count; ++c2) {
        std::int64_t count = table.cell(p, c1, c2);
        if (!directed && c1 == c2) count /= 2;
        if (count == 0) continue;
        int offset = 0;
        const int i = classes.representative[static_cast<std::size_t>(c1)];
        const int j = classes.representative[static_cast<std::size_t>(c2)];
        for (std::size_t t = 0; t < model.terms.size(); ++t) {
          const int k = match.of_term[t];
          model.terms[t]->untouched_change(i, j, k >= 0 && ((p >> k) & 1), x.data() + offset);
          offset += model.terms[t]->statistic_count();
        }
        rows.add(x.data(), false, count);
      }
    }
  }
}

}  // namespace

namespace {

// The classes of nodes, and the match keys of their pairs, that the model's terms tell apart.
struct PairLayout {
  Forms forms;
  NodeClasses classes;
  MatchKeys match;
};

PairLayout pair_layout(const Study& study) {
  PairLayout layout;
  layout.forms = forms_of(study.model);
  if (layout.forms.without != nullptr) {
    throw UsageError(layout.forms.without->text() + " has no form by classes of nodes");
  }
  layout.classes = node_classes(layout.forms, study.node_count());
  layout.match = match_keys(layout.forms);
  return layout;
}

}  // namespace

DyadClassRows dyad_class_rows(const Study& study) {
  const int n = study.node_count();
  const PairLayout layout = pair_layout(study);
  const NodeClasses& classes = layout.classes;
  const MatchKeys& match = layout.match;
  ClassPairTable table(classes, match, n);
  RowTable rows(study.model.parameter_count());
  add_touched_rows(study, touched_dyads(study, layout.forms), classes, table, rows);
  add_untouched_rows(study, classes, match, table, rows);
  return rows.rows();
}

bool pair_classes_apply(const Study& study) {
  if (study.include_diagonal || study.model.curved()) return false;
  for (const TermPointer& term : study.model.terms) {
    const std::optional<NodeClassForm> form = term->node_class_form();
    if (!form || !form->touched.empty()) return false;
  }
  return true;
}

namespace {

// The change of every statistic of an untouched i->j whose nodes agree on the keys `pattern`.
std::vector<double> untouched_changes(const Model& model, const MatchKeys& match, int i, int j,
                                      std::int64_t pattern) {
  std::vector<double> x(static_cast<std::size_t>(model.parameter_count()), 0.0);
  int offset = 0;
  for (std::size_t t = 0; t < model.terms.size(); ++t) {
    const int k = match.of_term[t];
    model.terms[t]->untouched_change(i, j, k >= 0 && ((pattern >> k) & 1), x.data() + offset);
    offset += model.terms[t]->statistic_count();
  }
  return x;
}

}  // namespace

std::vector<PairClass> pair_classes(const Study& study) {
  const int n = study.node_count();
  const PairLayout layout = pair_layout(study);
  const NodeClasses& classes = layout.classes;
  const MatchKeys& match = layout.match;
  ClassPairTable table(classes, match, n);
  std::vector<PairClass> out;
  for (std::int64_t p = 0; p < table.patterns(); ++p) {
    for (int c1 = 0; c1 < classes.count; ++c1) {
      for (int c2 = c1; c2 < classes.count; ++c2) {
        // The table counts ordered pairs: a pair within one class twice.
        const std::int64_t pairs = c1 == c2 ? table.cell(p, c1, c1) / 2 : table.cell(p, c1, c2);
        if (pairs == 0) continue;
        PairClass pair;
        pair.first = classes.representative[static_cast<std::size_t>(c1)];
        pair.second = classes.representative[static_cast<std::size_t>(c2)];
        pair.forward = untouched_changes(study.model, match, pair.first, pair.second, p);
        pair.backward = untouched_changes(study.model, match, pair.second, pair.first, p);
        pair.pairs = pairs;
        out.push_back(std::move(pair));
      }
    }
  }
  return out;
}

namespace {

// The sums of the passes over the rows, each row's terms times its number of dyads.
class ClassRowSums final : public FitSums {
 public:
  ClassRowSums(const DyadClassRows& rows, std::int64_t dyad_count)
      : rows_(rows), dyad_count_(dyad_count) {}

  double totals(ParamVector& xty, ParamMatrix& xsq) override {
    double ties = 0.0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const auto c = static_cast<double>(rows_.count[r]);
      const double y = rows_.y[r] != 0 ? 1.0 : 0.0;
      ties += c * y;
      add_weighted_row(rows_.row(r), rows_.m, c * y, c, &xty, &xsq);
    }
    ties_ = ties;
    return ties;
  }

  // A large sparse network's predictions lie far below the sweep's lower clamp of 0.01, whose
  // logit would start the Newton passes too far away for their limit: below a density of 0.001
  // the clamp is a tenth of the density.
  void logit_sums(const ParamVector& ols, ParamVector& logit_xsum) override {
    const double density = ties_ / static_cast<double>(dyad_count_);
    const double lower = density < 0.001 ? density / 10.0 : start_prediction_lower;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double prediction =
          std::clamp(dot_product(rows_.row(r), ols.base(), rows_.m), lower, start_prediction_upper);
      const double logit = std::log(prediction / (1.0 - prediction));
      add_weighted_row(rows_.row(r), rows_.m, static_cast<double>(rows_.count[r]) * logit, 0.0,
                       &logit_xsum, nullptr);
    }
  }

  // The limits are those of the sweep's Newton passes (pseudo_likelihood.cpp).
  std::int64_t newton_sums(int, const ParamVector& at, ParamVector& wz_sum,
                           ParamMatrix& wxsq) override {
    const int m = rows_.m;
    std::int64_t zero_weight = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (add_newton_row(rows_.row(r), m, static_cast<double>(rows_.count[r]),
                         rows_.y[r] != 0 ? 1 : 0, at, wz_sum, wxsq)) {
        zero_weight += rows_.count[r];
      }
    }
    return zero_weight;
  }

  FinalPassSums final_sums(const ParamVector& estimate, ParamMatrix& wxsq) override {
    FinalPassSums sums;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const std::int64_t count = rows_.count[r];
      const int y = rows_.y[r] != 0 ? 1 : 0;
      const double p = add_final_row(rows_.row(r), rows_.m, static_cast<double>(count), count, y,
                                     estimate, sums, wxsq);
      sums.class_table[y][static_cast<int>(p + 0.5) != 0 ? 1 : 0] += count;
    }
    return sums;
  }

 private:
  const DyadClassRows& rows_;
  std::int64_t dyad_count_;
  double ties_ = 0.0;
};

}  // namespace

FitResult fit_dyad_class_rows(const Study& study, const DyadClassRows& rows,
                              const FitObserver& observer, const ParamVector* start) {
  ClassRowSums sums(rows, study.dyad_count());
  return fit_by_passes(sums,
                       FitPlan{rows.m, study.dyad_count(), study.estimate_bound, &observer, start});
}

ParamVector score_of_dyad_class_rows(const DyadClassRows& rows, const ParamVector& estimate) {
  ParamVector score(rows.m);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const double* x = rows.row(r);
    const double p = 1.0 / (1.0 + std::exp(-dot_product(x, estimate.base(), rows.m)));
    const double y = rows.y[r] != 0 ? 1.0 : 0.0;
    add_weighted_row(x, rows.m, static_cast<double>(rows.count[r]) * (y - p), 0.0, &score, nullptr);
  }
  return score;
}

}  // namespace tarn
