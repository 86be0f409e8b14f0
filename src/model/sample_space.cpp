#include "model/sample_space.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "model/study.h"
#include "network/setting_error.h"
#include "terms/formula.h"
#include "terms/term.h"

namespace tarn {

namespace {

constexpr const char* offered =
    "bd, blockdiag, degrees, edges, fixallbut, fixedas, idegrees, observed, odegrees";

// More nodes than this would make the table of free dyads too large (n^2 bytes).
constexpr int most_nodes_with_fixed_dyads = 16384;

// The spaces of missing dyads keep a table of every dyad, as fixed dyads do.
void check_table_size(int node_count) {
  if (node_count > most_nodes_with_fixed_dyads) {
    throw SettingError({"missing"}, "{0}: missing dyads are offered up to " +
                                        std::to_string(most_nodes_with_fixed_dyads) +
                                        " nodes; this network has " + std::to_string(node_count));
  }
}

[[noreturn]] void refuse(const TermCall& call, const std::string& why) {
  throw SettingError({"constraints"}, "{0=}" + call.written + ": " + why);
}

// The value of the argument `name` (or at `position` when given by position), or null.
const ArgumentValue* argument(const TermCall& call, const std::string& name, int position) {
  int unnamed = 0;
  for (const TermArgument& a : call.arguments) {
    if (a.name == name) return &a.value;
    if (a.name.empty() && unnamed++ == position) return &a.value;
  }
  return nullptr;
}

void check_argument_names(const TermCall& call, const std::vector<std::string>& allowed) {
  for (const TermArgument& a : call.arguments) {
    if (a.name.empty()) continue;
    if (std::find(allowed.begin(), allowed.end(), a.name) == allowed.end()) {
      std::string list;
      for (const std::string& s : allowed) list += (list.empty() ? "" : ", ") + s;
      refuse(call, "no argument " + a.name + " (it takes " + list + ")");
    }
  }
}

std::string text_argument(const TermCall& call, const std::string& name, int position) {
  const ArgumentValue* v = argument(call, name, position);
  if (v == nullptr) refuse(call, "give " + name);
  if (v->kind != ArgumentValue::Kind::text && v->kind != ArgumentValue::Kind::word) {
    refuse(call, name + " " + v->written + ": give a name in quotes");
  }
  return v->text;
}

int bound_argument(const TermCall& call, const std::string& name) {
  const ArgumentValue* v = argument(call, name, 1000);
  if (v == nullptr) return -1;
  if (v->kind != ArgumentValue::Kind::numbers || v->numbers.size() != 1 || v->numbers[0] < 0 ||
      v->numbers[0] != static_cast<int>(v->numbers[0])) {
    refuse(call, name + "=" + v->written + ": give a whole number, 0 or more");
  }
  return static_cast<int>(v->numbers[0]);
}

// A node as messages name it.
std::string node_text(const NodeLabels* labels, int node) {
  const std::string number = std::to_string(node);
  if (labels == nullptr || labels->numbered()) return number;
  return "\"" + labels->name(node) + "\"";
}

std::string dyad_text(const NodeLabels* labels, int i, int j) {
  return node_text(labels, i) + " " + node_text(labels, j);
}

// The node a file names: its label, or its number; 0 for neither.
int node_named(const NodeLabels* labels, const std::string& name, int n) {
  if (labels != nullptr && !labels->numbered()) {
    if (const int node = labels->labelled(name); node > 0) return node;
  }
  const auto number = plain_number(name);
  if (!number || *number != static_cast<int>(*number)) return 0;
  const int node = static_cast<int>(*number);
  return node >= 1 && node <= n ? node : 0;
}

// The dyads of an edge list file: two nodes a line (comma, blank or tab between), blank lines
// and lines starting with '#' left out, a first line that names no node taken as a header.
std::vector<std::pair<int, int>> read_dyads(const TermCall& call, const std::string& file, int n,
                                            const NodeLabels* labels) {
  std::ifstream in(file);
  if (!in) refuse(call, "cannot read the file \"" + file + "\"");
  std::vector<std::pair<int, int>> dyads;
  std::string line;
  bool first = true;
  for (int number = 1; std::getline(in, line); ++number) {
    std::replace(line.begin(), line.end(), ',', ' ');
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::replace(line.begin(), line.end(), '"', ' ');
    std::istringstream fields(line);
    std::string a, b, rest;
    if (!(fields >> a) || a[0] == '#') continue;
    fields >> b;
    fields >> rest;
    const int i = node_named(labels, a, n), j = node_named(labels, b, n);
    const bool header = first && i == 0 && j == 0;
    first = false;
    if (header) continue;
    const std::string where = "file \"" + file + "\" line " + std::to_string(number) + ": ";
    if (b.empty() || !rest.empty()) refuse(call, where + "give two nodes");
    if (i == 0 || j == 0) {
      refuse(call, where + "no node " + (i == 0 ? a : b) + " among nodes 1.." + std::to_string(n));
    }
    if (i == j) refuse(call, where + "a node with itself is no dyad");
    dyads.emplace_back(i, j);
  }
  return dyads;
}

// The free-dyad table being built: 1 free, 0 fixed; both orders kept alike when undirected.
class DyadTable {
 public:
  DyadTable(const TermCall& call, int n, bool directed) : n_(n), directed_(directed) {
    if (n > most_nodes_with_fixed_dyads) {
      refuse(call, "fixed dyads are offered up to " + std::to_string(most_nodes_with_fixed_dyads) +
                       " nodes");
    }
  }
  // Every dyad free unless an earlier constraint fixed it.
  void start(std::vector<unsigned char>& table) const {
    if (!table.empty()) return;
    table.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_), 1);
    for (int i = 1; i <= n_; ++i) table[index(i, i)] = 0;
  }
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n_) +
           static_cast<std::size_t>(j - 1);
  }
  void set(std::vector<unsigned char>& table, int i, int j, unsigned char v) const {
    table[index(i, j)] = v;
    if (!directed_) table[index(j, i)] = v;
  }

 private:
  int n_;
  bool directed_;
};

}  // namespace

bool SampleSpace::keeps_bounds(const TermGraph& graph, int i, int j, bool adding) const {
  const DegreeBounds& b = bounds_;
  if (!b.any()) return true;
  const int step = adding ? 1 : -1;
  if (!directed_) {
    for (int a : {i, j}) {
      const int d = graph.degree(a) + step;
      if ((b.maxout >= 0 && d > b.maxout) || (b.minout >= 0 && d < b.minout)) return false;
    }
    return true;
  }
  const int out = graph.out(i) + step, in = graph.in(j) + step;
  if ((b.maxout >= 0 && out > b.maxout) || (b.minout >= 0 && out < b.minout)) return false;
  return !((b.maxin >= 0 && in > b.maxin) || (b.minin >= 0 && in < b.minin));
}

SampleSpace build_sample_space(std::string_view text, const TermGraph& graph,
                               const NodeCovariates& covariates, const NodeLabels* labels,
                               const std::vector<std::pair<int, int>>* missing) {
  SampleSpace space;
  space.text = std::string(trimmed(text));
  space.n_ = graph.node_count();
  space.directed_ = graph.directed();
  space.bipartite_ = graph.bipartite();
  const int n = space.n_;
  if (space.text.empty()) throw SettingError({"constraints"}, "{0}: give one constraint or more");
  std::vector<TermCall> calls;
  try {
    calls = parse_formula(space.text);
  } catch (const ModelError& e) {
    throw SettingError({"constraints"}, "{0=}" + space.text + ": " + e.what());
  }
  std::vector<unsigned char>& table = space.free_;
  for (const TermCall& call : calls) {
    space.names.push_back(call.name);
    if (call.name == "bd") {
      check_argument_names(call, {"maxout", "maxin", "minout", "minin"});
      for (const TermArgument& a : call.arguments) {
        if (a.name.empty())
          refuse(call, "give the bounds by name (maxout=, maxin=, minout=, minin=)");
      }
      DegreeBounds b{bound_argument(call, "maxout"), bound_argument(call, "maxin"),
                     bound_argument(call, "minout"), bound_argument(call, "minin")};
      if (!graph.directed() && (b.maxin >= 0 || b.minin >= 0)) {
        refuse(call, "an undirected network's degree is bounded by maxout and minout");
      }
      if (!b.any()) refuse(call, "give at least one of maxout, maxin, minout, minin");
      DegreeBounds& s = space.bounds_;
      // Several bd() constraints: each bound the tightest given.
      auto tighter_max = [](int& to, int v) { to = v < 0 ? to : to < 0 ? v : std::min(to, v); };
      auto tighter_min = [](int& to, int v) { to = std::max(to, v); };
      tighter_max(s.maxout, b.maxout);
      tighter_max(s.maxin, b.maxin);
      tighter_min(s.minout, b.minout);
      tighter_min(s.minin, b.minin);
      for (int a = 1; a <= n; ++a) {
        const int out = graph.directed() ? graph.out(a) : graph.degree(a);
        const int in = graph.directed() ? graph.in(a) : out;
        const char* what = graph.directed() ? "out-degree" : "degree";
        auto broken = [&](const char* bound, int value, int degree, const char* kind) {
          refuse(call, std::string("the observed network breaks ") + bound + "=" +
                           std::to_string(value) + ": node " + node_text(labels, a) + " has " +
                           kind + " " + std::to_string(degree));
        };
        if (b.maxout >= 0 && out > b.maxout) broken("maxout", b.maxout, out, what);
        if (b.minout >= 0 && out < b.minout) broken("minout", b.minout, out, what);
        if (b.maxin >= 0 && in > b.maxin) broken("maxin", b.maxin, in, "in-degree");
        if (b.minin >= 0 && in < b.minin) broken("minin", b.minin, in, "in-degree");
      }
    } else if (call.name == "blockdiag") {
      check_argument_names(call, {"attr"});
      const std::string name = text_argument(call, "attr", 0);
      const AttributeColumn* column = covariates.find(name);
      if (column == nullptr) refuse(call, "no node attribute \"" + name + "\"");
      const std::string none;
      auto value = [&](int a) -> const std::string& {
        const auto k = static_cast<std::size_t>(a - 1);
        return k < column->value.size() ? column->value[k] : none;
      };
      const DyadTable t(call, n, graph.directed());
      t.start(table);
      for (int i = 1; i <= n; ++i) {
        graph.for_each_receiver(i, [&](int j) {
          if (value(i) != value(j)) {
            refuse(call, "the observed network has a link across blocks of \"" + name +
                             "\": " + dyad_text(labels, i, j) + " (\"" + value(i) + "\", \"" +
                             value(j) + "\")");
          }
        });
        for (int j = 1; j <= n; ++j) {
          if (value(i) != value(j)) table[t.index(i, j)] = 0;
        }
      }
    } else if (call.name == "fixallbut") {
      check_argument_names(call, {"free.dyads"});
      const std::string file = text_argument(call, "free.dyads", 0);
      const std::vector<std::pair<int, int>> dyads = read_dyads(call, file, n, labels);
      const DyadTable t(call, n, graph.directed());
      std::vector<unsigned char> listed(static_cast<std::size_t>(n) * static_cast<std::size_t>(n),
                                        0);
      for (const auto& [i, j] : dyads) t.set(listed, i, j, 1);
      t.start(table);
      for (std::size_t k = 0; k < table.size(); ++k) table[k] = table[k] && listed[k];
    } else if (call.name == "fixedas") {
      check_argument_names(call, {"present", "absent"});
      const DyadTable t(call, n, graph.directed());
      t.start(table);
      bool any = false;
      for (const char* which : {"present", "absent"}) {
        const ArgumentValue* v = argument(call, which, which[0] == 'p' ? 0 : 1);
        if (v == nullptr) continue;
        any = true;
        const std::string file = text_argument(call, which, which[0] == 'p' ? 0 : 1);
        const bool present = which[0] == 'p';
        for (const auto& [i, j] : read_dyads(call, file, n, labels)) {
          if (graph.has_link(i, j) != present) {
            refuse(call, std::string(which) + " dyad " + dyad_text(labels, i, j) + " (file \"" +
                             file + "\") " + (present ? "holds no link" : "holds a link") +
                             " in the observed network");
          }
          t.set(table, i, j, 0);
        }
      }
      if (!any) refuse(call, "give present=\"file\", absent=\"file\" or both");
    } else if (call.name == "observed") {
      // ergm's observed: only the missing dyads vary (simulate imputes them).
      if (!call.arguments.empty()) refuse(call, "takes no arguments");
      if (missing == nullptr || missing->empty()) {
        refuse(call, "the network has no missing dyads (give --missing or values NA)");
      }
      const DyadTable t(call, n, graph.directed());
      t.start(table);
      std::vector<unsigned char> listed(table.size(), 0);
      for (const auto& [i, j] : *missing) t.set(listed, i, j, 1);
      for (std::size_t k = 0; k < table.size(); ++k) table[k] = table[k] && listed[k];
    } else if (call.name == "edges") {
      if (!call.arguments.empty()) refuse(call, "takes no arguments");
      space.fixed_link_count_ = true;
    } else if (call.name == "degrees" || call.name == "odegrees" || call.name == "idegrees") {
      if (!call.arguments.empty()) refuse(call, "takes no arguments");
      if (!graph.directed() && call.name != "degrees") {
        refuse(call, "an undirected network has one degree a node: give degrees");
      }
      space.fixed_out_ = space.fixed_out_ || call.name != "idegrees";
      space.fixed_in_ = space.fixed_in_ || call.name != "odegrees";
    } else {
      refuse(call, "no constraint " + call.name + " (offered: " + offered + ")");
    }
    if (call.offset || call.block || !call.operands.empty()) refuse(call, "not a constraint");
  }
  if (space.fixes_degrees()) {
    const char* fixed = space.degrees_fixed();
    auto refuse_with = [&](const char* other, const std::string& why) {
      throw SettingError({"constraints"},
                         "{0=}" + space.text + ": " + other + " with " + fixed + ": " + why);
    };
    // Fixed degrees keep the link count, and the observed degrees keep within any bound.
    if (space.fixed_link_count_)
      refuse_with("edges", "the degrees fix the link count; leave out edges");
    if (space.bounds_.any()) {
      refuse_with("bd", "degree bounds and fixed degrees are not offered together");
    }
    if (graph.link_count() == 0) {
      throw SettingError({"constraints"}, "{0=}" + space.text +
                                              ": the observed network has no links, so no "
                                              "network but the observed one keeps its degrees");
    }
  }
  if (space.fixed_link_count_) {
    // A swap needs a free link and a free non-link; the chain keeps both counts.
    std::int64_t free_links = 0, free_dyads = 0;
    for (int i = 1; i <= n; ++i) {
      for (int j = graph.directed() ? 1 : i + 1; j <= n; ++j) {
        if (i == j || !space.free(i, j)) continue;
        ++free_dyads;
        free_links += graph.has_link(i, j) ? 1 : 0;
      }
    }
    if (free_links == 0 || free_links == free_dyads) {
      throw SettingError(
          {"constraints"},
          "{0=}" + space.text +
              ": with the link count fixed, no network but the observed one is left (" +
              std::to_string(free_links) + " links among " + std::to_string(free_dyads) +
              " free dyads)");
    }
  }
  if (!table.empty() || space.bipartite_ > 0) {
    space.list_free_dyads();
    if (space.free_dyad_count() == 0) {
      throw SettingError({"constraints"}, "{0=}" + space.text + ": no dyad is left free to vary");
    }
  }
  return space;
}

void SampleSpace::list_free_dyads() {
  free_list_.clear();
  if (computed_two_mode()) return;
  if (bipartite_ > 0) {
    for (int i = 1; i <= bipartite_; ++i) {
      for (int j = bipartite_ + 1; j <= n_; ++j) {
        if (free(i, j)) free_list_.emplace_back(i, j);
      }
    }
    return;
  }
  for (int i = 1; i <= n_; ++i) {
    for (int j = directed_ ? 1 : i + 1; j <= n_; ++j) {
      if (free(i, j)) free_list_.emplace_back(i, j);
    }
  }
}

SampleSpace two_mode_space(int node_count, int first_mode) {
  SampleSpace space;
  space.n_ = node_count;
  space.directed_ = false;
  space.bipartite_ = first_mode;
  space.list_free_dyads();
  return space;
}

SampleSpace SampleSpace::over(const SampleSpace* constraints, int node_count, bool directed) {
  check_table_size(node_count);
  SampleSpace space;
  if (constraints != nullptr) space = *constraints;
  space.n_ = node_count;
  space.directed_ = directed;
  return space;
}

SampleSpace observed_dyads_space(const SampleSpace* constraints, int node_count, bool directed,
                                 const std::vector<std::pair<int, int>>& missing) {
  SampleSpace space = SampleSpace::over(constraints, node_count, directed);
  const auto n = static_cast<std::size_t>(node_count);
  if (space.free_.empty()) {
    space.free_.assign(n * n, 1);
    for (std::size_t i = 0; i < n; ++i) space.free_[i * n + i] = 0;
  }
  for (const auto& [i, j] : missing) {
    const auto a = static_cast<std::size_t>(i - 1), b = static_cast<std::size_t>(j - 1);
    space.free_[a * n + b] = 0;
    if (!directed) space.free_[b * n + a] = 0;
  }
  space.list_free_dyads();
  if (space.free_dyad_count() == 0 && !space.text.empty()) {
    throw SettingError({"constraints", "missing"},
                       "{0=}" + space.text +
                           ": no observed dyad is free, and the fit leaves out the missing dyads "
                           "({1} or values NA)");
  }
  if (space.free_dyad_count() == 0) throw SettingError({"missing"}, "{0}: no dyad is observed");
  return space;
}

SampleSpace missing_dyads_space(const SampleSpace* constraints, int node_count, bool directed,
                                const std::vector<std::pair<int, int>>& missing) {
  SampleSpace space = SampleSpace::over(constraints, node_count, directed);
  const auto n = static_cast<std::size_t>(node_count);
  std::vector<unsigned char> free(n * n, 0);
  for (const auto& [i, j] : missing) {
    if (constraints != nullptr && !constraints->free(i, j)) continue;
    const auto a = static_cast<std::size_t>(i - 1), b = static_cast<std::size_t>(j - 1);
    free[a * n + b] = 1;
    if (!directed) free[b * n + a] = 1;
  }
  space.free_ = std::move(free);
  space.list_free_dyads();
  if (space.free_dyad_count() == 0) {
    throw SettingError({"missing"}, "{0}: no missing dyad is free to vary");
  }
  return space;
}

Study missing_dyads_study(const Study& study) {
  Study completed = study.with_network(study.network);
  completed.space = std::make_shared<const SampleSpace>(
      missing_dyads_space(study.space.get(), study.node_count(), study.directed(), *study.missing));
  return completed;
}

Study observed_dyads_study(const Study& study) {
  Study observed = study.with_network(study.network);
  if (study.missing_dyad_count() == 0) return observed;
  observed.space = std::make_shared<const SampleSpace>(observed_dyads_space(
      study.space.get(), study.node_count(), study.directed(), *study.missing));
  return observed;
}

void refuse_constant_terms(const Model& model, const TermGraph& graph, const SampleSpace& space) {
  if (space.fixes_degrees()) {
    const bool out = space.fixes_out_degrees(), in = space.fixes_in_degrees();
    const char* name = space.degrees_fixed();
    for (const TermPointer& term : model.terms) {
      const DegreeFunction f = term->degree_function();
      if (((!graph.directed() || (out && in)) && f.any()) || (out && f.of_out) || (in && f.of_in)) {
        throw SettingError({"constraints"}, "{0=}" + space.text + ": the term " + term->text() +
                                                " is a function of the degrees that " + name +
                                                " fixes (every network keeps them); leave it "
                                                "out of the model");
      }
    }
  }
  if (!space.fixes_link_count()) return;
  const int n = graph.node_count();
  for (int t = 0; t < model.term_count(); ++t) {
    const Term& term = *model.terms[static_cast<std::size_t>(t)];
    // A dependent term's change varies with the network; an independent one's is read once.
    if (!term.dyad_independent()) continue;
    const auto count = static_cast<std::size_t>(term.statistic_count());
    std::vector<double> first(count), change(count);
    std::vector<char> constant(count, 1);
    bool seen = false;
    for (int i = 1; i <= n; ++i) {
      for (int j = graph.directed() ? 1 : i + 1; j <= n; ++j) {
        if (i == j || !space.free(i, j)) continue;
        std::fill(change.begin(), change.end(), 0.0);
        term.add_change(graph, i, j, change.data());
        for (std::size_t s = 0; s < count; ++s) {
          if (!seen) first[s] = change[s];
          if (change[s] != first[s]) constant[s] = 0;
        }
        seen = true;
      }
    }
    for (std::size_t s = 0; s < count; ++s) {
      if (seen && constant[s] != 0) {
        throw SettingError(
            {"constraints"},
            "{0=}" + space.text + ": the term " + term.text() +
                " is constant under the edges constraint (every network keeps the link "
                "count); leave it out of the model");
      }
    }
  }
}

}  // namespace tarn
