// Mixing by attribute around the nodes of one mode of a two-mode network, with ergm's names,
// arguments and definitions:
//   b1twostar(b1attr, b2attr=b1attr, base, b1levels, b2levels, levels2)  two-stars centred on a
//       b1 node, one statistic per (centre level, the unordered pair of its two b2 neighbours'
//       levels): b1twostar.b1attr.x.b2attr.y.z
//   b1starmix(k, attr, base, diff=TRUE)  k-stars centred on a b1 node whose k b2 neighbours
//       share one level: per (centre level, that level), b1starmix.k.attr.x.y; diff=FALSE: per
//       centre level, b1starmix.k.attr.x
// and their b2 twins, whose centres are b2 nodes (b2twostar names the centre's b2attr first;
// b2starmix names the b2 level first). The cells are in ergm's order: the centre's level fastest.

#include <algorithm>
#include <string>
#include <vector>

#include "terms/bipartite_mode.h"
#include "terms/degree_terms.h"
#include "terms/term_arguments.h"

namespace tarn {

namespace {

// The cells levels2= keeps (or levels= ...), else all but the positions base= gives (ergm's
// deprecated argument: 0 or none leaves none out).
std::vector<int> kept_cells(const TermArguments& arguments, std::string_view chosen,
                            const std::vector<std::string>& names) {
  if (!chosen.empty() && arguments.given(chosen)) {
    return kept_positions(arguments, chosen, names, false);
  }
  std::vector<int> left_out;
  if (arguments.given("base")) left_out = arguments.whole_numbers("base", 0);
  std::vector<int> kept;
  for (int k = 0; k < static_cast<int>(names.size()); ++k) {
    if (std::find(left_out.begin(), left_out.end(), k + 1) == left_out.end()) kept.push_back(k);
  }
  if (kept.empty()) arguments.fail("base", "it leaves out every statistic");
  return kept;
}

// Every node's kept level among its mode's levels (-1: left out, or the other mode), and the
// kept levels' names.
struct KeptLevels {
  std::vector<int> code;  // node i at i - 1
  std::vector<std::string> names;
};

KeptLevels kept_levels(const TermArguments& arguments, const TermContext& context,
                       std::string_view attribute, std::string_view levels, Mode mode) {
  const ModeLevels own = mode_levels(attribute_of(arguments, context, attribute), context, mode);
  const std::vector<int> kept = levels.empty()
                                    ? kept_positions(arguments, "", own.levels.names, false)
                                    : kept_positions(arguments, levels, own.levels.names, false);
  const std::vector<int> index = statistic_index(kept, own.levels.count());
  KeptLevels result;
  for (int level : own.of_node) result.code.push_back(level < 0 ? -1 : index[std::size_t(level)]);
  for (int k : kept) result.names.push_back(own.levels.names[std::size_t(k)]);
  return result;
}

// Stars around the centres (nodes of one mode): `cell` maps a centre's code and its leaves'
// codes to a statistic (or -1).
class ModeStars final : public Term {
 public:
  // twostar: cell[(centre * leaves + c) * leaves + c2], c <= c2, for two leaves of codes c, c2;
  // starmix: cell[centre * leaves + c] for k leaves all of code c.
  ModeStars(std::string text, std::vector<std::string> names, Mode centres, std::vector<int> code,
            int leaves, std::vector<int> cell, int k, bool twostar)
      : Term(std::move(text), std::move(names)),
        centres_(centres),
        code_(std::move(code)),
        leaves_(leaves),
        cell_(std::move(cell)),
        k_(k),
        twostar_(twostar) {}

  bool dyad_independent() const override { return false; }
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (centres_.holds(i) == centres_.holds(j)) return;
    const int a = centres_.holds(i) ? i : j, b = a == i ? j : i;
    const int centre = code(a), leaf = code(b);
    if (centre < 0 || leaf < 0) return;
    if (twostar_) {
      // Each other neighbour v of a makes the two-star b-a-v.
      g.for_each_receiver(a, [&](int v) {
        if (v == b || code(v) < 0) return;
        const int s = pair_cell(centre, leaf, code(v));
        if (s >= 0) out[s] += 1.0;
      });
      return;
    }
    const int s = cell_[std::size_t(centre * leaves_ + leaf)];
    if (s < 0) return;
    int alike = 0;  // a's other neighbours of b's level
    g.for_each_receiver(a, [&](int v) { alike += v != b && code(v) == leaf; });
    out[s] += choose(alike, k_ - 1);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    std::vector<int> of_level(static_cast<std::size_t>(leaves_));
    for (int a = 1; a <= g.node_count(); ++a) {
      if (!centres_.holds(a) || code(a) < 0) continue;
      std::fill(of_level.begin(), of_level.end(), 0);
      g.for_each_receiver(a, [&](int v) {
        if (code(v) >= 0) ++of_level[std::size_t(code(v))];
      });
      for (int c = 0; c < leaves_; ++c) {
        const int n_c = of_level[std::size_t(c)];
        if (!twostar_) {
          const int s = cell_[std::size_t(code(a) * leaves_ + c)];
          if (s >= 0) out[s] += choose(n_c, k_);
          continue;
        }
        for (int c2 = c; c2 < leaves_; ++c2) {
          const int s = pair_cell(code(a), c, c2);
          const double pairs = c2 == c ? choose(n_c, 2) : double(n_c) * of_level[std::size_t(c2)];
          if (s >= 0) out[s] += pairs;
        }
      }
    }
  }

 private:
  int code(int a) const { return code_[std::size_t(a - 1)]; }
  int pair_cell(int centre, int c, int c2) const {
    if (c > c2) std::swap(c, c2);
    return cell_[std::size_t((centre * leaves_ + c) * leaves_ + c2)];
  }
  Mode centres_;
  std::vector<int> code_;  // centres' codes in the centres' mode, leaves' in the other
  int leaves_;
  std::vector<int> cell_;
  int k_;
  bool twostar_;
};

// Both modes' codes in one vector (a node is of one mode).
std::vector<int> merged(const KeptLevels& one, const KeptLevels& other) {
  std::vector<int> code = one.code;
  for (std::size_t a = 0; a < code.size(); ++a) {
    if (code[a] < 0) code[a] = other.code[a];
  }
  return code;
}

template <int M>
TermPointer make_twostar(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call,
                                {"b1attr", "b2attr", "base", "b1levels", "b2levels", "levels2"});
  const std::string b2attr = arguments.given("b2attr") ? "b2attr" : "b1attr";
  const KeptLevels b1 = kept_levels(arguments, context, "b1attr", "b1levels", Mode{1, mode.first});
  const KeptLevels b2 = kept_levels(arguments, context, b2attr, "b2levels", Mode{2, mode.first});
  const std::string b1name = attribute_of(arguments, context, "b1attr").name;
  const std::string b2name = attribute_of(arguments, context, b2attr).name;
  const KeptLevels& centre = M == 1 ? b1 : b2;
  const KeptLevels& leaf = M == 1 ? b2 : b1;
  const std::string prefix = mode.prefix() + "twostar." + (M == 1 ? b1name : b2name) + ".";
  const std::string leaf_name = M == 1 ? b2name : b1name;
  const int rows = static_cast<int>(centre.names.size());
  const int leaves = static_cast<int>(leaf.names.size());
  // ergm's grid: the centre's level fastest, then the first leaf's, then the second's.
  std::vector<int> cells;
  std::vector<std::string> cell_names, names;
  for (int c2 = 0; c2 < leaves; ++c2) {
    for (int c = 0; c <= c2; ++c) {
      for (int r = 0; r < rows; ++r) {
        cells.push_back((r * leaves + c) * leaves + c2);
        cell_names.push_back(prefix + centre.names[std::size_t(r)] + "." + leaf_name + "." +
                             leaf.names[std::size_t(c)] + "." + leaf.names[std::size_t(c2)]);
      }
    }
  }
  if (cells.empty()) arguments.fail("b1attr", "no level is kept");
  const std::vector<int> kept = kept_cells(arguments, "levels2", cell_names);
  std::vector<int> cell(std::size_t(rows * leaves * leaves), -1);
  for (std::size_t s = 0; s < kept.size(); ++s) {
    cell[std::size_t(cells[std::size_t(kept[s])])] = static_cast<int>(s);
    names.push_back(cell_names[std::size_t(kept[s])]);
  }
  std::string text = mode.prefix() + "twostar(\"" + b1name + "\"";
  if (arguments.given("b2attr")) text += ", \"" + b2name + "\"";
  text += arguments.written_options({"base", "b1levels", "b2levels", "levels2"}) + ")";
  return std::make_shared<ModeStars>(text, std::move(names), mode, merged(centre, leaf), leaves,
                                     std::move(cell), 2, true);
}

template <int M>
TermPointer make_starmix(const TermCall& call, const TermContext& context) {
  const Mode mode = mode_of(call, context, M);
  const TermArguments arguments(call, {"k", "attr", "base", "diff"});
  const std::vector<int> ks = arguments.whole_numbers("k", 1);
  if (ks.size() != 1) arguments.fail("k", "give one k (one starmix term per k)");
  const int k = ks.front();
  const bool diff = arguments.logical("diff", true);
  const KeptLevels b1 = kept_levels(arguments, context, "attr", "", Mode{1, mode.first});
  const KeptLevels b2 = kept_levels(arguments, context, "attr", "", Mode{2, mode.first});
  const std::string attr = attribute_of(arguments, context).name;
  const KeptLevels& centre = M == 1 ? b1 : b2;
  const KeptLevels& leaf = M == 1 ? b2 : b1;
  const int leaves = static_cast<int>(leaf.names.size());
  const int centres = static_cast<int>(centre.names.size());
  const std::string prefix = mode.prefix() + "starmix." + std::to_string(k) + "." + attr + ".";
  // ergm's cells (b1 level, b2 level), the b1 level fastest; without diff, the centres' levels.
  std::vector<std::vector<int>> cells;  // the (centre, leaf) pairs of each candidate statistic
  std::vector<std::string> cell_names, names;
  if (diff) {
    for (std::size_t y = 0; y < b2.names.size(); ++y) {
      for (std::size_t x = 0; x < b1.names.size(); ++x) {
        const int c = M == 1 ? int(x) : int(y), l = M == 1 ? int(y) : int(x);
        cells.push_back({c * leaves + l});
        cell_names.push_back(prefix + centre.names[std::size_t(c)] + "." +
                             leaf.names[std::size_t(l)]);
      }
    }
  } else {
    for (int c = 0; c < centres; ++c) {
      cells.emplace_back();
      for (int l = 0; l < leaves; ++l) cells.back().push_back(c * leaves + l);
      cell_names.push_back(prefix + centre.names[std::size_t(c)]);
    }
  }
  const std::vector<int> kept = kept_cells(arguments, "", cell_names);
  std::vector<int> cell(std::size_t(centres * leaves), -1);
  for (std::size_t s = 0; s < kept.size(); ++s) {
    for (int at : cells[std::size_t(kept[s])]) cell[std::size_t(at)] = static_cast<int>(s);
    names.push_back(cell_names[std::size_t(kept[s])]);
  }
  const std::string text = mode.prefix() + "starmix(" + std::to_string(k) + ", \"" + attr + "\"" +
                           arguments.written_options({"base", "diff"}) + ")";
  return std::make_shared<ModeStars>(text, std::move(names), mode, merged(centre, leaf), leaves,
                                     std::move(cell), k, false);
}

constexpr std::array<TermEntry, 4> entries = {{
    {"b1twostar", "b1attr, b2attr, base, b1levels, b2levels, levels2",
     "two-mode: two-stars centred on a first-mode node, by its level and its two neighbours' "
     "levels",
     Networks::both, "", make_twostar<1>},
    {"b2twostar", "b1attr, b2attr, base, b1levels, b2levels, levels2",
     "two-mode: two-stars centred on a second-mode node, by its level and its two neighbours' "
     "levels",
     Networks::both, "", make_twostar<2>},
    {"b1starmix", "k, attr, base, diff=TRUE",
     "two-mode: k-stars centred on a first-mode node whose k neighbours share a level, by the "
     "centre's level (and that level)",
     Networks::both, "", make_starmix<1>},
    {"b2starmix", "k, attr, base, diff=TRUE",
     "two-mode: k-stars centred on a second-mode node whose k neighbours share a level, by the "
     "centre's level (and that level)",
     Networks::both, "", make_starmix<2>},
}};

}  // namespace

std::span<const TermEntry> bipartite_mixing_term_entries() {
  return entries;
}

}  // namespace tarn
