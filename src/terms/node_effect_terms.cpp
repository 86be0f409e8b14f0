// Terms of each node's links and of the whole network's density, with ergm's names and
// definitions (dyad-independent):
//   sender(base=1, nodes)     one statistic per node: its out-degree, sender2 ... (the first node
//                             left out by default, as ergm's p1 parametrisation does)
//   receiver(base=1, nodes)   its in-degree, receiver2 ...
//   sociality(attr, base=1, levels, nodes)   undirected: its degree, sociality2 ...; with attr,
//                             its edges to nodes of its own level only, sociality2.group
//   density                   links / dyads: n(n-1), undirected n(n-1)/2
//   meandeg                   the mean degree: links / n, undirected 2 links / n
// nodes= chooses nodes as levels= chooses levels: positions among 1..n, negative to leave out.

#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/dyad_function_term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

// The nodes a node-effect term keeps: nodes= when given, else all but the positions of base=.
std::vector<int> kept_nodes(const TermArguments& arguments, int n) {
  std::vector<std::string> numbers;
  for (int i = 1; i <= n; ++i) numbers.push_back(std::to_string(i));
  std::vector<int> kept = kept_by_base(arguments, "nodes", numbers);
  if (kept.empty()) arguments.fail("nodes", "it keeps no node");
  return kept;
}

}  // namespace

TermPointer node_link_counts(std::string text, std::vector<std::string> names,
                             std::vector<int> index, std::vector<int> codes, int ends) {
  const auto n = static_cast<int>(index.size());
  // A node's class: its statistic and its code, which the change reads.
  NodeClassForm form;
  for (int i = 0; i < n; ++i) {
    const int code = codes.empty() ? 0 : codes[std::size_t(i)];
    form.node_class.push_back((index[std::size_t(i)] + 1) * (n + 2) + code);
  }
  const bool plain = codes.empty();
  auto term = std::make_shared<DyadFunctionTerm>(
      std::move(text), std::move(names),
      [index, codes, ends](int i, int j, double* out) {
        if (!codes.empty() && codes[std::size_t(i - 1)] != codes[std::size_t(j - 1)]) return;
        for (const int node : {i, j}) {
          if ((ends == 0 && node == i) || (ends == 1 && node == j)) continue;
          if (const int s = index[std::size_t(node - 1)]; s >= 0) out[s] += 1.0;
        }
      },
      std::move(form));
  // With codes, only links within a level count: no function of the degrees.
  if (plain) term->set_degree_function({ends == 1, ends == 0, ends == 2});
  return term;
}

namespace {

// 0: receiver, 1: sender, 2: sociality.
template <int Ends>
TermPointer make_node_effect(const TermCall& call, const TermContext& context) {
  const std::string stem = Ends == 0 ? "receiver" : Ends == 1 ? "sender" : "sociality";
  const TermArguments arguments(
      call, Ends == 2 ? std::vector<std::string>{"attr", "base", "levels", "nodes"}
                      : std::vector<std::string>{"base", "nodes"});
  const int n = context.node_count;
  const std::vector<int> kept = kept_nodes(arguments, n);
  const std::vector<int> index = statistic_index(kept, n);
  std::string suffix, attribute;
  std::vector<int> codes;  // sociality with attr: every node's code (levels left out: one code)
  if (Ends == 2 && arguments.given("attr")) {
    const AttributeColumn& column = attribute_of(arguments, context);
    const Levels levels = levels_of(column, n);
    codes = kept_codes(levels, kept_positions(arguments, "levels", levels.names, false), false);
    suffix = "." + column.name;
    attribute = "\"" + column.name + "\"";
  } else if (Ends == 2 && arguments.given("levels")) {
    arguments.fail("levels", "it chooses levels of attr=");
  }
  std::vector<std::string> names;
  for (int k : kept) names.push_back(stem + std::to_string(k + 1) + suffix);
  std::string text = stem;
  if (!call.arguments.empty()) {
    text += "(" + attribute;
    std::string options = arguments.written_options({"base", "levels", "nodes"});
    if (text.back() == '(' && !options.empty()) options = options.substr(2);
    text += options + ")";
  }
  return node_link_counts(std::move(text), std::move(names), index, std::move(codes), Ends);
}

TermPointer make_density(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {});
  const double n = context.node_count;
  const double dyads = context.directed ? n * (n - 1) : n * (n - 1) / 2;
  auto term = std::make_shared<DyadFunctionTerm>(
      "density", std::vector<std::string>{"density"},
      [dyads](int, int, double* out) { out[0] = 1.0 / dyads; }, NodeClassForm{});
  term->set_degree_function({true, true, false});
  return term;
}

TermPointer make_meandeg(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {});
  const double per_link = (context.directed ? 1.0 : 2.0) / context.node_count;
  auto term = std::make_shared<DyadFunctionTerm>(
      "meandeg", std::vector<std::string>{"meandeg"},
      [per_link](int, int, double* out) { out[0] = per_link; }, NodeClassForm{});
  term->set_degree_function({true, true, false});
  return term;
}

constexpr std::array<TermEntry, 5> entries = {{
    {"sender", "base=1, nodes", "the out-degree of each node", Networks::directed, "sociality",
     make_node_effect<1>, make_valued_form},
    {"receiver", "base=1, nodes", "the in-degree of each node", Networks::directed, "sociality",
     make_node_effect<0>, make_valued_form},
    {"sociality", "attr, base=1, levels, nodes",
     "the degree of each node (with attr: its edges within its level)", Networks::undirected,
     "sender or receiver", make_node_effect<2>, make_valued_form},
    {"density", "", "links / dyads", Networks::both, "", make_density},
    {"meandeg", "", "the mean degree of a node", Networks::both, "", make_meandeg},
}};

}  // namespace

std::span<const TermEntry> node_effect_term_entries() {
  return entries;
}

}  // namespace tarn
