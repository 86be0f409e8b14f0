#include "estimate/sampling_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <thread>

#include "network/fatal_error.h"
#include "network/usage_error.h"

namespace tarn {

SamplerSettings SamplingSettings::settings(const Study& study) const {
  SamplerSettings s =
      default_sampler_settings(study.node_count(), study.network.link_count, study.dyad_count());
  if (interval >= 0) s.interval = interval;
  if (burnin >= 0) {
    s.burnin = burnin;
  } else if (interval >= 0) {
    s.burnin = 4 * interval;
  }
  s.chains = chains;
  s.seed = seed;
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  s.threads = threads > 0 ? threads : std::max(cores, 1);
  s.cancel = cancel;
  return s;
}

void check_can_simulate(const Study& study) {
  if (study.network.has_repeated_links) {
    throw FatalError(
        "The network has links given more than once; a simulated network holds each "
        "link once, so it cannot be simulated. Give every link once.");
  }
  const std::string problem = study.model.distribution_problem(study.dyad_space());
  if (!problem.empty()) {
    throw UsageError("This model has no network distribution to simulate from: " + problem + ".");
  }
}

namespace {

// A number of a comma list: a decimal, or Inf, -Inf (any case, a leading '+' allowed); nullopt
// for anything else.
std::optional<double> list_number(const std::string& item) {
  std::string lower = item;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const double inf = std::numeric_limits<double>::infinity();
  if (lower == "inf" || lower == "+inf") return inf;
  if (lower == "-inf") return -inf;
  double value = 0.0;
  const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
  if (error != std::errc() || end != item.data() + item.size() || item.empty()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::vector<std::string> list_items(const std::string& list) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    items.push_back(list.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

std::vector<double> offset_values_of(const std::string& list, const std::string& option) {
  std::vector<double> values;
  if (list.empty()) return values;
  for (const std::string& item : list_items(list)) {
    const std::optional<double> value = list_number(item);
    if (!value || std::isnan(*value)) {
      throw UsageError(option + ": \"" + item + "\" is not a number (nor Inf, -Inf)");
    }
    values.push_back(*value);
  }
  return values;
}

Model model_with_offsets(const Model& model, const std::vector<double>& values,
                         const std::string& list) {
  if (!model.has_offsets() && values.empty() && list.empty()) return model;
  if (!list.empty())
    return with_offsets(model, offset_values_of(list, "--offset-coef"), "--offset-coef");
  // The values given in code are named as the library's callers know them; none at all, as the
  // command line's option that gives them.
  return with_offsets(model, values, values.empty() ? "--offset-coef" : "offset_coef");
}

std::vector<double> coefficients_of(const std::string& list, const Model& model,
                                    const std::string& option) {
  std::vector<double> values;
  std::vector<char> offset;  // per coefficient: an offset term's
  for (int t = 0; t < model.term_count(); ++t) {
    for (int c = 0; c < model.terms[std::size_t(t)]->coefficient_count(); ++c) {
      offset.push_back(model.offset_term(t) ? 1 : 0);
    }
  }
  for (const std::string& item : list_items(list)) {
    const std::optional<double> read = list_number(item);
    if (!read) throw UsageError(option + ": \"" + item + "\" is not a number");
    const double value = *read;
    const bool at_offset = values.size() < offset.size() && offset[values.size()] != 0;
    if (!std::isfinite(value) && !at_offset) {
      throw UsageError(option + ": coefficient " + std::to_string(values.size() + 1) + " (" + item +
                       ") is not a finite number");
    }
    values.push_back(value);
  }
  const auto m = static_cast<std::size_t>(model.coefficient_count());
  if (values.size() != m) {
    std::string names;
    if (model.curved()) {
      for (const std::string& name : model.coefficient_names()) {
        names += (names.empty() ? " (" : ", ") + name;
      }
      names += ")";
    }
    throw UsageError(option + ": " + std::to_string(values.size()) + " numbers for " +
                     std::to_string(m) + (model.curved() ? " coefficients" : " parameters") +
                     names);
  }
  return values;
}

}  // namespace tarn
