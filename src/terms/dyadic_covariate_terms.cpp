// Terms of a dyadic covariate x (a file or a matrix given by name: an edge list with values, a
// Pajek file, a record-format comparative file or a square matrix), with ergm's names and
// definitions:
//   edgecov(x)     the sum over links of x(i, j)                      edgecov.x
//   dyadcov(x)     directed: the sums of x over the mutual pairs, over the pairs with only the
//                  link i->j of i < j (upper triangle), and only j->i (lower), x read from the
//                  upper triangle: dyadcov.x.mutual, .utri, .ltri; undirected: edgecov
//   hamming(x)     the dyads (undirected: pairs) where the network differs from x (x by default
//                  the observed network); with cov, the sum of cov's values over those dyads:
//                  hamming, hamming.x, hamming.x.wt.cov
// Undirected, the value of the pair i < j is x(i, j) (the reader keeps the upper triangle).

#include <algorithm>
#include <string>
#include <vector>

#include "terms/dyad_function_term.h"
#include "terms/pair_state_term.h"
#include "terms/term_arguments.h"
#include "terms/term_table.h"

namespace tarn {

namespace {

std::string stem_of(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::shared_ptr<const DyadValues> covariate_of(const TermArguments& arguments,
                                               const TermContext& context,
                                               std::string_view argument) {
  const std::string file = arguments.text(argument);
  if (!context.dyadic_covariate) {
    arguments.fail(argument, "dyadic covariates are read from files named on the command line");
  }
  std::shared_ptr<const DyadValues> values = context.dyadic_covariate(file);
  if (values == nullptr || values->node_count() != context.node_count) {
    arguments.fail(argument, "cannot read \"" + file + "\" as a dyadic covariate of this network");
  }
  return values;
}

// The value of the dyad (i, j); undirected, of the pair, held at (min, max).
double value_at(const DyadValues& values, bool directed, int i, int j) {
  return directed || i < j ? values.at(i, j) : values.at(j, i);
}

// The dyads where x is not 0, in the orientation of NodeClassForm::touched (undirected: the
// pairs i < j, whose values value_at reads).
std::vector<std::pair<int, int>> nonzero_dyads(const DyadValues& values, bool directed,
                                               bool both_ways) {
  std::vector<std::pair<int, int>> dyads;
  for (int i = 1; i <= values.node_count(); ++i) {
    for (int j : values.receivers(i)) {
      if (!directed && j < i) continue;
      dyads.emplace_back(i, j);
      if (both_ways) dyads.emplace_back(j, i);
    }
  }
  return dyads;
}

// The statistic's suffix: attrname when given, else the file's name without folder and extension
// (the name itself for a covariate given by name).
std::string covariate_name(const TermArguments& arguments, std::string_view argument) {
  return arguments.given("attrname") ? arguments.text("attrname")
                                     : stem_of(arguments.text(argument));
}

std::string canonical(std::string_view term, const TermArguments& arguments) {
  return std::string(term) + "(\"" + arguments.text("x") + "\"" +
         (arguments.given("attrname") ? ", attrname=\"" + arguments.text("attrname") + "\"" : "") +
         ")";
}

// edgecov, and dyadcov of an undirected network, which ergm counts alike under its own name.
TermPointer make_covariate_sum(const TermCall& call, const TermContext& context,
                               const std::string& term) {
  const TermArguments arguments(call, {"x", "attrname"});
  std::shared_ptr<const DyadValues> values = covariate_of(arguments, context, "x");
  const bool directed = context.directed;
  NodeClassForm form;
  form.touched = nonzero_dyads(*values, directed, false);
  return std::make_shared<DyadFunctionTerm>(
      canonical(term, arguments),
      std::vector<std::string>{term + "." + covariate_name(arguments, "x")},
      [values, directed](int i, int j, double* out) { out[0] = value_at(*values, directed, i, j); },
      std::move(form), true);
}

TermPointer make_edgecov(const TermCall& call, const TermContext& context) {
  return make_covariate_sum(call, context, "edgecov");
}

TermPointer make_dyadcov(const TermCall& call, const TermContext& context) {
  if (!context.directed) return make_covariate_sum(call, context, "dyadcov");
  const TermArguments arguments(call, {"x", "attrname"});
  std::shared_ptr<const DyadValues> values = covariate_of(arguments, context, "x");
  const std::string stem = "dyadcov." + covariate_name(arguments, "x");
  NodeClassForm form;
  form.touched = nonzero_dyads(*values, true, true);
  // The value of the pair, from the upper triangle as ergm symmetrises the matrix.
  auto pair_value = [values](int i, int j) { return values->at(std::min(i, j), std::max(i, j)); };
  return std::make_shared<PairStateTerm>(
      canonical("dyadcov", arguments),
      std::vector<std::string>{stem + ".mutual", stem + ".utri", stem + ".ltri"},
      [pair_value](int i, int j, bool reverse, double* out) {
        const double v = pair_value(i, j);
        if (reverse) {
          out[0] += v;              // the pair becomes mutual
          out[j < i ? 1 : 2] -= v;  // and loses its one link j->i
        } else {
          out[i < j ? 1 : 2] += v;
        }
      },
      std::move(form), [](int, int, bool, double*) {});
}

// hamming's weights: cov's values where given, defaultweight elsewhere (1 without cov, else 0).
class Hamming final : public DyadIndependentTerm<Hamming> {
 public:
  Hamming(std::string text, std::string name, std::shared_ptr<const DyadValues> target,
          std::shared_ptr<const DyadValues> weights, double default_weight, bool directed)
      : DyadIndependentTerm(std::move(text), {std::move(name)}),
        target_(std::move(target)),
        weights_(std::move(weights)),
        default_weight_(default_weight),
        directed_(directed) {}

  // A link added where x has one takes the distance down by the dyad's weight, elsewhere up.
  void add_change(const TermGraph&, int i, int j, double* out) const override {
    out[0] = (value_at(*target_, directed_, i, j) != 0 ? -1.0 : 1.0) * weight(i, j);
  }
  // The distance of the empty network (x's dyads), then each link's change.
  void network_statistics(const TermGraph& g, double* out) const override {
    double sum = 0.0;
    for (const auto& [a, b] : nonzero_dyads(*target_, directed_, false)) sum += weight(a, b);
    double change = 0.0;
    for (const auto& [a, b] : g.link_list()) {
      add_change(g, a, b, &change);
      sum += change;
    }
    out[0] = sum;
  }
  std::optional<NodeClassForm> node_class_form() const override {
    NodeClassForm form;
    form.touched = nonzero_dyads(*target_, directed_, false);
    if (weights_ != nullptr) {
      const auto weighted = nonzero_dyads(*weights_, directed_, false);
      form.touched.insert(form.touched.end(), weighted.begin(), weighted.end());
    }
    return form;
  }
  void untouched_change(int, int, bool, double* out) const override { out[0] = default_weight_; }

 private:
  double weight(int i, int j) const {
    if (weights_ == nullptr) return default_weight_;
    const double w = value_at(*weights_, directed_, i, j);
    return w != 0 ? w : default_weight_;
  }
  std::shared_ptr<const DyadValues> target_, weights_;
  double default_weight_;
  bool directed_;
};

// The observed network's links as values of 1 (undirected: each edge at (min, max)).
std::shared_ptr<const DyadValues> links_of(const Network& network, bool directed) {
  std::vector<DyadValues::Entry> entries;
  for (int a = 1; a <= network.node_count; ++a) {
    for (const node_id t : network.out_list(a)) {
      const int b = t < 0 ? -t : t;
      entries.push_back({directed || a < b ? a : b, directed || a < b ? b : a, 1.0});
    }
  }
  return std::make_shared<const DyadValues>(network.node_count, std::move(entries));
}

TermPointer make_hamming(const TermCall& call, const TermContext& context) {
  const TermArguments arguments(call, {"x", "cov", "attrname", "defaultweight"});
  std::shared_ptr<const DyadValues> target;
  std::string name = "hamming";
  if (arguments.given("x")) {
    target = covariate_of(arguments, context, "x");
    name += "." + stem_of(arguments.text("x"));
  } else if (context.network != nullptr && context.network->node_count == context.node_count) {
    target = links_of(*context.network, context.directed);
  } else {
    arguments.fail("x", "give the network to compare with (a file)");
  }
  std::shared_ptr<const DyadValues> weights;
  if (arguments.given("cov")) {
    weights = covariate_of(arguments, context, "cov");
    if (arguments.given("x")) name += ".wt." + covariate_name(arguments, "cov");
  } else if (arguments.given("attrname")) {
    arguments.fail("attrname", "it names the weights of cov=");
  }
  const double default_weight = arguments.number("defaultweight", weights ? 0.0 : 1.0);
  std::string text = "hamming(";
  for (const char* option : {"x", "cov"}) {
    if (arguments.given(option)) {
      text += std::string(text.back() == '(' ? "" : ", ") + option + "=\"" +
              arguments.text(option) + "\"";
    }
  }
  std::string rest = arguments.written_options({"attrname", "defaultweight"});
  if (text.back() == '(' && !rest.empty()) rest = rest.substr(2);
  text = text.back() == '(' && rest.empty() ? "hamming" : text + rest + ")";
  return std::make_shared<Hamming>(text, name, std::move(target), std::move(weights),
                                   default_weight, context.directed);
}

constexpr std::array<TermEntry, 3> entries = {{
    {"edgecov", "x, attrname", "the dyadic covariate's value, summed over links", Networks::both,
     "", make_edgecov, make_valued_form},
    {"dyadcov", "x, attrname",
     "the covariate's values summed over mutual, upper and lower asymmetric pairs", Networks::both,
     "", make_dyadcov},
    {"hamming", "x, cov, attrname, defaultweight",
     "the dyads where the network differs from x, weighted by cov", Networks::both, "",
     make_hamming},
}};

}  // namespace

std::span<const TermEntry> dyadic_covariate_term_entries() {
  return entries;
}

}  // namespace tarn
