// Terms of node attributes and dyadic covariates, with ergm's names and definitions. Over the
// links i->j (undirected: the edges):
//   nodematch(attr)             links between nodes of one level; diff=TRUE: one per level
//   nodemix(attr)               links by (sender level, receiver level), the first cell left out
//   nodeifactor, nodeofactor    links into (out of) nodes of each level but the first
//   nodefactor                  both ends (undirected: the ends of the edges)
//   nodeicov, nodeocov, nodecov the receiver's (sender's, both ends') numeric value
//   absdiff(attr, pow=1)        |value(i) - value(j)|^pow
//   edgecov(FILE)               the dyadic covariate's value of the dyad
// The levels of an attribute are its distinct values sorted, numerically when every value is a
// number, otherwise as text (byte order). levels= picks them as ergm does: TRUE all, positions
// (c(2, 3)), negative positions to leave out (-1), or one value in quotes.

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "network/fatal_error.h"
#include "terms/attribute_levels.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

std::vector<double> numbers_of(const TermArguments& arguments, const AttributeColumn& column,
                               const TermContext& context) {
  std::vector<double> values;
  const int n = context.node_count;
  for (int i = 0; i < n; ++i) {
    const auto v = plain_number(column.value[std::size_t(i)]);
    if (!v) {
      arguments.fail("attr", "the value \"" + column.value[std::size_t(i)] + "\" of " +
                                 node_name(context, i + 1) + " is not a number");
    }
    values.push_back(*v);
  }
  return values;
}

// The positions 0..count-1 that `argument` keeps (see the head of the file); `fallback` when it
// is not given: all, or all but the first.
std::vector<int> kept_positions(const TermArguments& arguments, std::string_view argument,
                                const std::vector<std::string>& names, bool drop_first) {
  const int count = static_cast<int>(names.size());
  std::vector<int> all;
  for (int k = 0; k < count; ++k) all.push_back(k);
  const ArgumentValue* value = arguments.find(argument);
  if (value == nullptr) {
    if (drop_first && !all.empty()) all.erase(all.begin());
    return all;
  }
  switch (value->kind) {
    case ArgumentValue::Kind::logical:
      if (value->logical) return all;
      arguments.fail(argument, "FALSE keeps no level; give TRUE, positions or a value");
    case ArgumentValue::Kind::text:
    case ArgumentValue::Kind::word: {
      const auto at = std::find(names.begin(), names.end(), value->text);
      if (at == names.end()) arguments.fail(argument, "no level \"" + value->text + "\"");
      return {static_cast<int>(at - names.begin())};
    }
    case ArgumentValue::Kind::numbers:
      break;
  }
  const bool negative = value->numbers.front() < 0;
  std::vector<int> positions;
  for (double v : value->numbers) {
    const double p = std::fabs(v);
    if ((v < 0) != negative || std::floor(p) != p || p < 1 || p > count) {
      arguments.fail(argument, "give positions 1 to " + std::to_string(count) +
                                   ", all positive (kept) or all negative (left out)");
    }
    positions.push_back(static_cast<int>(p) - 1);
  }
  if (!negative) return positions;
  std::vector<int> kept;
  for (int k : all) {
    if (std::find(positions.begin(), positions.end(), k) == positions.end()) kept.push_back(k);
  }
  return kept;
}

// Maps level (or cell) k to its statistic: index[k] = s, or -1 when it is left out.
std::vector<int> statistic_index(const std::vector<int>& kept, int count) {
  std::vector<int> index(static_cast<std::size_t>(count), -1);
  for (std::size_t s = 0; s < kept.size(); ++s) index[std::size_t(kept[s])] = static_cast<int>(s);
  return index;
}

std::string quoted_text(const std::string& term, const std::string& attr) {
  return term + "(\"" + attr + "\")";
}

// Links whose two ends are of one level (diff: one statistic per kept level).
class NodeMatch final : public DyadIndependentTerm<NodeMatch> {
 public:
  NodeMatch(std::string text, std::vector<std::string> names, Levels levels, std::vector<int> index,
            bool diff)
      : DyadIndependentTerm(std::move(text), std::move(names)),
        levels_(std::move(levels)),
        index_(std::move(index)),
        diff_(diff) {}
  void add_change(const TermGraph&, int i, int j, double* out) const override {
    for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
    const int a = level(i), b = level(j);
    if (a != b) return;
    const int s = diff_ ? index_[std::size_t(a)] : 0;
    if (s >= 0) out[s] = 1.0;
  }

  // The change reads whether the levels are equal and, with diff, the statistic of the level.
  std::optional<NodeClassForm> node_class_form() const override {
    NodeClassForm form;
    form.match_key = levels_.of_node;
    if (diff_) {
      for (int level : levels_.of_node) form.node_class.push_back(index_[std::size_t(level)]);
    }
    return form;
  }
  void untouched_change(int i, int, bool matched, double* out) const override {
    for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
    const int s = diff_ ? index_[std::size_t(level(i))] : 0;
    if (matched && s >= 0) out[s] = 1.0;
  }

 private:
  int level(int node) const { return levels_.of_node[std::size_t(node - 1)]; }
  Levels levels_;
  std::vector<int> index_;
  bool diff_;
};

// Any term whose change statistic is a sum of per-dyad values f(i, j) into one statistic each:
// the factor, covariate and mixing terms.
// `form`: the classes of the nodes whose values f reads (the levels, or the distinct numbers), so
// that f(i, j) depends on the classes of i and j alone; or the dyads with a non-zero value (the
// dyadic covariate), f being 0 at every other dyad.
class DyadFunctionTerm final : public DyadIndependentTerm<DyadFunctionTerm> {
 public:
  using Change = std::function<void(int i, int j, double* out)>;
  DyadFunctionTerm(std::string text, std::vector<std::string> names, Change change,
                   NodeClassForm form, bool pair_valued = false)
      : DyadIndependentTerm(std::move(text), std::move(names)),
        change_(std::move(change)),
        form_(std::move(form)),
        pair_valued_(pair_valued) {}
  void add_change(const TermGraph&, int i, int j, double* out) const override {
    for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
    change_(i, j, out);
  }
  std::optional<NodeClassForm> node_class_form() const override { return form_; }
  void untouched_change(int i, int j, bool, double* out) const override {
    for (int s = 0; s < statistic_count(); ++s) out[s] = 0.0;
    if (!pair_valued_) change_(i, j, out);
  }

 private:
  Change change_;
  NodeClassForm form_;
  bool pair_valued_;
};

// The class of each node by its value: the rank of the value among the distinct values.
NodeClassForm classes_of_values(const std::vector<double>& values) {
  std::vector<double> distinct = values;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  NodeClassForm form;
  for (double v : values) {
    form.node_class.push_back(
        static_cast<int>(std::lower_bound(distinct.begin(), distinct.end(), v) - distinct.begin()));
  }
  return form;
}

NodeClassForm classes_of_levels(const std::vector<int>& of_node) {
  NodeClassForm form;
  form.node_class = of_node;
  return form;
}

TermPointer make_nodematch(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "diff", "keep", "levels"});
  if (arguments.given("keep")) arguments.fail("keep", "write levels= instead (as ergm 4 does)");
  const AttributeColumn& column = attribute_of(arguments, context);
  Levels levels = levels_of(column, context.node_count);
  const bool diff = arguments.logical("diff", false);
  std::string text = "nodematch(\"" + column.name + "\"" + (diff ? ", diff=TRUE" : "");
  std::vector<std::string> names;
  std::vector<int> index;
  if (diff) {
    const std::vector<int> kept = kept_positions(arguments, "levels", levels.names, false);
    for (int k : kept)
      names.push_back("nodematch." + column.name + "." + levels.names[std::size_t(k)]);
    index = statistic_index(kept, levels.count());
    if (arguments.given("levels")) text += ", levels=" + arguments.find("levels")->written;
  } else {
    if (arguments.given("levels")) arguments.fail("levels", "levels= is for diff=TRUE");
    names.push_back("nodematch." + column.name);
  }
  return std::make_shared<NodeMatch>(text + ")", std::move(names), std::move(levels),
                                     std::move(index), diff);
}

TermPointer make_nodemix(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "levels", "levels2"});
  if (arguments.given("levels")) arguments.fail("levels", "give the cells with levels2=");
  const AttributeColumn& column = attribute_of(arguments, context);
  const Levels levels = levels_of(column, context.node_count);
  const int count = levels.count();
  // The cells in ergm's order: directed, (tail, head) with the tail level varying fastest;
  // undirected, the upper triangle column by column.
  std::vector<std::pair<int, int>> cells;
  for (int b = 0; b < count; ++b) {
    for (int a = 0; a < (context.directed ? count : b + 1); ++a) cells.emplace_back(a, b);
  }
  std::vector<std::string> cell_names;
  for (const auto& [a, b] : cells) {
    cell_names.push_back("mix." + column.name + "." + levels.names[std::size_t(a)] + "." +
                         levels.names[std::size_t(b)]);
  }
  const std::vector<int> kept = kept_positions(arguments, "levels2", cell_names, true);
  std::vector<std::string> names;
  for (int k : kept) names.push_back(cell_names[std::size_t(k)]);
  const std::vector<int> index = statistic_index(kept, static_cast<int>(cells.size()));
  std::vector<int> cell_of(static_cast<std::size_t>(count * count), -1);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const auto [a, b] = cells[c];
    cell_of[std::size_t(a + b * count)] = index[c];
    if (!context.directed) cell_of[std::size_t(b + a * count)] = index[c];
  }
  std::string text = "nodemix(\"" + column.name + "\"";
  if (arguments.given("levels2")) text += ", levels2=" + arguments.find("levels2")->written;
  auto of_node = levels.of_node;
  return std::make_shared<DyadFunctionTerm>(
      text + ")", std::move(names),
      [of_node, cell_of, count](int i, int j, double* out) {
        const int s =
            cell_of[std::size_t(of_node[std::size_t(i - 1)] + of_node[std::size_t(j - 1)] * count)];
        if (s >= 0) out[s] += 1.0;
      },
      classes_of_levels(of_node));
}

// 0: nodeifactor (receiver), 1: nodeofactor (sender), 2: nodefactor (both ends).
template <int Ends>
TermPointer make_factor(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "base", "levels"});
  if (arguments.given("base")) arguments.fail("base", "write levels= instead (as ergm 4 does)");
  const AttributeColumn& column = attribute_of(arguments, context);
  const Levels levels = levels_of(column, context.node_count);
  const std::vector<int> kept = kept_positions(arguments, "levels", levels.names, true);
  const std::string stem = Ends == 0 ? "nodeifactor" : Ends == 1 ? "nodeofactor" : "nodefactor";
  std::vector<std::string> names;
  for (int k : kept) names.push_back(stem + "." + column.name + "." + levels.names[std::size_t(k)]);
  std::string text = stem + "(\"" + column.name + "\"";
  if (arguments.given("levels")) text += ", levels=" + arguments.find("levels")->written;
  const std::vector<int> index = statistic_index(kept, levels.count());
  auto of_node = levels.of_node;
  const bool directed = context.directed;
  return std::make_shared<DyadFunctionTerm>(
      text + ")", std::move(names),
      [of_node, index, directed](int i, int j, double* out) {
        auto count_end = [&](int node) {
          const int s = index[std::size_t(of_node[std::size_t(node - 1)])];
          if (s >= 0) out[s] += 1.0;
        };
        if (Ends != 1 || !directed) count_end(j);
        if (Ends != 0 || !directed) count_end(i);
      },
      classes_of_levels(of_node));
}

// 0: nodeicov, 1: nodeocov, 2: nodecov.
template <int Ends>
TermPointer make_covariate(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const std::string stem = Ends == 0 ? "nodeicov" : Ends == 1 ? "nodeocov" : "nodecov";
  auto values = numbers_of(arguments, column, context);
  const bool directed = context.directed;
  return std::make_shared<DyadFunctionTerm>(
      quoted_text(stem, column.name), std::vector<std::string>{stem + "." + column.name},
      [values, directed](int i, int j, double* out) {
        const double vi = values[std::size_t(i - 1)], vj = values[std::size_t(j - 1)];
        out[0] = !directed || Ends == 2 ? vi + vj : Ends == 0 ? vj : vi;
      },
      classes_of_values(values));
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

std::string stem_of(const std::string& path) {
  std::string name =
      path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

TermPointer make_edgecov(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"x", "attrname"});
  const std::string file = arguments.text("x");
  if (!context.dyadic_covariate) {
    arguments.fail("x", "dyadic covariates are read from files named on the command line");
  }
  std::shared_ptr<const DyadValues> values = context.dyadic_covariate(file);
  if (values == nullptr || values->node_count() != context.node_count) {
    arguments.fail("x", "cannot read \"" + file + "\" as a dyadic covariate of this network");
  }
  const std::string name = arguments.given("attrname") ? arguments.text("attrname") : stem_of(file);
  const bool directed = context.directed;
  std::string text = "edgecov(\"" + file + "\"";
  if (arguments.given("attrname")) text += ", attrname=\"" + name + "\"";
  NodeClassForm form;
  for (int i = 1; i <= values->node_count(); ++i) {
    for (int j : values->receivers(i)) {
      form.touched.emplace_back(directed || i < j ? i : j, directed || i < j ? j : i);
    }
  }
  return std::make_shared<DyadFunctionTerm>(
      text + ")", std::vector<std::string>{"edgecov." + name},
      [values, directed](int i, int j, double* out) {
        out[0] = directed || i < j ? values->at(i, j) : values->at(j, i);
      },
      std::move(form), true);
}

constexpr std::array<TermEntry, 10> entries = {{
    {"nodematch", "attr, diff=FALSE, levels", "links between nodes of the same level",
     Networks::both, "", make_nodematch},
    {"nodemix", "attr, levels2=-1", "links by the levels of their two ends", Networks::both, "",
     make_nodemix},
    {"nodeifactor", "attr, levels=-1", "links into nodes of each level", Networks::directed,
     "nodefactor", make_factor<0>},
    {"nodeofactor", "attr, levels=-1", "links out of nodes of each level", Networks::directed,
     "nodefactor", make_factor<1>},
    {"nodefactor", "attr, levels=-1", "ends of links at nodes of each level", Networks::both, "",
     make_factor<2>},
    {"nodeicov", "attr", "the receiver's value, summed over links", Networks::directed, "nodecov",
     make_covariate<0>},
    {"nodeocov", "attr", "the sender's value, summed over links", Networks::directed, "nodecov",
     make_covariate<1>},
    {"nodecov", "attr", "both ends' values, summed over links", Networks::both, "",
     make_covariate<2>},
    {"absdiff", "attr, pow=1", "|value(i) - value(j)|^pow, summed over links", Networks::both, "",
     make_absdiff},
    {"edgecov", "FILE, attrname", "the dyadic covariate's value, summed over links", Networks::both,
     "", make_edgecov},
}};

}  // namespace

std::span<const TermEntry> attribute_term_entries() {
  return entries;
}

}  // namespace tarn
