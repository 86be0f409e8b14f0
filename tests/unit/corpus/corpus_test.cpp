// The exactness corpus: whole fits on seeded random networks, reported through fit_model and
// output, compared character for character with the screen and output-file texts kept in
// tests/corpus/. Any change to the statistics or the fit that moves one printed digit shows here.
//
// Each fit is also done again the plain way (every dyad, every parameter, every pair of
// parameters, in sweep order, each product formed as written) and must agree with the program's
// fit bit for bit, wherever every fitted probability stays strictly between 0 and 1.
//
// To write the golden files anew (after a deliberate change of the reports), run the test
// program with TARNWICK_CORPUS_REGENERATE=1 in the environment; by default they are only read.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fit/fit_model.h"
#include "fit/gaussj.h"
#include "fit/pseudo_likelihood.h"
#include "input/comparative_file.h"
#include "model/type_switches.h"
#include "stats/calcfr.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::LinkList;
using test::World;

// A seeded random network on nodes 1..n. Each unordered pair is joined with probability
// `density`, reciprocated with probability `reciprocity` (else one tie in a random direction);
// then `closure` times n(n-1) attempts each close a random two-path a->b->c with a->c; each node
// has a self-tie with probability `self_tie`; `repeats` links are given a second time. Within a
// source the links come in a shuffled order; node n always takes part in a link.
struct NetSpec {
  int n = 10;
  double density = 0.2;
  double reciprocity = 0.3;
  unsigned seed = 1;
  double closure = 0.0;
  double self_tie = 0.0;
  int repeats = 0;
};

// Uniform draws from the raw 32-bit output of mt19937, which the standard fixes exactly (the
// library's distributions are not fixed, so they are not used).
class Draw {
 public:
  explicit Draw(unsigned seed) : gen_(seed) {}
  double unit() { return static_cast<double>(gen_()) / 4294967296.0; }
  int below(int limit) { return static_cast<int>(gen_() % static_cast<unsigned>(limit)); }

 private:
  std::mt19937 gen_;
};

LinkList corpus_network(const NetSpec& s) {
  const int n = s.n;
  Draw draw(s.seed);
  std::vector<std::vector<char>> x(static_cast<std::size_t>(n) + 1,
                                   std::vector<char>(static_cast<std::size_t>(n) + 1, 0));
  for (int a = 1; a <= n; ++a) {
    for (int b = a + 1; b <= n; ++b) {
      if (draw.unit() >= s.density) continue;
      if (draw.unit() < s.reciprocity) {
        x[a][b] = x[b][a] = 1;
      } else if (draw.unit() < 0.5) {
        x[a][b] = 1;
      } else {
        x[b][a] = 1;
      }
    }
  }
  const long attempts = static_cast<long>(s.closure * n * (n - 1));
  for (long t = 0; t < attempts; ++t) {
    const int a = 1 + draw.below(n);
    const int b = 1 + draw.below(n);
    if (a == b || !x[a][b]) continue;
    const int c = 1 + draw.below(n);
    if (c != a && c != b && x[b][c]) x[a][c] = 1;
  }
  for (int a = 1; a <= n; ++a) {
    if (draw.unit() < s.self_tie) x[a][a] = 1;
  }
  bool n_linked = false;
  for (int a = 1; a <= n; ++a) n_linked = n_linked || x[n][a] || x[a][n];
  if (!n_linked && n >= 2) x[n][1] = 1;

  LinkList links;
  for (int a = 1; a <= n; ++a) {
    const std::size_t first = links.size();
    for (int b = 1; b <= n; ++b) {
      if (x[a][b]) links.emplace_back(a, b);
    }
    for (std::size_t k = links.size(); k > first + 1; --k) {
      const std::size_t pick =
          first + static_cast<std::size_t>(draw.below(static_cast<int>(k - first)));
      std::swap(links[k - 1], links[pick]);
    }
  }
  for (int r = 0; r < s.repeats && !links.empty(); ++r) {
    const std::size_t pick = static_cast<std::size_t>(draw.below(static_cast<int>(links.size())));
    links.insert(links.begin() + static_cast<long>(pick) + 1, links[pick]);
  }
  return links;
}

// A comparative network file: for every sender in ascending order, records for a random set of
// receivers with values in -2..3 (zero values included, which the stream passes over); with
// `oddities`, some pairs are given twice and some receivers lie beyond n; with `extremes`, a few
// records carry values of several hundred.
// A comparative file that separates the ties: value 1 on each link of the network, 60 on about
// one link in ten, no record elsewhere. Its estimate runs to the bound and some dyads are then
// fitted with probability exactly 1 (weight 0).
std::string separating_text(const LinkList& links, unsigned seed) {
  Draw draw(seed);
  std::string text = "(3I5)\n";
  char line[32];
  for (const auto& [i, j] : links) {
    std::snprintf(line, sizeof line, "%5d%5d%5d\n", i, j, draw.unit() < 0.1 ? 60 : 1);
    text += line;
  }
  return text;
}

std::string comparative_text(int n, double share, unsigned seed, bool oddities,
                             bool extremes = false) {
  Draw draw(seed);
  std::string text = "(3I5)\n";
  char line[32];
  auto record = [&](int i, int j, int v) {
    std::snprintf(line, sizeof line, "%5d%5d%5d\n", i, j, v);
    text += line;
  };
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      if (draw.unit() >= share) continue;
      int v = draw.below(6) - 2;
      if (extremes && draw.unit() < 0.02) v = draw.unit() < 0.5 ? 700 : -600;
      record(i, j, v);
      if (oddities && draw.unit() < 0.05) record(i, j, 1 + draw.below(3));
    }
    if (oddities && draw.unit() < 0.1) record(i, n + 1 + draw.below(5), 1);
  }
  return text;
}

// One block-parameter group: a configuration type and its chosen block-type numbers.
struct Group {
  int type = 1;
  std::vector<int> blocks;
};

struct Blocking {
  int block_count = 0;                   // 0: no blocking
  std::vector<std::vector<int>> matrix;  // block_type(r, c); empty: the identity structure
  double unblocked = 0.0;                // share of nodes without an attribute value (block 0)
  std::vector<Group> groups;
};

struct Case {
  const char* name;
  NetSpec net;
  std::vector<int> globals;
  bool diagonal = false;
  Blocking blocking = {};
  double compar_share = 0.0;  // > 0: type 16 reads a comparative file of this density
  bool compar_oddities = false;
  bool compar_extremes = false;
  bool compar_separating = false;
};

// The records as the model dialogue leaves them for the case's model.
void set_up(World& w, const Case& c, const LinkList& links) {
  Records& rec = w.rec;
  rec.data.zero = 0.0;
  rec.data.one = 1.0;
  rec.flags.skip_diagonal = c.diagonal ? 0 : 1;
  Blocks& blocks = rec.blocks;
  Stats& stats = rec.stats;
  auto append = [&stats](int column) {
    ++stats.param_count;
    stats.param_column(stats.param_count) = static_cast<int16>(column);
  };
  for (int t = 1; t <= 16; ++t) rec.flags.type_on(t) = 0;
  stats.param_count = 0;
  for (int t : c.globals) {
    append(t);
    rec.flags.type_on(t) = 1;
  }
  const Blocking& b = c.blocking;
  if (b.block_count > 0) {
    const int n = w.n();
    Draw draw(c.net.seed * 7919u + 13u);
    rec.flags.use_blocks = 1;
    rec.nodes.attr_count = 1;
    for (int i = 1; i <= n; ++i) {
      const bool unblocked = draw.unit() < b.unblocked;
      rec.nodes.attr_value(i, 1) =
          static_cast<int16>(unblocked ? 0 : 1 + draw.below(b.block_count));
    }
    rec.nodes.attr_max(1) = static_cast<int16>(b.block_count);
    blocks.block_attr = 1;
    blocks.block_count = static_cast<int16>(b.block_count);
    int largest = 0;
    for (int r = 1; r <= b.block_count; ++r) {
      for (int col = 1; col <= b.block_count; ++col) {
        const int v =
            b.matrix.empty()
                ? (r == col ? 1 : 0)
                : b.matrix[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(col - 1)];
        blocks.block_type(r, col) = static_cast<int16>(v);
        if (v > largest) largest = v;
      }
    }
    blocks.block_type_count = static_cast<int16>(largest);
    for (int g = 1; g <= 16; ++g) {
      blocks.group_type(g) = 0;
      blocks.group_size(g) = 0;
      blocks.group_column0(g) = static_cast<int16>(16 + largest * (g - 1));
    }
    int g = 0;
    for (const Group& group : b.groups) {
      ++g;
      blocks.group_type(g) = static_cast<int16>(group.type);
      blocks.group_size(g) = static_cast<int16>(group.blocks.size());
      int k = 0;
      for (int number : group.blocks) {
        ++k;
        // With a single block type the row of group_blocks is the configuration type.
        const int row = largest == 1 ? group.type : g;
        blocks.group_blocks(row, k) = static_cast<int16>(number);
        append(blocks.group_column0(g) + number);
      }
      rec.flags.type_on(group.type) = 1;
    }
  } else {
    rec.flags.use_blocks = 0;
    blocks.block_attr = 0;
  }
  derive_type_switches(rec);
  if (rec.flags.type_on(16) == 1 && c.compar_separating) {
    w.open_comparative(separating_text(links, c.net.seed + 103u));
  } else if (rec.flags.type_on(16) == 1) {
    w.open_comparative(comparative_text(c.net.n, c.compar_share, c.net.seed + 101u,
                                        c.compar_oddities, c.compar_extremes));
  }
}

std::vector<int> range(int first, int last) {
  std::vector<int> v;
  for (int t = first; t <= last; ++t) v.push_back(t);
  return v;
}

std::vector<Case> corpus_cases() {
  std::vector<Case> cases;
  auto add = [&cases](Case c) { cases.push_back(std::move(c)); };
  // Global parameters.
  add({"tiny_edges", {5, 0.4, 0.3, 1}, {1}});
  add({"two_nodes", {2, 1.0, 0.0, 2}, {1}});
  add({"small_reciprocity", {12, 0.3, 0.4, 3}, {1, 2}});
  add({"stars", {20, 0.2, 0.3, 4}, range(1, 5)});
  add({"triads", {33, 0.15, 0.5, 5, 0.1}, range(1, 7)});
  add({"r2stars", {47, 0.1, 0.4, 6, 0.05}, range(1, 10)});
  add({"all_types", {60, 0.08, 0.35, 7, 0.08}, range(1, 15)});
  add({"all_types_dense", {40, 0.35, 0.6, 8, 0.05}, range(1, 15)});
  add({"only_type_15", {40, 0.12, 0.6, 9, 0.1}, {15}});
  add({"edges_and_15", {40, 0.12, 0.6, 10, 0.1}, {1, 15}});
  add({"rtriads_11_12", {36, 0.12, 0.5, 11, 0.1}, {1, 2, 11, 12}});
  add({"rtriad_13", {36, 0.12, 0.5, 12, 0.1}, {1, 13}});
  add({"rtriad_14", {36, 0.12, 0.5, 13, 0.1}, {1, 2, 14}});
  add({"transitive_cyclic", {50, 0.1, 0.3, 14, 0.15}, {1, 6, 7}});
  add({"r2stars_only", {45, 0.1, 0.5, 15}, {1, 8, 9, 10}});
  add({"shuffled_order", {38, 0.12, 0.4, 16, 0.1}, {6, 1, 3, 2}});
  add({"reverse_order",
       {30, 0.15, 0.45, 17, 0.1},
       {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}});
  add({"dense", {60, 0.5, 0.5, 18}, range(1, 7)});
  add({"sparse", {60, 0.03, 0.2, 19}, {1, 2, 3, 4}});
  add({"no_reciprocity_dependent", {25, 0.2, 0.0, 20}, {1, 2, 10}});
  add({"zero_column_dependent", {25, 0.2, 0.0, 21}, {1, 15}});
  add({"separated_reciprocity", {30, 0.15, 1.0, 22}, {1, 2}});
  add({"repeated_links", {30, 0.15, 0.3, 23, 0.05, 0.0, 3}, range(1, 10)});
  // The diagonal and self-ties.
  add({"diagonal_stars", {30, 0.15, 0.4, 24, 0.05, 0.3}, range(1, 5), true});
  add({"diagonal_all", {30, 0.15, 0.4, 25, 0.1, 0.3}, range(1, 15), true});
  add({"self_ties_skipped", {25, 0.2, 0.4, 26, 0.05, 0.4}, {1, 2, 6, 8, 10}});
  add({"diagonal_edges", {18, 0.2, 0.3, 27}, {1}, true});
  // The comparative network.
  add({"comparative", {20, 0.2, 0.3, 28}, {1, 16}, false, {}, 0.3});
  add({"comparative_oddities", {28, 0.15, 0.3, 29}, {16, 3, 1}, false, {}, 0.25, true});
  add({"comparative_all", {35, 0.15, 0.4, 30, 0.1}, range(1, 16), false, {}, 0.2});
  add({"comparative_diagonal", {22, 0.2, 0.4, 31, 0.0, 0.2}, {1, 2, 16}, true, {}, 0.4, true});
  add({"comparative_extremes",
       {30, 0.15, 0.4, 40, 0.05},
       {1, 2, 16, 6},
       false,
       {},
       0.3,
       false,
       true});
  add({"comparative_extremes_final", {24, 0.2, 0.3, 41}, {16, 1}, true, {}, 0.5, true, true});
  add({"separating_comparative", {20, 0.2, 0.3, 42}, {1, 16}, false, {}, 0.0, false, false, true});
  add({"separating_comparative_triads",
       {30, 0.15, 0.5, 43, 0.1},
       {1, 2, 6, 16},
       false,
       {},
       0.0,
       false,
       false,
       true});
  // Block parameters.
  add({"default_blocks",
       {40, 0.12, 0.4, 32, 0.1},
       {1, 2},
       false,
       {3, {}, 0.0, {{1, {1}}, {3, {1}}, {6, {1}}}}});
  add({"four_block_types",
       {36, 0.15, 0.4, 33, 0.1},
       {2, 4, 7},
       false,
       {2, {{1, 2}, {3, 4}}, 0.0, {{1, {1, 2, 3, 4}}, {3, {2, 4}}, {6, {1, 2, 3, 4}}}}});
  add({"unblocked_nodes",
       {42, 0.12, 0.4, 34, 0.1},
       {1, 2},
       false,
       {3, {{1, 0, 2}, {0, 1, 2}, {2, 2, 1}}, 0.15, {{1, {2}}, {5, {1, 2}}, {8, {1, 2}}}}});
  add({"column_64",
       {60, 0.2, 0.5, 35, 0.1},
       {},
       false,
       {2,
        {{1, 2}, {3, 4}},
        0.0,
        {{1, {1, 2, 3, 4}},
         {2, {1, 2, 3, 4}},
         {3, {1, 2, 3, 4}},
         {4, {1, 2, 3, 4}},
         {5, {1, 2, 3, 4}},
         {6, {1, 2, 3, 4}},
         {7, {1, 2, 3, 4}},
         {8, {1, 2, 3, 4}},
         {9, {1, 2, 3, 4}},
         {10, {1, 2, 3, 4}},
         {11, {1, 2, 3, 4}},
         {12, {1, 2, 3, 4}}}}});
  add({"sixteen_block_types",
       {48, 0.2, 0.4, 36, 0.05},
       {2},
       false,
       {4,
        {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}},
        0.0,
        {{1, range(1, 16)}, {3, {1, 6, 11, 16}}, {4, {2, 3, 5, 8, 9}}}}});
  add({"blocks_and_comparative",
       {32, 0.15, 0.4, 37, 0.05},
       {16, 1},
       false,
       {2, {{1, 2}, {2, 1}}, 0.0, {{2, {1, 2}}, {6, {1}}}},
       0.3});
  add({"blocks_diagonal",
       {30, 0.2, 0.4, 38, 0.05, 0.3},
       {1},
       true,
       {2, {{1, 0}, {2, 1}}, 0.0, {{3, {1, 2}}, {9, {2}}}}});
  add({"default_blocks_15",
       {44, 0.15, 0.6, 39, 0.1},
       {1},
       false,
       {2, {}, 0.0, {{15, {1}}, {10, {1}}}}});
  return cases;
}

std::filesystem::path corpus_folder() {
  if (const char* root = std::getenv("TARNWICK_DATA")) {
    return std::filesystem::path(root) / "tests" / "corpus";
  }
  return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "corpus";
}

bool regenerating() {
  const char* flag = std::getenv("TARNWICK_CORPUS_REGENERATE");
  return flag != nullptr && std::string(flag) == "1";
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good()) << path;
}

// The fit exactly as written: every included dyad, every parameter, every pair (k, l).
struct Literal {
  bool completed = false;
  int passes = 0;
  int32 too_many_iterations = 0;
  ParamVector estimate;
  ParamMatrix covariance;
  double null_loglik = 0, loglik = 0, abs_resid_sum = 0, sq_resid_sum = 0, pearson_sum = 0;
  int32 class_table[2][2] = {{0, 0}, {0, 0}};
};

template <class Visit>
void literal_sweep(World& w, Visit visit) {
  Records& rec = w.rec;
  const int n = rec.nodes.node_count;
  const int m = rec.stats.param_count;
  init(rec, w.io);
  double x[max_params + 1];
  for (int i = 1; i <= n; ++i) {
    calcfr(rec, w.io, static_cast<int16>(i));
    for (int j = 1; j <= n; ++j) {
      if (rec.flags.skip_diagonal != 0 && j == i) continue;
      for (int k = 1; k <= m; ++k) x[k] = rec.stats.change_stat(j, rec.stats.param_column(k));
      visit(static_cast<double>(rec.data.tie_row(j)), x);
    }
  }
}

std::unique_ptr<Literal> literal_fit(World& w) {
  auto out = std::make_unique<Literal>();
  auto xsq = std::make_unique<ParamMatrix>();
  auto wxsq = std::make_unique<ParamMatrix>();
  ParamVector xty, ols, logit_xsum, previous, wz_sum;
  Records& rec = w.rec;
  const int m = rec.stats.param_count;
  const int n = rec.nodes.node_count;
  const double dyads = n * (n - 1) + (rec.flags.skip_diagonal == 0 ? n : 0);
  double tie_total = 0.0;
  literal_sweep(w, [&](double y, const double* x) {
    tie_total += y;
    for (int k = 1; k <= m; ++k) {
      xty(k) += x[k] * y;
      for (int l = 1; l <= m; ++l) (*xsq)(k, l) += x[k] * x[l];
    }
  });
  int32 invertible = 0;
  gaussj(*xsq, static_cast<int16>(m), invertible);
  if (invertible == 0) return out;
  const double t0 = -std::log(dyads / tie_total - 1.0);
  out->null_loglik = t0 * tie_total - dyads * std::log(1.0 + std::exp(t0));
  for (int k = 1; k <= m; ++k) {
    double s = 0.0;
    for (int l = 1; l <= m; ++l) s += (*xsq)(k, l) * xty(l);
    ols(k) = s;
  }
  literal_sweep(w, [&](double, const double* x) {
    double s = 0.0;
    for (int k = 1; k <= m; ++k) s += x[k] * ols(k);
    if (s > 0.99) s = 0.99;
    if (s < 0.01) s = 0.01;
    const double z = std::log(s / (1.0 - s));
    for (int k = 1; k <= m; ++k) logit_xsum(k) += x[k] * z;
  });
  for (int k = 1; k <= m; ++k) {
    double s = 0.0;
    for (int l = 1; l <= m; ++l) s += (*xsq)(k, l) * logit_xsum(l);
    previous(k) = s;
  }
  ParamVector& b = out->estimate;
  b = previous;
  for (int pass = 3;;) {
    for (int k = 1; k <= m; ++k) wz_sum(k) = 0.0;
    wxsq->v.fill(0.0);
    literal_sweep(w, [&](double y, const double* x) {
      double eta = 0.0;
      for (int k = 1; k <= m; ++k) eta += x[k] * b(k);
      const double p = 1.0 / (1.0 + std::exp(-eta));
      const double wt = p * (1.0 - p);
      const double z = eta + (y - p) / wt;
      for (int k = 1; k <= m; ++k) {
        const double u = wt * x[k];
        wz_sum(k) += z * u;
        for (int l = 1; l <= m; ++l) (*wxsq)(k, l) += u * x[l];
      }
    });
    ++out->passes;
    gaussj(*wxsq, static_cast<int16>(m), invertible);
    if (invertible == 0) return out;
    for (int k = 1; k <= m; ++k) {
      double s = 0.0;
      for (int l = 1; l <= m; ++l) s += (*wxsq)(k, l) * wz_sum(l);
      if (s > 15.0) s = 15.0;
      if (s < -15.0) s = -15.0;
      b(k) = s;
    }
    if (++pass > 12) {
      out->too_many_iterations = 1;
      break;
    }
    bool moving = false;
    for (int k = 1; k <= m; ++k) {
      const double d = std::fabs(previous(k) - b(k));
      previous(k) = b(k);
      if (d > 0.001 * (std::fabs(b(k)) + 0.000001)) moving = true;
    }
    if (!moving) break;
  }
  ParamMatrix& cov = out->covariance;
  double sum = 0.0;
  literal_sweep(w, [&](double y, const double* x) {
    double eta = 0.0;
    for (int k = 1; k <= m; ++k) eta += x[k] * b(k);
    const double e = std::exp(-eta);
    sum += std::log(1.0 + 1.0 / e);
    const double p = 1.0 / (1.0 + e);
    const double r = y - p;
    out->abs_resid_sum += std::fabs(r);
    out->sq_resid_sum += r * r;
    out->pearson_sum += r * r / (p * (1.0 - p));
    ++out->class_table[static_cast<int>(y)][static_cast<int>(p + 0.5)];
    const double v = e / ((1.0 + e) * (1.0 + e));
    for (int k = 1; k <= m; ++k)
      for (int l = 1; l <= m; ++l) cov(k, l) += v * x[k] * x[l];
  });
  double gain = 0.0;
  for (int k = 1; k <= m; ++k) gain += xty(k) * b(k);
  out->loglik = gain - sum;
  int32 final_invertible = 0;
  gaussj(cov, static_cast<int16>(m), final_invertible);
  out->completed = true;
  return out;
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The program's fit against the literal one, bit for bit.
void expect_literal_bits(World& w) {
  auto state = std::make_unique<FitState>();
  const FitEnd end = run_fit(w.rec, w.io, *state);
  // With a fitted probability of exactly 0 or 1 the literal passes meet values that are not
  // numbers; the golden reports cover those fits.
  if (state->zero_weight_dyads != 0) return;
  auto literal = literal_fit(w);
  ASSERT_EQ(end == FitEnd::completed, literal->completed);
  if (end != FitEnd::completed) return;
  const Stats& st = w.rec.stats;
  const int m = st.param_count;
  EXPECT_EQ(state->newton_passes, literal->passes);
  EXPECT_EQ(state->too_many_iterations, literal->too_many_iterations);
  int differing = 0;
  for (int k = 1; k <= m; ++k) {
    differing += same_bits(state->estimate(k), literal->estimate(k)) ? 0 : 1;
    for (int l = 1; l <= m; ++l) {
      differing += same_bits(state->covariance(k, l), literal->covariance(k, l)) ? 0 : 1;
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_TRUE(same_bits(st.null_loglik, literal->null_loglik));
  EXPECT_TRUE(same_bits(st.loglik, literal->loglik));
  EXPECT_TRUE(same_bits(st.abs_resid_sum, literal->abs_resid_sum));
  EXPECT_TRUE(same_bits(st.sq_resid_sum, literal->sq_resid_sum));
  EXPECT_TRUE(same_bits(st.pearson_sum, literal->pearson_sum));
  for (int o = 0; o < 2; ++o)
    for (int q = 0; q < 2; ++q) EXPECT_EQ(st.class_table(o + 1, q + 1), literal->class_table[o][q]);
}

class Corpus : public ::testing::TestWithParam<Case> {};

TEST_P(Corpus, ReportsUnchanged) {
  const Case& c = GetParam();
  const LinkList links = corpus_network(c.net);
  World w(links);
  set_up(w, c, links);
  const std::filesystem::path out_path = std::filesystem::path(::testing::TempDir()) /
                                         (std::string("tarnwick_corpus_") + c.name + ".out");
  w.io.output_file = std::make_unique<std::ofstream>(out_path);
  fit_model(w.rec, w.io);
  w.io.output_file->close();
  const std::string screen = w.screen.str();
  const std::string file = read_file(out_path);
  std::filesystem::remove(out_path);

  const std::filesystem::path golden = corpus_folder() / c.name;
  if (regenerating()) {
    std::filesystem::create_directories(corpus_folder());
    write_file(golden.string() + ".screen", screen);
    write_file(golden.string() + ".out", file);
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(golden.string() + ".screen")) << golden;
  EXPECT_EQ(screen, read_file(golden.string() + ".screen"));
  EXPECT_EQ(file, read_file(golden.string() + ".out"));
}

TEST_P(Corpus, SameBitsAsTheLiteralFit) {
  const Case& c = GetParam();
  const LinkList links = corpus_network(c.net);
  World w(links);
  set_up(w, c, links);
  expect_literal_bits(w);
}

INSTANTIATE_TEST_SUITE_P(Fits, Corpus, ::testing::ValuesIn(corpus_cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tarn
