// Terms of the difference of a numeric attribute across a link, with ergm's names and
// definitions, over the links i->j (undirected: the edges, taken from the lower node number to
// the higher, as ergm takes them):
//   diff(attr, pow=1, dir="t-h", sign.action="identity")
//       s(d)^pow with d = attr(i) - attr(j) ("t-h"; "h-t": attr(j) - attr(i)) and s the sign
//       action: identity, abs, posonly (negative d as 0), negonly (positive d as 0); pow=0 takes
//       the sign of s(d). Named diff.t-h.age, diff2.abs.age, diff.posonly.h-t.age.
//   smalldiff(attr, cutoff)   links with |attr(i) - attr(j)| <= cutoff: smalldiff.age3
//   absdiffcat(attr, base, levels)   one statistic per distinct non-zero |attr(i) - attr(j)|
//       among the nodes' values: the links with that difference, absdiff.age.2

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "numeric/letter_case.h"
#include "terms/attribute_levels.h"
#include "terms/dyad_function_term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

enum class SignAction { identity, abs, posonly, negonly };

TermPointer make_diff(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "pow", "dir", "sign.action"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const std::vector<double> values = numbers_of(arguments, column, context);
  const double power = arguments.number("pow", 1.0);
  const std::string dir = lower_case(arguments.text_if_given("dir").value_or("t-h"));
  static constexpr std::array<std::string_view, 6> directions = {"t-h", "tail-head", "b1-b2",
                                                                 "h-t", "head-tail", "b2-b1"};
  const auto at = std::find(directions.begin(), directions.end(), dir);
  if (at == directions.end()) {
    arguments.fail("dir", "give \"t-h\", \"tail-head\", \"h-t\" or \"head-tail\"");
  }
  const double sign = at - directions.begin() < 3 ? 1.0 : -1.0;
  const std::string action_name =
      lower_case(arguments.text_if_given("sign.action").value_or("identity"));
  static constexpr std::array<std::string_view, 4> actions = {"identity", "abs", "posonly",
                                                              "negonly"};
  const auto action_at = std::find(actions.begin(), actions.end(), action_name);
  if (action_at == actions.end()) {
    arguments.fail("sign.action", "give \"identity\", \"abs\", \"posonly\" or \"negonly\"");
  }
  const auto action = static_cast<SignAction>(action_at - actions.begin());
  if ((action == SignAction::identity || action == SignAction::negonly) &&
      power != std::floor(power)) {
    arguments.fail("pow", "with negative differences kept, give a whole number");
  }
  std::string name = "diff" + (power != 1.0 ? r_number_text(power) : "");
  if (action != SignAction::identity) name += "." + action_name;
  if (action != SignAction::abs) name += "." + dir;
  name += "." + column.name;
  const std::string text = "diff(\"" + column.name + "\"" +
                           arguments.written_options({"pow", "dir", "sign.action"}) + ")";
  const bool directed = context.directed;
  auto change = [values, power, sign, action, directed](int i, int j, double* out) {
    const int tail = directed ? i : std::min(i, j), head = directed ? j : std::max(i, j);
    double d = sign * (values[std::size_t(tail - 1)] - values[std::size_t(head - 1)]);
    switch (action) {
      case SignAction::identity:
        break;
      case SignAction::abs:
        d = std::fabs(d);
        break;
      case SignAction::posonly:
        d = std::max(d, 0.0);
        break;
      case SignAction::negonly:
        d = std::min(d, 0.0);
        break;
    }
    out[0] = power == 0.0 ? (d > 0) - (d < 0) : power == 1.0 ? d : std::pow(d, power);
  };
  // Undirected, the node numbers' order matters unless the sign does not: no form by classes.
  std::optional<NodeClassForm> form;
  if (directed || action == SignAction::abs) form = classes_of_values(values);
  return std::make_shared<DyadFunctionTerm>(text, std::vector<std::string>{name}, change,
                                            std::move(form));
}

TermPointer make_smalldiff(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "cutoff"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const std::vector<double> values = numbers_of(arguments, column, context);
  const double cutoff = arguments.number("cutoff");
  return std::make_shared<DyadFunctionTerm>(
      "smalldiff(\"" + column.name + "\", " + r_number_text(cutoff) + ")",
      std::vector<std::string>{"smalldiff." + column.name + r_number_text(cutoff)},
      [values, cutoff](int i, int j, double* out) {
        out[0] =
            std::fabs(values[std::size_t(i - 1)] - values[std::size_t(j - 1)]) > cutoff ? 0.0 : 1.0;
      },
      classes_of_values(values));
}

TermPointer make_absdiffcat(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"attr", "base", "levels"});
  const AttributeColumn& column = attribute_of(arguments, context);
  const std::vector<double> values = numbers_of(arguments, column, context);
  std::vector<double> distinct = values;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  std::vector<double> differences;
  for (double a : distinct) {
    for (double b : distinct) {
      if (a < b) differences.push_back(b - a);
    }
  }
  std::sort(differences.begin(), differences.end());
  differences.erase(std::unique(differences.begin(), differences.end()), differences.end());
  std::vector<std::string> level_names;
  for (double d : differences) level_names.push_back(r_number_text(d));
  std::vector<int> kept = kept_positions(arguments, "levels", level_names, false);
  if (!arguments.given("levels") && arguments.given("base")) {
    const std::vector<int> left_out = arguments.whole_numbers("base", 0);
    std::erase_if(kept, [&](int k) {
      return std::find(left_out.begin(), left_out.end(), k + 1) != left_out.end();
    });
  }
  if (kept.empty()) arguments.fail("attr", "the attribute has too few distinct differences");
  std::vector<std::string> names;
  std::vector<double> kept_differences;
  for (int k : kept) {
    names.push_back("absdiff." + column.name + "." + level_names[std::size_t(k)]);
    kept_differences.push_back(differences[std::size_t(k)]);
  }
  const std::string text =
      "absdiffcat(\"" + column.name + "\"" + arguments.written_options({"base", "levels"}) + ")";
  return std::make_shared<DyadFunctionTerm>(
      text, std::move(names),
      [values, kept_differences](int i, int j, double* out) {
        const double d = std::fabs(values[std::size_t(i - 1)] - values[std::size_t(j - 1)]);
        for (std::size_t s = 0; s < kept_differences.size(); ++s) {
          if (d > 0 && d == kept_differences[s]) out[s] += 1.0;
        }
      },
      classes_of_values(values));
}

constexpr std::array<TermEntry, 3> entries = {{
    {"diff", "attr, pow=1, dir=\"t-h\", sign.action=\"identity\"",
     "the signed difference attr(i) - attr(j) to a power, summed over links", Networks::both, "",
     make_diff, make_valued_form},
    {"smalldiff", "attr, cutoff", "links whose ends differ by at most cutoff", Networks::both, "",
     make_smalldiff},
    {"absdiffcat", "attr, base, levels", "links by the absolute difference of their ends' values",
     Networks::both, "", make_absdiffcat, make_valued_form},
}};

}  // namespace

std::span<const TermEntry> difference_term_entries() {
  return entries;
}

}  // namespace tarn
