#include "model/model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/model_terms.h"
#include "network/capacity.h"
#include "network/usage_error.h"

namespace tarn {

int Model::parameter_count() const {
  int count = 0;
  for (const TermPointer& term : terms) count += term->statistic_count();
  return count;
}

namespace {

// ergm names an offset term's statistics offset(name).
void add_names(const std::vector<std::string>& own, bool offset, std::vector<std::string>& names) {
  for (const std::string& name : own) names.push_back(offset ? "offset(" + name + ")" : name);
}

}  // namespace

std::vector<std::string> Model::statistic_names() const {
  std::vector<std::string> names;
  for (int t = 0; t < term_count(); ++t) {
    add_names(terms[std::size_t(t)]->statistic_names(), offset_term(t), names);
  }
  return names;
}

bool Model::has_offsets() const {
  return std::any_of(offset_terms.begin(), offset_terms.end(), [](char c) { return c != 0; });
}

int Model::offset_coefficient_count() const {
  int count = 0;
  for (int t = 0; t < term_count(); ++t) {
    if (offset_term(t)) count += terms[std::size_t(t)]->coefficient_count();
  }
  return count;
}

std::vector<std::optional<double>> Model::fixed_coefficients() const {
  std::vector<std::optional<double>> fixed;
  std::size_t v = 0;
  for (int t = 0; t < term_count(); ++t) {
    for (int c = 0; c < terms[std::size_t(t)]->coefficient_count(); ++c) {
      if (offset_term(t) && v < offset_values.size()) {
        fixed.emplace_back(offset_values[v++]);
      } else {
        fixed.emplace_back();
      }
    }
  }
  return fixed;
}

std::vector<int> Model::free_coefficients() const {
  std::vector<int> free;
  const std::vector<std::optional<double>> fixed = fixed_coefficients();
  for (std::size_t k = 0; k < fixed.size(); ++k) {
    if (!fixed[k]) free.push_back(static_cast<int>(k));
  }
  return free;
}

Model with_offsets(Model model, const std::vector<double>& values, const std::string& option) {
  const int wanted = model.offset_coefficient_count();
  if (static_cast<int>(values.size()) != wanted) {
    throw UsageError(option + ": " + std::to_string(values.size()) +
                     (values.size() == 1 ? " value" : " values") + " for " +
                     std::to_string(wanted) + " offset coefficient" + (wanted == 1 ? "" : "s") +
                     " (offset(term) in the formula)");
  }
  for (double v : values) {
    if (std::isnan(v)) throw UsageError(option + ": a value is not a number");
  }
  model.offset_values = values;
  return model;
}

int Model::term_of_statistic(int k) const {
  for (int t = 0; t < term_count(); ++t) {
    k -= terms[static_cast<std::size_t>(t)]->statistic_count();
    if (k < 0) return t;
  }
  return -1;
}

int Model::first_statistic(int t) const {
  int first = 0;
  for (int u = 0; u < t; ++u) first += terms[static_cast<std::size_t>(u)]->statistic_count();
  return first;
}

bool Model::dyad_independent() const {
  return std::all_of(terms.begin(), terms.end(),
                     [](const TermPointer& term) { return term->dyad_independent(); });
}

PartnerTables Model::partner_tables() const {
  PartnerTables tables;
  for (const TermPointer& term : terms) tables |= term->partner_tables();
  return tables;
}

std::vector<double> Model::network_statistics(const TermGraph& g) const {
  std::vector<double> statistics(static_cast<std::size_t>(parameter_count()), 0.0);
  double* out = statistics.data();
  for (const TermPointer& term : terms) {
    term->network_statistics(g, out);
    out += term->statistic_count();
  }
  return statistics;
}

std::string Model::distribution_problem(const DyadSpace& space) const {
  int k = 0;
  for (const TermPointer& term : terms) {
    const std::string problem = term->distribution_problem(space);
    if (!problem.empty()) {
      return "parameter " + std::to_string(k + 1) + " (" + term->text() + "): " + problem;
    }
    k += term->statistic_count();
  }
  return {};
}

bool Model::curved() const {
  return std::any_of(terms.begin(), terms.end(),
                     [](const TermPointer& term) { return term->curved(); });
}

int Model::coefficient_count() const {
  int count = 0;
  for (const TermPointer& term : terms) count += term->coefficient_count();
  return count;
}

std::vector<std::string> Model::coefficient_names() const {
  std::vector<std::string> names;
  for (int t = 0; t < term_count(); ++t) {
    add_names(terms[std::size_t(t)]->coefficient_names(), offset_term(t), names);
  }
  return names;
}

int Model::term_of_coefficient(int k) const {
  for (int t = 0; t < term_count(); ++t) {
    k -= terms[static_cast<std::size_t>(t)]->coefficient_count();
    if (k < 0) return t;
  }
  return -1;
}

int Model::first_coefficient(int t) const {
  int first = 0;
  for (int u = 0; u < t; ++u) first += terms[static_cast<std::size_t>(u)]->coefficient_count();
  return first;
}

std::vector<double> Model::canonical(const std::vector<double>& coefficients) const {
  std::vector<double> eta(static_cast<std::size_t>(parameter_count()));
  const double* in = coefficients.data();
  double* out = eta.data();
  for (const TermPointer& term : terms) {
    term->canonical(in, out);
    in += term->coefficient_count();
    out += term->statistic_count();
  }
  return eta;
}

std::vector<double> Model::canonical_jacobian(const std::vector<double>& coefficients) const {
  const int q = coefficient_count();
  std::vector<double> jacobian(static_cast<std::size_t>(parameter_count() * q), 0.0);
  int row = 0, column = 0;
  for (const TermPointer& term : terms) {
    const int s = term->statistic_count(), c = term->coefficient_count();
    std::vector<double> own(static_cast<std::size_t>(s * c));
    term->canonical_jacobian(coefficients.data() + column, own.data());
    for (int a = 0; a < s; ++a) {
      for (int b = 0; b < c; ++b) {
        jacobian[static_cast<std::size_t>((row + a) * q + column + b)] =
            own[static_cast<std::size_t>(a * c + b)];
      }
    }
    row += s;
    column += c;
  }
  return jacobian;
}

std::vector<double> Model::least_coefficients() const {
  std::vector<double> least;
  for (const TermPointer& term : terms) {
    for (int c = 0; c < term->coefficient_count(); ++c) least.push_back(term->least_coefficient(c));
  }
  return least;
}

std::vector<double> Model::coefficient_statistics(const std::vector<double>& statistics) const {
  std::vector<double> values;
  std::size_t s = 0;
  for (const TermPointer& term : terms) {
    for (int c = 0; c < term->coefficient_count(); ++c) {
      values.push_back(term->curved() || s + std::size_t(c) >= statistics.size()
                           ? std::numeric_limits<double>::quiet_NaN()
                           : statistics[s + std::size_t(c)]);
    }
    s += static_cast<std::size_t>(term->statistic_count());
  }
  return values;
}

Model Model::fixed_at(const std::vector<double>& coefficients) const {
  Model linear = *this;
  int column = 0;
  for (TermPointer& term : linear.terms) {
    const int c = term->coefficient_count();
    term = term->fixed_at(coefficients.data() + column);
    column += c;
  }
  return linear;
}

std::vector<double> Model::start_from_fixed(const std::vector<double>& fixed_estimate) const {
  std::vector<double> start(static_cast<std::size_t>(coefficient_count()), 0.0);
  std::size_t in = 0;
  int column = 0;
  for (const TermPointer& term : terms) {
    // The linear term at the written decay has one statistic per coefficient of its own, or one
    // (the gw statistic) for a curved term's two.
    const int used = term->coefficient_count() == 0 ? 0
                     : term->curved()               ? 1
                                                    : term->statistic_count();
    std::vector<double> estimate(static_cast<std::size_t>(used), 0.0);
    for (int k = 0; k < used && in + std::size_t(k) < fixed_estimate.size(); ++k) {
      estimate[static_cast<std::size_t>(k)] = fixed_estimate[in + std::size_t(k)];
    }
    term->start_coefficients(estimate.data(), start.data() + column);
    in += static_cast<std::size_t>(used);
    column += term->coefficient_count();
  }
  return start;
}

Model build_model(const ModelDescription& description, int block_type_count,
                  const TermContext& context) {
  Model model;
  model.kernel = build_kernel_layout(description, block_type_count);
  model.directed = true;
  for (const Parameter& p : model.kernel->parameters) {
    model.terms.push_back(make_classic_term(p.type, p.block_type, context));
  }
  return model;
}

Model model_of_formula(std::string_view formula, const TermContext& context) {
  const std::vector<TermCall> calls = parse_formula(formula);
  Model model;
  model.directed = context.directed;
  const bool offsets =
      std::any_of(calls.begin(), calls.end(), [](const TermCall& call) { return call.offset; });
  if (context.directed && !offsets) {
    if (const auto description = classic_description(calls, context.block_type_count)) {
      model = build_model(*description, context.block_type_count.value_or(0), context);
      return model;
    }
  }
  for (const TermCall& call : calls) {
    model.terms.push_back(make_term(call, context));
    model.offset_terms.push_back(call.offset ? 1 : 0);
    if (call.offset && model.terms.back()->curved()) {
      throw ModelError("offset(" + model.terms.back()->text() +
                       "): an offset of a curved term is not supported; fix its decay "
                       "(fixed=TRUE)");
    }
    if (const std::string_view notice = term_notice(call.name); !notice.empty()) {
      model.notes.emplace_back(notice);
    }
  }
  if (model.parameter_count() > max_model_statistics) {
    throw ModelError("the model has " + std::to_string(model.parameter_count()) +
                     " statistics; at most " + std::to_string(max_model_statistics) +
                     (model.curved() ? " (give the curved terms a smaller cutoff)" : ""));
  }
  return model;
}

}  // namespace tarn
