// ergm's operators on terms, with its names and definitions:
//   F(formula, filter)    the statistics of the formula's dyad-independent terms counted over the
//                         links where the filter's one dyad-independent statistic is not 0
//                         (!term: is 0; term OP number with ==, !=, <, <=, >, >=: compares so),
//                         named F(nodematch("group"))~edges
//   Sum(formulas, label)  a weighted sum of the statistics of one or more formulas (the same count
//                         of statistics each, after weights): "~a" as it is, "2~a" doubled,
//                         "sum"~a their total, "mean"~a their mean; named Sum~label (label1, ...
//                         for several)
//   a:b                   the interaction of two dyad-independent terms: the product of their
//                         change statistics at each link, every pair of their statistics, a's
//                         varying fastest, named nodecov.x:nodecov.y
//   a*b                   a's statistics, b's, then a:b's
// The terms inside must be dyad-independent with statistics of 0 on the empty network (F, a:b;
// hamming is not), and no term may be curved; Sum takes any other term.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

std::vector<TermPointer> terms_of(const std::string& formula, const TermContext& context) {
  std::vector<TermPointer> terms;
  for (const TermCall& call : parse_formula(formula)) terms.push_back(make_term(call, context));
  return terms;
}

// Refuses a term that an operator of dyad-independent terms cannot take.
void require_dyad_independent(const TermCall& call, const Term& term, const TermContext& context,
                              const std::string& why) {
  const std::string what = "term \"" + call.written + "\": ";
  if (term.curved()) throw ModelError(what + term.text() + " is curved; " + why);
  if (!term.dyad_independent()) {
    throw ModelError(what + term.text() + " is not dyad-independent; " + why);
  }
  TermGraph empty(context.node_count, context.directed);
  std::vector<double> statistics(static_cast<std::size_t>(term.statistic_count()));
  term.network_statistics(empty, statistics.data());
  if (std::any_of(statistics.begin(), statistics.end(), [](double v) { return v != 0.0; })) {
    throw ModelError(what + term.text() + " is not 0 on the empty network; " + why);
  }
}

// The filter of F: a term, and how its value at a dyad decides.
struct Filter {
  enum class Test { nonzero, zero, equal, unequal, less, less_equal, greater, greater_equal };
  TermPointer term;
  Test test = Test::nonzero;
  double bound = 0.0;

  bool passes(double v) const {
    switch (test) {
      case Test::nonzero:
        return v != 0.0;
      case Test::zero:
        return v == 0.0;
      case Test::equal:
        return v == bound;
      case Test::unequal:
        return v != bound;
      case Test::less:
        return v < bound;
      case Test::less_equal:
        return v <= bound;
      case Test::greater:
        return v > bound;
      case Test::greater_equal:
        return v >= bound;
    }
    return false;
  }
};

Filter filter_of(const TermArguments& arguments, const std::string& written,
                 const TermContext& context) {
  Filter filter;
  std::string text(trimmed(written));
  if (!text.empty() && text.front() == '!') {
    filter.test = Filter::Test::zero;
    text = std::string(trimmed(text.substr(1)));
  }
  if (const std::size_t at = find_any_outside(text, "<>=!"); at != std::string_view::npos) {
    const std::size_t length = at + 1 < text.size() && text[at + 1] == '=' ? 2 : 1;
    const std::string op = text.substr(at, length);
    const std::optional<double> bound = plain_number(text.substr(at + length));
    static const std::pair<const char*, Filter::Test> tests[] = {
        {"==", Filter::Test::equal},  {"!=", Filter::Test::unequal},
        {"<", Filter::Test::less},    {"<=", Filter::Test::less_equal},
        {">", Filter::Test::greater}, {">=", Filter::Test::greater_equal}};
    const auto test = std::find_if(std::begin(tests), std::end(tests),
                                   [&](const auto& t) { return op == t.first; });
    if (!bound || test == std::end(tests) || filter.test == Filter::Test::zero) {
      arguments.fail("filter",
                     "give one term, !term, or term compared with a number, such as "
                     "absdiff(\"age\") > 5 (\"" +
                         written + "\" is none of them)");
    }
    filter.test = test->second;
    filter.bound = *bound;
    text = std::string(trimmed(text.substr(0, at)));
  }
  const TermCall call = parse_term(text);
  filter.term = make_term(call, context);
  require_dyad_independent(arguments.call(), *filter.term, context,
                           "a filter is one dyad-independent term");
  if (filter.term->statistic_count() != 1) {
    arguments.fail("filter", filter.term->text() + " has " +
                                 std::to_string(filter.term->statistic_count()) +
                                 " statistics; a filter has one");
  }
  return filter;
}

// The statistics of the terms counted at the links where the filter passes.
class Filtered final : public DyadIndependentTerm<Filtered> {
 public:
  Filtered(std::string text, std::vector<std::string> names, std::vector<TermPointer> terms,
           Filter filter)
      : DyadIndependentTerm(std::move(text), std::move(names)),
        terms_(std::move(terms)),
        filter_(std::move(filter)) {}
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    double value = 0.0;
    filter_.term->add_change(g, i, j, &value);
    if (!filter_.passes(value)) {
      std::fill(out, out + statistic_count(), 0.0);
      return;
    }
    for (const TermPointer& term : terms_) {
      term->add_change(g, i, j, out);
      out += term->statistic_count();
    }
  }

 private:
  std::vector<TermPointer> terms_;
  Filter filter_;
};

// R's deparse of a formula's right side as ergm names it: no blanks, double quotes.
std::string despaced(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    result += c == '\'' ? '"' : c;
  }
  return result;
}

TermPointer make_filtered(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"formula", "filter"});
  const ArgumentValue& formula = arguments.formula("formula");
  const ArgumentValue& filter_formula = arguments.formula("filter");
  const Filter filter = filter_of(arguments, filter_formula.rhs, context);
  std::vector<TermPointer> terms = terms_of(formula.rhs, context);
  const std::string prefix = "F(" + despaced(filter_formula.rhs) + ")~";
  std::vector<std::string> names;
  for (const TermPointer& term : terms) {
    require_dyad_independent(call, *term, context, "F takes dyad-independent terms");
    for (const std::string& name : term->statistic_names()) names.push_back(prefix + name);
  }
  return std::make_shared<Filtered>("F(~" + formula.rhs + ", ~" + filter_formula.rhs + ")",
                                    std::move(names), std::move(terms), filter);
}

// a:b, and with its operands' own statistics first, a*b.
class Interaction final : public DyadIndependentTerm<Interaction> {
 public:
  Interaction(std::string text, std::vector<std::string> names, TermPointer a, TermPointer b,
              bool with_main_effects)
      : DyadIndependentTerm(std::move(text), std::move(names)),
        a_(std::move(a)),
        b_(std::move(b)),
        with_main_effects_(with_main_effects) {}
  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    const int p = a_->statistic_count(), q = b_->statistic_count();
    std::vector<double> a(static_cast<std::size_t>(p)), b(static_cast<std::size_t>(q));
    a_->add_change(g, i, j, a.data());
    b_->add_change(g, i, j, b.data());
    if (with_main_effects_) {
      out = std::copy(a.begin(), a.end(), out);
      out = std::copy(b.begin(), b.end(), out);
    }
    for (int t = 0; t < q; ++t) {
      for (int s = 0; s < p; ++s) *out++ = a[std::size_t(s)] * b[std::size_t(t)];
    }
  }

 private:
  TermPointer a_, b_;
  bool with_main_effects_;
};

// Sum's weights of one formula: a matrix of rows by the formula's statistics.
struct Weights {
  int rows = 0;
  std::vector<double> w;  // row by row
};

Weights weights_of(const TermArguments& arguments, const std::string& lhs, int p) {
  Weights weights;
  const std::string side(trimmed(lhs));
  if (side == "\"sum\"" || side == "'sum'" || side == "\"mean\"" || side == "'mean'") {
    weights.rows = 1;
    weights.w.assign(std::size_t(p), side.find("sum") != std::string::npos ? 1.0 : 1.0 / p);
    return weights;
  }
  double scale = 1.0;
  if (!side.empty()) {
    const std::optional<double> number = plain_number(side);
    if (!number) {
      arguments.fail("formulas", "a formula's weight is a number, \"sum\" or \"mean\" (\"" + side +
                                     "\" is none)");
    }
    scale = *number;
  }
  weights.rows = p;
  weights.w.assign(std::size_t(p * p), 0.0);
  for (int s = 0; s < p; ++s) weights.w[std::size_t(s * p + s)] = scale;
  return weights;
}

// The weighted sum of the statistics of several formulas' terms.
class WeightedSum final : public Term {
 public:
  struct Part {
    std::vector<TermPointer> terms;
    int statistics = 0;
    Weights weights;
  };
  WeightedSum(std::string text, std::vector<std::string> names, std::vector<Part> parts)
      : Term(std::move(text), std::move(names)), parts_(std::move(parts)) {}

  bool dyad_independent() const override {
    return all_terms([](const Term& t) { return t.dyad_independent(); });
  }
  PartnerTables partner_tables() const override {
    PartnerTables tables;
    for (const Part& part : parts_) {
      for (const TermPointer& term : part.terms) tables |= term->partner_tables();
    }
    return tables;
  }
  bool counts_raw_triads() const override {
    return !all_terms([](const Term& t) { return !t.counts_raw_triads(); });
  }
  bool weighs_geometrically() const override {
    return !all_terms([](const Term& t) { return !t.weighs_geometrically(); });
  }
  std::string distribution_problem(const DyadSpace& space) const override {
    for (const Part& part : parts_) {
      for (const TermPointer& term : part.terms) {
        if (std::string problem = term->distribution_problem(space); !problem.empty()) {
          return term->text() + ": " + problem;
        }
      }
    }
    return {};
  }

  void add_change(const TermGraph& g, int i, int j, double* out) const override {
    combine(out, [&](const Part& part, double* values) {
      for (const TermPointer& term : part.terms) {
        term->add_change(g, i, j, values);
        values += term->statistic_count();
      }
    });
  }
  void network_statistics(const TermGraph& g, double* out) const override {
    combine(out, [&](const Part& part, double* values) {
      for (const TermPointer& term : part.terms) {
        term->network_statistics(g, values);
        values += term->statistic_count();
      }
    });
  }
  // Each term's rows of the sender, then their weighted sums.
  void sender_changes(const TermGraph& g, int i, bool include_diagonal,
                      double* const* rows) const override {
    const auto n = static_cast<std::size_t>(g.node_count());
    for (int k = 0; k < statistic_count(); ++k) std::fill(rows[k], rows[k] + n, 0.0);
    for (const Part& part : parts_) {
      std::vector<std::vector<double>> own(std::size_t(part.statistics), std::vector<double>(n));
      std::vector<double*> pointers;
      for (auto& row : own) pointers.push_back(row.data());
      std::size_t first = 0;
      for (const TermPointer& term : part.terms) {
        term->sender_changes(g, i, include_diagonal, pointers.data() + first);
        first += static_cast<std::size_t>(term->statistic_count());
      }
      for (int k = 0; k < part.weights.rows; ++k) {
        for (int s = 0; s < part.statistics; ++s) {
          const double w = part.weights.w[std::size_t(k * part.statistics + s)];
          if (w == 0.0) continue;
          for (std::size_t j = 0; j < n; ++j) rows[k][j] += w * own[std::size_t(s)][j];
        }
      }
    }
  }

 private:
  template <class Predicate>
  bool all_terms(Predicate p) const {
    for (const Part& part : parts_) {
      for (const TermPointer& term : part.terms) {
        if (!p(*term)) return false;
      }
    }
    return true;
  }
  // out = sum over the parts of weights times the part's values, which `fill` writes.
  template <class Fill>
  void combine(double* out, Fill fill) const {
    std::fill(out, out + statistic_count(), 0.0);
    for (const Part& part : parts_) {
      std::vector<double> values(std::size_t(part.statistics));
      fill(part, values.data());
      for (int k = 0; k < part.weights.rows; ++k) {
        for (int s = 0; s < part.statistics; ++s) {
          out[k] += part.weights.w[std::size_t(k * part.statistics + s)] * values[std::size_t(s)];
        }
      }
    }
  }

  std::vector<Part> parts_;
};

TermPointer make_sum(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"formulas", "label"});
  const ArgumentValue* given = arguments.find("formulas");
  if (given == nullptr) arguments.fail("formulas", "it is needed");
  std::vector<const ArgumentValue*> formulas;
  if (given->kind == ArgumentValue::Kind::list) {
    for (const ArgumentValue& item : given->items) formulas.push_back(&item);
  } else {
    formulas.push_back(given);
  }
  std::vector<WeightedSum::Part> parts;
  for (const ArgumentValue* formula : formulas) {
    if (formula->kind != ArgumentValue::Kind::formula) {
      arguments.fail("formulas",
                     "give a formula or a list of them (\"" + formula->written + "\" is none)");
    }
    WeightedSum::Part part;
    part.terms = terms_of(formula->rhs, context);
    for (const TermPointer& term : part.terms) {
      if (term->curved()) {
        throw ModelError("term \"" + call.written + "\": " + term->text() +
                         " is curved; Sum takes terms of fixed parameters (fixed=TRUE)");
      }
      part.statistics += term->statistic_count();
    }
    part.weights = weights_of(arguments, formula->lhs, part.statistics);
    parts.push_back(std::move(part));
  }
  const int outputs = parts.front().weights.rows;
  for (const WeightedSum::Part& part : parts) {
    if (part.weights.rows != outputs) {
      arguments.fail("formulas", "the formulas give different numbers of statistics (" +
                                     std::to_string(outputs) + " and " +
                                     std::to_string(part.weights.rows) + ")");
    }
  }
  std::vector<std::string> labels = arguments.texts("label");
  if (labels.size() == 1 && outputs > 1) {
    const std::string stem = labels.front();
    labels.clear();
    for (int k = 1; k <= outputs; ++k) labels.push_back(stem + std::to_string(k));
  }
  if (static_cast<int>(labels.size()) != outputs) {
    arguments.fail("label", "give one label, or " + std::to_string(outputs));
  }
  std::vector<std::string> names;
  for (const std::string& label : labels) names.push_back("Sum~" + label);
  return std::make_shared<WeightedSum>(
      "Sum(" + given->written + ", " + arguments.find("label")->written + ")", std::move(names),
      std::move(parts));
}

constexpr std::array<TermEntry, 2> entries = {{
    {"F", "formula, filter",
     "the formula's statistics over the links where the filter's statistic is not 0",
     Networks::both, "", make_filtered},
    {"Sum", "formulas, label", "a weighted sum of the statistics of formulas", Networks::both, "",
     make_sum},
}};

}  // namespace

TermPointer make_interaction(const TermCall& call, const TermContext& context) {
  const TermPointer a = make_term(call.operands.at(0), context);
  const TermPointer b = make_term(call.operands.at(1), context);
  for (const TermPointer& term : {a, b}) {
    require_dyad_independent(call, *term, context,
                             "change statistic interactions are poorly defined for "
                             "dyad-dependent terms (ergm's words)");
  }
  const bool with_main_effects = call.name == "*";
  std::vector<std::string> names;
  if (with_main_effects) {
    names = a->statistic_names();
    names.insert(names.end(), b->statistic_names().begin(), b->statistic_names().end());
  }
  for (const std::string& right : b->statistic_names()) {
    for (const std::string& left : a->statistic_names()) names.push_back(left + ":" + right);
  }
  return std::make_shared<Interaction>(a->text() + call.name + b->text(), std::move(names), a, b,
                                       with_main_effects);
}

std::span<const TermEntry> operator_term_entries() {
  return entries;
}

}  // namespace tarn
