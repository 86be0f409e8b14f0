#include "model/model.h"

#include <algorithm>

#include "model/model_terms.h"
#include "network/capacity.h"
#include "network/letter_case.h"

namespace tarn {

int Model::parameter_count() const {
  int count = 0;
  for (const TermPointer& term : terms) count += term->statistic_count();
  return count;
}

std::vector<std::string> Model::statistic_names() const {
  std::vector<std::string> names;
  for (const TermPointer& term : terms) {
    names.insert(names.end(), term->statistic_names().begin(), term->statistic_names().end());
  }
  return names;
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
  if (context.directed) {
    if (const auto description = classic_description(calls, context.block_type_count)) {
      model = build_model(*description, context.block_type_count.value_or(0), context);
      return model;
    }
  }
  for (const TermCall& call : calls) {
    model.terms.push_back(make_term(call, context));
    if (lower_case(call.name) == "m2star") model.notes.push_back("m2star_is_mixed_two_star");
  }
  if (model.parameter_count() > max_params) {
    throw ModelError("the model has " + std::to_string(model.parameter_count()) +
                     " statistics; at most " + std::to_string(max_params));
  }
  return model;
}

}  // namespace tarn
