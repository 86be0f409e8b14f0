// Terms of triad classes and cycles, with ergm's names and definitions. A triad is a set of three
// nodes; directed, its class is one of Holland and Leinhardt's sixteen (003, 012, 102, 021D,
// 021U, 021C, 111D, 111U, 030T, 030C, 201, 120D, 120U, 120C, 210, 300: mutual, asymmetric and
// null pairs, then the letters: D down, U up, C cyclic, T transitive); undirected, its count of
// edges 0..3.
//   triadcensus(levels)  the triads of each class kept (by default all but 003, undirected 0)
//   transitive           directed: the transitive triples i->j, j->k, i->k, as ergm's code
//                        counts them (the count of ttriple; ergm's page names the triads of
//                        classes 030T, 120D, 120U and 300, which its code does not count)
//   intransitive         directed: the two-paths i->j->k (i != k) without the link i->k, as
//                        ergm's code counts them (its page names classes 021C ... 201)
//   balance              directed: 102 or 300; undirected: the triads of 1 or 3 edges
//   simmelian            directed: the triads of class 300; nearsimmelian: 210
//   simmelianties        directed: the links i->j with i<>j and a k with i<>k<>j
//   opentriad            undirected: kstar(2) - 3 triangle
//   localtriangle(x)     triangles whose three pairs are neighbours in the 0/1 matrix x
//   cycle(k)             the cycles of length k (directed: i1->i2->...->ik->i1), k from 2
//                        (directed; 2: the mutual pairs) or 3 (undirected) to n
// A dyad's change is the change of the triads it is in: those whose third node is joined to
// neither end all move between the same two classes, so only the neighbours are walked.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"
#include "terms/triangles_by_attribute.h"

namespace tarn {

namespace {

constexpr std::array<std::string_view, 16> directed_classes = {
    "003",  "012",  "102", "021D", "021U", "021C", "111D", "111U",
    "030T", "030C", "201", "120D", "120U", "120C", "210",  "300"};
constexpr std::array<std::string_view, 4> undirected_classes = {"0", "1", "2", "3"};

// The class of a directed triad from its six ties, bit 0 a->b, 1 b->a, 2 a->c, 3 c->a, 4 b->c,
// 5 c->b.
int directed_class(unsigned code) {
  const auto tie = [code](int bit) { return static_cast<int>((code >> bit) & 1u); };
  // The three pairs as (first, second) nodes 0..2, with their two ties.
  const int pair_nodes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
  int mutual = 0, asymmetric = 0;
  int out[3] = {0, 0, 0}, in[3] = {0, 0, 0};  // asymmetric ties only
  int mutual_pair = -1;
  for (int p = 0; p < 3; ++p) {
    const int forward = tie(2 * p), backward = tie(2 * p + 1);
    const int a = pair_nodes[p][0], b = pair_nodes[p][1];
    if (forward && backward) {
      ++mutual;
      mutual_pair = p;
    } else if (forward || backward) {
      ++asymmetric;
      ++out[forward ? a : b];
      ++in[forward ? b : a];
    }
  }
  const bool shared_sender = *std::max_element(out, out + 3) == 2;
  const bool shared_receiver = *std::max_element(in, in + 3) == 2;
  if (mutual == 0 && asymmetric == 0) return 0;
  if (mutual == 0 && asymmetric == 1) return 1;
  if (mutual == 1 && asymmetric == 0) return 2;
  if (mutual == 0 && asymmetric == 2) return shared_sender ? 3 : shared_receiver ? 4 : 5;
  if (mutual == 1 && asymmetric == 1) {
    // 111D: the asymmetric tie goes into the mutual pair (a<->b<-c); 111U: out of it.
    int receiver = -1;
    for (int v = 0; v < 3; ++v) receiver = in[v] == 1 ? v : receiver;
    const bool into =
        pair_nodes[mutual_pair][0] == receiver || pair_nodes[mutual_pair][1] == receiver;
    return into ? 6 : 7;
  }
  if (mutual == 0 && asymmetric == 3) return shared_sender && shared_receiver ? 8 : 9;
  if (mutual == 2 && asymmetric == 0) return 10;
  if (mutual == 1 && asymmetric == 2) return shared_sender ? 11 : shared_receiver ? 12 : 13;
  if (mutual == 2) return 14;
  return 15;
}

// Triads weighed by class: statistic s adds weight[s * classes + c] for each triad of class c.
class TriadClasses final : public Term {
 public:
  TriadClasses(std::string text, std::vector<std::string> names, bool directed,
               std::vector<double> weight)
      : Term(std::move(text), std::move(names)), directed_(directed), weight_(std::move(weight)) {
    for (unsigned code = 0; code < 64; ++code)
      class_of_[code] = static_cast<std::uint8_t>(directed ? directed_class(code)
                                                           : std::popcount(code & 0b010101u));
  }

  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int m = statistic_count();
    for (int s = 0; s < m; ++s) out[s] = 0.0;
    const unsigned back = directed_ ? static_cast<unsigned>(g.tie(j, i)) << 1 : 0u;
    // The third nodes joined to i or j, each once: i's receivers, its other senders, then j's
    // neighbours not joined to i.
    int apart = g.node_count() - 2;
    auto visit = [&](int k) {
      if (k == i || k == j) return;
      --apart;
      unsigned code =
          back | static_cast<unsigned>(g.tie(i, k)) << 2 | static_cast<unsigned>(g.tie(k, i)) << 3 |
          static_cast<unsigned>(g.tie(j, k)) << 4 | static_cast<unsigned>(g.tie(k, j)) << 5;
      if (!directed_) code &= 0b010101u;
      add_move(out, code, 1.0);
    };
    auto joined_to_i = [&](int k) { return g.has_link(i, k) || (directed_ && g.has_link(k, i)); };
    g.for_each_receiver(i, visit);
    if (directed_) {
      g.for_each_sender(i, [&](int k) {
        if (!g.has_link(i, k)) visit(k);
      });
    }
    g.for_each_receiver(j, [&](int k) {
      if (!joined_to_i(k)) visit(k);
    });
    if (directed_) {
      g.for_each_sender(j, [&](int k) {
        if (!g.has_link(j, k) && !joined_to_i(k)) visit(k);
      });
    }
    if (apart > 0) add_move(out, back, apart);
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // Every triad of the empty graph is of the first class; the links added one by one change the
  // statistics by their change statistics.
  void network_statistics(const TermGraph& g, double* out) const override {
    const int m = statistic_count();
    const double n = g.node_count();
    const double triads = n * (n - 1) * (n - 2) / 6;
    for (int s = 0; s < m; ++s) out[s] = triads * weight_[index(s, 0)];
    TermGraph built(g.node_count(), g.directed());
    std::vector<double> change(static_cast<std::size_t>(m));
    for (const auto& [a, b] : g.link_list()) {
      add_change(built, a, b, change.data());
      for (int s = 0; s < m; ++s) out[s] += change[static_cast<std::size_t>(s)];
      built.toggle(a, b);
    }
  }

 private:
  std::size_t index(int s, int c) const {
    return static_cast<std::size_t>(s) * (directed_ ? 16 : 4) + static_cast<std::size_t>(c);
  }
  // `times` triads move from the class of `code` without the link i->j to that with it.
  void add_move(double* out, unsigned code, double times) const {
    const int without = class_of_[code], with = class_of_[code | 1u];
    if (without == with) return;
    for (int s = 0; s < statistic_count(); ++s) {
      out[s] += times * (weight_[index(s, with)] - weight_[index(s, without)]);
    }
  }

  bool directed_;
  std::vector<double> weight_;
  std::array<std::uint8_t, 64> class_of_{};
};

// A term of one statistic: the triads of the classes named.
TermPointer one_statistic(const std::string& name, bool directed,
                          std::initializer_list<std::string_view> classes) {
  const std::size_t count = directed ? 16 : 4;
  std::vector<double> weight(count, 0.0);
  for (std::string_view c : classes) {
    for (std::size_t k = 0; k < count; ++k) {
      if ((directed ? directed_classes[k] : undirected_classes[k]) == c) weight[k] = 1.0;
    }
  }
  return std::make_shared<TriadClasses>(name, std::vector<std::string>{name}, directed,
                                        std::move(weight));
}

// ergm's intransitive: the two-paths i->j->k, i != k, that no link i->k closes.
class OpenTwoPaths final : public Term {
 public:
  OpenTwoPaths() : Term("intransitive", {"intransitive"}) {}
  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }

  // i->j as the first step (i->j->k), the second (k->i->j), and the closing link (i->k->j).
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    double change = 0.0;
    g.for_each_receiver(j, [&](int k) { change += k != i && !g.has_link(i, k) ? 1 : 0; });
    g.for_each_sender(i, [&](int k) { change += k != j && !g.has_link(k, j) ? 1 : 0; });
    g.for_each_sender(j, [&](int k) { change -= k != i && g.has_link(i, k) ? 1 : 0; });
    out[0] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double count = 0;
    for (const auto& link : g.link_list()) {
      const int a = link.first;  // clang 14 captures no structured binding
      g.for_each_receiver(link.second,
                          [&](int c) { count += c != a && !g.has_link(a, c) ? 1 : 0; });
    }
    out[0] = count;
  }
};

template <int Which>  // 0 transitive, 1 intransitive, 2 balance, 3 simmelian, 4 nearsimmelian
TermPointer make_triad_term(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {});
  if (Which == 0) return make_transitive_triples(context.node_count);
  if (Which == 1) return std::make_shared<OpenTwoPaths>();
  if (Which == 3) return one_statistic("simmelian", true, {"300"});
  if (Which == 4) return one_statistic("nearsimmelian", true, {"210"});
  return context.directed ? one_statistic("balance", true, {"102", "300"})
                          : one_statistic("balance", false, {"1", "3"});
}

TermPointer make_triad_census(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"levels"});
  std::vector<std::string> classes;
  if (context.directed) {
    classes.assign(directed_classes.begin(), directed_classes.end());
  } else {
    classes.assign(undirected_classes.begin(), undirected_classes.end());
  }
  const std::vector<int> kept = kept_positions(arguments, "levels", classes, true);
  if (kept.empty()) arguments.fail("levels", "it keeps no class of triad");
  std::vector<std::string> names;
  std::vector<double> weight(kept.size() * classes.size(), 0.0);
  for (std::size_t s = 0; s < kept.size(); ++s) {
    names.push_back("triadcensus." + classes[static_cast<std::size_t>(kept[s])]);
    weight[s * classes.size() + static_cast<std::size_t>(kept[s])] = 1.0;
  }
  const std::string text =
      "triadcensus" + (arguments.given("levels")
                           ? "(levels=" + arguments.find("levels")->written + ")"
                           : std::string());
  return std::make_shared<TriadClasses>(text, std::move(names), context.directed,
                                        std::move(weight));
}

// The links i->j of a mutual pair that has a mutual partner k (i<>k<>j): the ties of Simmelian
// triads. Only a link whose reverse is present changes a pair's mutuality, and with it the pair
// and the pairs (i, k), (j, k) of the mutual partners k.
class SimmelianTies final : public Term {
 public:
  SimmelianTies() : Term("simmelianties", {"simmelianties"}) {}
  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    out[0] = 0.0;
    if (!g.has_link(j, i)) return;
    const bool now = g.has_link(i, j);  // the pair i<>j is mutual now
    double change = 0.0;
    g.for_each_receiver(i, [&](int k) {
      if (k == j || !mutual(g, i, k) || !mutual(g, j, k)) return;
      change = 2.0;
      // (i, k) and (j, k) without the pair i<>j: their mutual partners other than j.
      for (const int a : {i, j}) {
        if (mutual_partners(g, a, k) - (now ? 1 : 0) == 0) out[0] += 2.0;
      }
    });
    out[0] += change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double count = 0;
    for (const auto& [a, b] : g.link_list()) {
      count += mutual(g, a, b) && mutual_partners(g, a, b) > 0 ? 1 : 0;
    }
    out[0] = count;
  }

 private:
  static bool mutual(const TermGraph& g, int a, int b) {
    return g.has_link(a, b) && g.has_link(b, a);
  }
  static int mutual_partners(const TermGraph& g, int a, int b) {
    int count = 0;
    g.for_each_receiver(
        a, [&](int k) { count += k != b && g.has_link(k, a) && mutual(g, b, k) ? 1 : 0; });
    return count;
  }
};

TermPointer make_simmelian_ties(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {});
  return std::make_shared<SimmelianTies>();
}

// Undirected: the 2-stars less three times the triangles (each triangle holds three 2-stars).
class OpenTriads final : public Term {
 public:
  OpenTriads() : Term("opentriad", {"opentriad"}) {}
  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int x = g.tie(i, j);
    int common = 0;
    g.for_each_common_receiver(i, j, [&](int) { ++common; });
    out[0] = (g.degree(i) - x) + (g.degree(j) - x) - 3.0 * common;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    double stars = 0, triangles3 = 0;
    for (int a = 1; a <= g.node_count(); ++a) {
      const double d = g.degree(a);
      stars += d * (d - 1) / 2;
    }
    for (const auto& [a, b] : g.link_list()) {
      g.for_each_common_receiver(a, b, [&](int) { triangles3 += 1; });
    }
    out[0] = stars - triangles3;  // each triangle met once per edge: three times
  }
};

TermPointer make_open_triads(const TermCall& call, const TermContext&) {
  const TermArguments arguments(call, {});
  return std::make_shared<OpenTriads>();
}

// ergm's localtriangle(x): the triangles (directed: as triangle counts them) whose three pairs are
// all neighbours in x, a symmetric matrix of 0 and 1 (where it is not symmetric, the pairs whose
// values are 1 both ways, as ergm warns and does).
class LocalTriangles final : public Term {
 public:
  LocalTriangles(std::string text, std::string name, std::shared_ptr<const DyadValues> x)
      : Term(std::move(text), {std::move(name)}), x_(std::move(x)) {}
  bool dyad_independent() const override { return false; }
  bool counts_raw_triads() const override { return true; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    double change = 0.0;
    if (near(i, j)) {
      auto count = [&](int k) {
        if (k == i || !near(k, i) || !near(k, j)) return;
        change += g.directed() ? g.tie(k, i) + g.tie(i, k) : g.tie(k, i);
      };
      g.for_each_receiver(j, count);
      if (g.directed()) g.for_each_sender(j, count);
    }
    out[0] = change;
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // Each triangle met once from each of its three links.
  void network_statistics(const TermGraph& g, double* out) const override {
    out[0] = count_by_link_changes(*this, g, 3.0);
  }

 private:
  bool near(int a, int b) const { return x_->at(a, b) == 1.0 && x_->at(b, a) == 1.0; }
  std::shared_ptr<const DyadValues> x_;
};

TermPointer make_local_triangles(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"x", "attrname"});
  const std::string file = arguments.text("x");
  std::shared_ptr<const DyadValues> x =
      context.dyadic_covariate ? context.dyadic_covariate(file) : nullptr;
  if (x == nullptr || x->node_count() != context.node_count) {
    arguments.fail("x",
                   "cannot read \"" + file + "\" as a matrix of neighbourhoods of this network");
  }
  // The file's name without folder and extension (a covariate given by name: the name).
  std::string name =
      file.substr(file.find_last_of("/\\") == std::string::npos ? 0 : file.find_last_of("/\\") + 1);
  if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) {
    name.resize(dot);
  }
  if (arguments.given("attrname")) name = arguments.text("attrname");
  return std::make_shared<LocalTriangles>(
      "localtriangle(\"" + file + "\"" + arguments.written_options({"attrname"}) + ")",
      "localtriangle." + name, std::move(x));
}

// Cycles of the lengths asked: the change of the link i->j is the number of paths j -> ... -> i
// of length k - 1 through nodes other than i and j, each closing one cycle with it.
class Cycles final : public Term {
 public:
  Cycles(std::string text, std::vector<std::string> names, std::vector<int> lengths)
      : Term(std::move(text), std::move(names)),
        lengths_(std::move(lengths)),
        longest_(*std::max_element(lengths_.begin(), lengths_.end())) {}

  bool dyad_independent() const override { return false; }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    std::vector<double> by_length(static_cast<std::size_t>(longest_) + 1, 0.0);
    std::vector<int> path = {j};
    walk(g, i, path, by_length);
    for (std::size_t s = 0; s < lengths_.size(); ++s) {
      out[s] = by_length[static_cast<std::size_t>(lengths_[s])];
    }
  }
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    changes_dyad_by_dyad(*this, g, i, include_diagonal, rows);
  }
  // Each cycle of length k is closed by each of its k links.
  void network_statistics(const TermGraph& g, double* out) const override {
    std::vector<double> change(lengths_.size());
    for (std::size_t s = 0; s < lengths_.size(); ++s) out[s] = 0.0;
    for (const auto& [a, b] : g.link_list()) {
      add_change(g, a, b, change.data());
      for (std::size_t s = 0; s < lengths_.size(); ++s) out[s] += change[s];
    }
    for (std::size_t s = 0; s < lengths_.size(); ++s) out[s] /= lengths_[s];
  }

 private:
  // Extends the simple path (from j) to i: a link back to i closes a cycle of the path's nodes
  // and i.
  void walk(const TermGraph& g, int i, std::vector<int>& path,
            std::vector<double>& by_length) const {
    const int at = path.back();
    const int length = static_cast<int>(path.size()) + 1;  // the cycle's nodes with i
    // Undirected, j - i is the edge itself, no cycle.
    if ((g.directed() || path.size() > 1) && g.has_link(at, i)) {
      by_length[static_cast<std::size_t>(length)] += 1.0;
    }
    if (length + 1 > longest_) return;
    g.for_each_receiver(at, [&](int next) {
      if (next == i || std::find(path.begin(), path.end(), next) != path.end()) return;
      path.push_back(next);
      walk(g, i, path, by_length);
      path.pop_back();
    });
  }

  std::vector<int> lengths_;
  int longest_;
};

TermPointer make_cycle(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"k", "semi"});
  if (arguments.logical("semi", false)) {
    arguments.fail("semi", "semicycles are not offered; cycles follow the links' direction");
  }
  const int least = context.directed ? 2 : 3;
  const std::vector<int> lengths = arguments.whole_numbers("k", least);
  std::vector<std::string> names;
  std::string list;
  for (int k : lengths) {
    if (k > context.node_count) {
      arguments.fail("k", "a cycle of " + std::to_string(k) + " needs that many nodes (there are " +
                              std::to_string(context.node_count) + ")");
    }
    names.push_back("cycle" + std::to_string(k));
    list += (list.empty() ? "" : ", ") + std::to_string(k);
  }
  const std::string text = "cycle(" + (lengths.size() == 1 ? list : "c(" + list + ")") + ")";
  return std::make_shared<Cycles>(text, std::move(names), lengths);
}

constexpr std::array<TermEntry, 10> entries = {{
    {"triadcensus", "levels=-1",
     "triads of each class: directed the sixteen of Holland and Leinhardt, 003 to 300; "
     "undirected by their edges, 0 to 3",
     Networks::both, "", make_triad_census},
    {"transitive", "", "triads of class 030T, 120D, 120U or 300", Networks::directed, "triangle",
     make_triad_term<0>},
    {"intransitive", "", "triads of class 021C, 111D, 111U, 030C or 201", Networks::directed, "",
     make_triad_term<1>},
    {"balance", "", "triads of class 102 or 300 (undirected: of 1 or 3 edges)", Networks::both, "",
     make_triad_term<2>},
    {"simmelian", "", "Simmelian triads: triads of class 300, every pair mutual",
     Networks::directed, "triangle", make_triad_term<3>},
    {"simmelianties", "", "links i->j of a mutual pair with a mutual partner k (i<>k<>j)",
     Networks::directed, "", make_simmelian_ties},
    {"nearsimmelian", "", "triads of class 210: every pair joined, one link missing",
     Networks::directed, "", make_triad_term<4>},
    {"opentriad", "", "2-stars less three times the triangles: the 2-stars that no edge closes",
     Networks::undirected, "", make_open_triads},
    {"localtriangle", "x, attrname",
     "triangles (directed: as triangle counts them) whose three pairs are neighbours in x",
     Networks::both, "", make_local_triangles},
    {"cycle", "k, semi=FALSE",
     "cycles of length k (directed: following the links; k = 2 the mutual pairs)", Networks::both,
     "", make_cycle},
}};

}  // namespace

std::span<const TermEntry> triad_term_entries() {
  return entries;
}

}  // namespace tarn
