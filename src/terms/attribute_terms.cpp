// Terms of node attributes, with ergm's names and definitions. Over the links i->j (undirected:
// the edges):
//   nodematch(attr)             links between nodes of one kept level; diff=TRUE: one per level
//   nodemix(attr)               links by (sender level, receiver level), the first cell left out;
//                               two-mode: by (first-mode level, second-mode level)
//   nodeifactor, nodeofactor    links into (out of) nodes of each level but the first
//   nodefactor                  both ends (undirected: the ends of the edges)
//   nodeicov, nodeocov, nodecov the receiver's (sender's, both ends') numeric value
//   absdiff(attr, pow=1)        |value(i) - value(j)|^pow
// The levels of an attribute and the choice of levels= are those of attribute_levels.h.

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/bipartite_mode.h"
#include "terms/dyad_function_term.h"
#include "terms/level_match.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

std::string quoted_text(const std::string& term, const std::string& attr) {
  return term + "(\"" + attr + "\")";
}

// Links whose two ends are of one kept level (diff: one statistic per kept level).
class NodeMatch final : public DyadIndependentTerm<NodeMatch> {
 public:
  NodeMatch(std::string text, std::vector<std::string> names, LevelMatch match)
      : DyadIndependentTerm(std::move(text), std::move(names)), match_(std::move(match)) {}
  void add_change(const TermGraph&, int i, int j, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (const int s = match_.statistic(i, j); s >= 0) out[s] = 1.0;
  }

  // The change reads whether the codes are equal and, with diff, the statistic of the level.
  std::optional<NodeClassForm> node_class_form() const override { return match_.form(); }
  void untouched_change(int i, int, bool matched, double* out) const override {
    std::fill(out, out + statistic_count(), 0.0);
    if (const int s = match_.statistic_of_match(i); matched && s >= 0) out[s] = 1.0;
  }

 private:
  LevelMatch match_;
};

TermPointer make_nodematch(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "diff", "keep", "levels"});
  AttributeMatch m = attribute_match(arguments, context, "attr", "nodematch", "nodematch");
  return std::make_shared<NodeMatch>("nodematch(\"" + m.attribute + "\"" + m.options + ")",
                                     std::move(m.names), std::move(m.match));
}

// nodemix on a two-mode network, as ergm: the cells (first-mode level, second-mode level) of each
// mode's own levels (b1levels=, b2levels=), the first-mode level varying fastest, the first cell
// left out by default: mix.attr.x.u.
TermPointer make_two_mode_nodemix(const TermArguments& arguments, const TermContext& context) {
  if (arguments.given("levels")) {
    arguments.fail("levels", "on a two-mode network give b1levels= and b2levels=");
  }
  const AttributeColumn& column = attribute_of(arguments, context);
  std::vector<int> code(static_cast<std::size_t>(context.node_count));
  std::vector<std::string> names_of[2];
  int offset = 0;
  for (int mode : {1, 2}) {
    const ModeLevels own = mode_levels(column, context, Mode{mode, context.bipartite});
    const std::vector<int> kept =
        kept_positions(arguments, mode == 1 ? "b1levels" : "b2levels", own.levels.names, false);
    names_of[mode - 1] = kept_names(own.levels, kept);
    const std::vector<int> index = statistic_index(kept, own.levels.count());
    // Codes: the first mode's kept levels 0..r-1, r left out; the second's from r + 1.
    for (std::size_t a = 0; a < code.size(); ++a) {
      if (own.of_node[a] < 0) continue;
      const int k = index[std::size_t(own.of_node[a])];
      code[a] = offset + (k >= 0 ? k : static_cast<int>(kept.size()));
    }
    offset += static_cast<int>(kept.size()) + 1;
  }
  const int rows = static_cast<int>(names_of[0].size()), side = offset;
  std::vector<std::string> cell_names;
  std::vector<std::pair<int, int>> cells;
  for (int c = 0; c < static_cast<int>(names_of[1].size()); ++c) {
    for (int r = 0; r < rows; ++r) {
      cells.emplace_back(r, rows + 1 + c);
      cell_names.push_back("mix." + column.name + "." + names_of[0][std::size_t(r)] + "." +
                           names_of[1][std::size_t(c)]);
    }
  }
  const std::vector<int> kept = kept_positions(arguments, "levels2", cell_names, true);
  std::vector<std::string> names;
  for (int k : kept) names.push_back(cell_names[std::size_t(k)]);
  if (names.empty()) arguments.fail("levels2", "it keeps no cell");
  const std::vector<int> index = statistic_index(kept, static_cast<int>(cells.size()));
  std::vector<int> cell_of(static_cast<std::size_t>(side * side), -1);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const auto [a, b] = cells[c];
    cell_of[std::size_t(a + b * side)] = cell_of[std::size_t(b + a * side)] = index[c];
  }
  const std::string text = "nodemix(\"" + column.name + "\"" +
                           arguments.written_options({"b1levels", "b2levels", "levels2"}) + ")";
  return std::make_shared<DyadFunctionTerm>(
      text, std::move(names),
      [code, cell_of, side](int i, int j, double* out) {
        const int s =
            cell_of[std::size_t(code[std::size_t(i - 1)] + code[std::size_t(j - 1)] * side)];
        if (s >= 0) out[s] += 1.0;
      },
      classes_of_codes(code));
}

TermPointer make_nodemix(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call,
                                {"attr", "base", "levels", "levels2", "b1levels", "b2levels"});
  if (arguments.given("base")) arguments.fail("base", "give the cells with levels2=");
  if (context.bipartite > 0) return make_two_mode_nodemix(arguments, context);
  for (const char* mode_levels : {"b1levels", "b2levels"}) {
    if (arguments.given(mode_levels)) arguments.fail(mode_levels, "it is of two-mode networks");
  }
  const AttributeColumn& column = attribute_of(arguments, context);
  const Levels levels = levels_of(column, context.node_count);
  const std::vector<int> kept_levels = kept_positions(arguments, "levels", levels.names, false);
  const std::vector<std::string> level_names = kept_names(levels, kept_levels);
  const int count = static_cast<int>(kept_levels.size());
  // The cells in ergm's order: directed, (tail, head) with the tail level varying fastest;
  // undirected, the upper triangle column by column.
  std::vector<std::pair<int, int>> cells;
  for (int b = 0; b < count; ++b) {
    for (int a = 0; a < (context.directed ? count : b + 1); ++a) cells.emplace_back(a, b);
  }
  std::vector<std::string> cell_names;
  for (const auto& [a, b] : cells) {
    cell_names.push_back("mix." + column.name + "." + level_names[std::size_t(a)] + "." +
                         level_names[std::size_t(b)]);
  }
  const std::vector<int> kept = kept_positions(arguments, "levels2", cell_names, true);
  std::vector<std::string> names;
  for (int k : kept) names.push_back(cell_names[std::size_t(k)]);
  const std::vector<int> index = statistic_index(kept, static_cast<int>(cells.size()));
  // cell_of[a + b * (count + 1)]: the statistic of a link from code a to code b; code `count`
  // is a level left out, in no cell.
  const int side = count + 1;
  std::vector<int> cell_of(static_cast<std::size_t>(side * side), -1);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const auto [a, b] = cells[c];
    cell_of[std::size_t(a + b * side)] = index[c];
    if (!context.directed) cell_of[std::size_t(b + a * side)] = index[c];
  }
  const std::string text =
      "nodemix(\"" + column.name + "\"" + arguments.written_options({"levels", "levels2"}) + ")";
  const std::vector<int> code = kept_codes(levels, kept_levels, false);
  return std::make_shared<DyadFunctionTerm>(
      text, std::move(names),
      [code, cell_of, side](int i, int j, double* out) {
        const int s =
            cell_of[std::size_t(code[std::size_t(i - 1)] + code[std::size_t(j - 1)] * side)];
        if (s >= 0) out[s] += 1.0;
      },
      classes_of_codes(code));
}

// 0: nodeifactor (receiver), 1: nodeofactor (sender), 2: nodefactor (both ends).
template <int Ends>
TermPointer make_factor(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "base", "levels"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const Levels levels = levels_of(column, context.node_count);
  const std::vector<int> kept = kept_by_base(arguments, "levels", levels.names);
  const std::string stem = Ends == 0 ? "nodeifactor" : Ends == 1 ? "nodeofactor" : "nodefactor";
  std::vector<std::string> names;
  for (int k : kept) names.push_back(stem + "." + column.name + "." + levels.names[std::size_t(k)]);
  const std::string text =
      stem + "(\"" + column.name + "\"" + arguments.written_options({"base", "levels"}) + ")";
  const std::vector<int> index = statistic_index(kept, levels.count());
  auto of_node = levels.of_node;
  const bool directed = context.directed;
  auto term = std::make_shared<DyadFunctionTerm>(
      text, std::move(names),
      [of_node, index, directed](int i, int j, double* out) {
        auto count_end = [&](int node) {
          const int s = index[std::size_t(of_node[std::size_t(node - 1)])];
          if (s >= 0) out[s] += 1.0;
        };
        if (Ends != 1 || !directed) count_end(j);
        if (Ends != 0 || !directed) count_end(i);
      },
      classes_of_codes(of_node));
  // Each level's statistic sums the degrees of its nodes.
  term->set_degree_function({Ends == 1, Ends == 0, Ends == 2});
  return term;
}

// 0: nodeicov, 1: nodeocov, 2: nodecov.
template <int Ends>
TermPointer make_covariate(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const std::string stem = Ends == 0 ? "nodeicov" : Ends == 1 ? "nodeocov" : "nodecov";
  auto values = numbers_of(arguments, column, context);
  const bool directed = context.directed;
  auto term = std::make_shared<DyadFunctionTerm>(
      quoted_text(stem, column.name), std::vector<std::string>{stem + "." + column.name},
      [values, directed](int i, int j, double* out) {
        const double vi = values[std::size_t(i - 1)], vj = values[std::size_t(j - 1)];
        out[0] = !directed || Ends == 2 ? vi + vj : Ends == 0 ? vj : vi;
      },
      classes_of_values(values));
  // The sum over nodes of the value times the degree.
  term->set_degree_function({Ends == 1, Ends == 0, Ends == 2});
  return term;
}

TermPointer make_absdiff(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "pow"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const double power = arguments.number("pow", 1.0);
  auto values = numbers_of(arguments, column, context);
  std::string text = "absdiff(\"" + column.name + "\"";
  if (arguments.given("pow")) text += ", pow=" + r_number_text(power);
  const std::string name =
      "absdiff" + (power == 1.0 ? "" : r_number_text(power)) + "." + column.name;
  return std::make_shared<DyadFunctionTerm>(
      text + ")", std::vector<std::string>{name},
      [values, power](int i, int j, double* out) {
        const double d = std::fabs(values[std::size_t(i - 1)] - values[std::size_t(j - 1)]);
        out[0] = power == 1.0 ? d : std::pow(d, power);
      },
      classes_of_values(values));
}

constexpr std::array<TermEntry, 9> entries = {{
    {"nodematch", "attr, diff=FALSE, keep, levels", "links between nodes of the same level",
     Networks::both, "", make_nodematch, make_valued_form},
    {"nodemix", "attr, levels, levels2=-1, b1levels, b2levels",
     "links by the levels of their two ends", Networks::both, "", make_nodemix, make_valued_form},
    {"nodeifactor", "attr, base=1, levels=-1", "links into nodes of each level", Networks::directed,
     "nodefactor", make_factor<0>, make_valued_form},
    {"nodeofactor", "attr, base=1, levels=-1", "links out of nodes of each level",
     Networks::directed, "nodefactor", make_factor<1>, make_valued_form},
    {"nodefactor", "attr, base=1, levels=-1", "ends of links at nodes of each level",
     Networks::both, "", make_factor<2>, make_valued_form},
    {"nodeicov", "attr", "the receiver's value, summed over links", Networks::directed, "nodecov",
     make_covariate<0>, make_valued_form},
    {"nodeocov", "attr", "the sender's value, summed over links", Networks::directed, "nodecov",
     make_covariate<1>, make_valued_form},
    {"nodecov", "attr", "both ends' values, summed over links", Networks::both, "",
     make_covariate<2>, make_valued_form},
    {"absdiff", "attr, pow=1", "|value(i) - value(j)|^pow, summed over links", Networks::both, "",
     make_absdiff, make_valued_form},
}};

}  // namespace

std::span<const TermEntry> attribute_term_entries() {
  return entries;
}

}  // namespace tarn
