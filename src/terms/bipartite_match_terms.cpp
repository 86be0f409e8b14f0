// b1nodematch and b2nodematch, ergm's homophily of a two-mode network's first (second) mode:
// pairs of the mode's nodes of one kept level, counted once per common neighbour, with ergm's
// discounts (alpha, beta) and its split by the other mode's attribute (byb2attr, byb1attr).

#include <cmath>
#include <string>
#include <vector>

#include "terms/bipartite_mode.h"
#include "terms/shared_partners.h"
#include "terms/term_arguments.h"

namespace tarn {

namespace {

// Per node k of the other mode, the pairs of its m matching neighbours, C(m, 2). ergm's
// discounts: with beta < 1, m/2 (m - 1)^beta per node k (each of its m neighbours' two-paths to
// the others, raised to beta, halved; 0 when m < 2); else with alpha < 1, the sum over matching
// pairs of their common neighbours raised to alpha. Split by the other mode's attribute, each
// node k counts in the statistic of its level, and alpha counts a pair's common neighbours of
// each level apart. A link (a, b), a of this mode, changes the count of b and the pairs of a
// with b's matching neighbours.
class ModeNodeMatch final : public Term {
 public:
  enum class Discount { none, alpha, beta };
  // `code`: each node's kept level 0..levels-1, -1 for a level left out or the other mode;
  // `by`: each node of the other mode's level 0..by_levels-1 (all 0 without a split).
  ModeNodeMatch(std::string text, std::vector<std::string> names, Mode mode, std::vector<int> code,
                int levels, bool diff, std::vector<int> by, int by_levels, Discount discount,
                double exponent)
      : Term(std::move(text), std::move(names)),
        mode_(mode),
        code_(std::move(code)),
        levels_(levels),
        diff_(diff),
        by_(std::move(by)),
        by_levels_(by_levels),
        discount_(discount),
        exponent_(exponent) {}

  bool dyad_independent() const override { return false; }
  PartnerTables partner_tables() const override {
    return discount_ == Discount::alpha ? tables_for(PartnerType::undirected) : PartnerTables{};
  }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (mode_.holds(i) == mode_.holds(j)) return;
    const int a = mode_.holds(i) ? i : j, b = a == i ? j : i;
    const int level = code(a);
    if (level < 0) return;
    const int x = g.tie(a, b);
    double change = 0.0;
    int matching = 0;
    g.for_each_receiver(b, [&](int c) {
      if (c == a || code(c) != level) return;
      ++matching;
      if (discount_ == Discount::alpha) {
        const int s = common_besides(g, a, c, b, x);
        change += std::pow(s + 1, exponent_) - (s == 0 ? 0.0 : std::pow(s, exponent_));
      }
    });
    if (discount_ == Discount::none) change = matching;
    if (discount_ == Discount::beta) change = at_node(matching + 1) - at_node(matching);
    out[statistic(level, by(b))] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (discount_ == Discount::alpha) {
      std::vector<int> of_level(static_cast<std::size_t>(by_levels_));
      for_each_pair_with_partners(g, PartnerType::undirected, [&](int a, int c, int count) {
        if (!mode_.holds(a) || code(a) < 0 || code(a) != code(c)) return;
        if (by_levels_ == 1) {
          out[statistic(code(a), 0)] += std::pow(count, exponent_);
          return;
        }
        std::fill(of_level.begin(), of_level.end(), 0);
        g.for_each_receiver(a, [&](int k) { of_level[std::size_t(by(k))] += g.has_link(c, k); });
        for (int v = 0; v < by_levels_; ++v) {
          if (of_level[std::size_t(v)] > 0) {
            out[statistic(code(a), v)] += std::pow(of_level[std::size_t(v)], exponent_);
          }
        }
      });
      return;
    }
    std::vector<int> count_of(static_cast<std::size_t>(levels_), 0);
    for (int k = 1; k <= g.node_count(); ++k) {
      if (mode_.holds(k)) continue;
      std::fill(count_of.begin(), count_of.end(), 0);
      g.for_each_receiver(k, [&](int c) {
        if (code(c) >= 0) ++count_of[std::size_t(code(c))];
      });
      for (int level = 0; level < levels_; ++level) {
        out[statistic(level, by(k))] += at_node(count_of[std::size_t(level)]);
      }
    }
  }

 private:
  // The kept level of node a, -1 for a level left out or a node of the other mode.
  int code(int a) const { return code_[std::size_t(a - 1)]; }
  int by(int k) const { return by_[std::size_t(k - 1)]; }
  // ergm's order: the level of this mode, then (fastest) the other mode's level.
  int statistic(int level, int by_level) const {
    return (diff_ ? level * by_levels_ : 0) + by_level;
  }
  // The common neighbours of a and c besides b, of b's level when split (x: the link (a, b)).
  int common_besides(const TermGraph& g, int a, int c, int b, int x) const {
    if (by_levels_ == 1) return g.two_paths(a, c) - x;
    int s = 0;
    g.for_each_receiver(a, [&](int k) { s += k != b && by(k) == by(b) && g.has_link(c, k); });
    return s;
  }
  // What a node of the other mode with m matching neighbours adds (not alpha).
  double at_node(int m) const {
    if (m < 2) return 0.0;
    if (discount_ == Discount::none) return m * (m - 1) / 2.0;
    return 0.5 * m * std::pow(m - 1, exponent_);
  }
  Mode mode_;
  std::vector<int> code_;
  int levels_;
  bool diff_;
  std::vector<int> by_;
  int by_levels_;
  Discount discount_;
  double exponent_;
};

template <int M>
TermPointer make_nodematch(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const std::string by_name = M == 1 ? "byb2attr" : "byb1attr";
  const TermArguments arguments(call, {"attr", "diff", "keep", "beta", "alpha", by_name, "levels"});
  double discount[2];  // alpha, beta
  for (int k = 0; k < 2; ++k) {
    const char* name = k == 0 ? "alpha" : "beta";
    discount[k] = arguments.number(name, 1.0);
    if (!(discount[k] >= 0.0 && discount[k] <= 1.0)) {
      arguments.fail(name, "give a number from 0 to 1");
    }
  }
  // As ergm: beta when it is below 1, else alpha.
  const auto kind = discount[1] < 1.0   ? ModeNodeMatch::Discount::beta
                    : discount[0] < 1.0 ? ModeNodeMatch::Discount::alpha
                                        : ModeNodeMatch::Discount::none;
  const double exponent = kind == ModeNodeMatch::Discount::beta ? discount[1] : discount[0];
  const bool diff = arguments.logical("diff", false);
  const AttributeColumn& column = attribute_of(arguments, context);
  const ModeLevels own = mode_levels(column, context, mode);
  const std::vector<int> kept =
      apply_keep(arguments, kept_positions(arguments, "levels", own.levels.names, false));
  if (kept.empty()) arguments.fail("levels", "it keeps no level");
  const std::vector<int> index = statistic_index(kept, own.levels.count());
  std::vector<int> code(own.of_node.size(), -1);
  for (std::size_t a = 0; a < code.size(); ++a) {
    if (own.of_node[a] >= 0) code[a] = index[std::size_t(own.of_node[a])];
  }
  // The split: every level of the other mode's nodes, sorted.
  std::vector<int> by(code.size(), 0);
  std::vector<std::string> by_names = {""};
  std::string by_text;
  if (arguments.given(by_name)) {
    const AttributeColumn& other = attribute_of(arguments, context, by_name);
    const ModeLevels split = mode_levels(other, context, mode.other());
    if (split.levels.count() < 2)
      arguments.fail(by_name, "give an attribute of two levels or more");
    for (std::size_t a = 0; a < by.size(); ++a) by[a] = std::max(0, split.of_node[a]);
    by_names.clear();
    for (const std::string& level : split.levels.names) by_names.push_back("." + level);
    by_text = ", " + by_name + "=\"" + other.name + "\"";
  }
  const std::string stem = mode.prefix() + "nodematch." + column.name;
  std::vector<std::string> names;
  for (std::size_t k = 0; k < (diff ? kept.size() : 1); ++k) {
    const std::string level = diff ? "." + own.levels.names[std::size_t(kept[k])] : "";
    for (const std::string& split : by_names) names.push_back(stem + level + split);
  }
  return std::make_shared<ModeNodeMatch>(
      mode.prefix() + "nodematch(\"" + column.name + "\"" +
          arguments.written_options({"diff", "keep", "alpha", "beta", "levels"}) + by_text + ")",
      std::move(names), mode, std::move(code), static_cast<int>(kept.size()), diff, std::move(by),
      static_cast<int>(by_names.size()), kind, exponent);
}

constexpr std::array<TermEntry, 2> entries = {{
    {"b1nodematch", "attr, diff=FALSE, keep, alpha=1, beta=1, byb2attr, levels",
     "two-mode: pairs of first-mode nodes of one level, once per common neighbour (discounted "
     "by alpha or beta)",
     Networks::both, "", make_nodematch<1>},
    {"b2nodematch", "attr, diff=FALSE, keep, alpha=1, beta=1, byb1attr, levels",
     "two-mode: pairs of second-mode nodes of one level, once per common neighbour (discounted "
     "by alpha or beta)",
     Networks::both, "", make_nodematch<2>},
}};

}  // namespace

std::span<const TermEntry> bipartite_match_term_entries() {
  return entries;
}

}  // namespace tarn
