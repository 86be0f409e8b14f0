#include "tarnwick/saved_fit.h"

#include <limits>
#include <nlohmann/json.hpp>

#include "api/api_errors.h"
#include "network/fatal_error.h"
#include "network/file_access.h"

namespace tarnwick {

namespace {

using Json = nlohmann::json;

// Whether the document has what a fit's results hold.
bool holds_a_fit(const Json& doc) {
  if (!doc.is_object() || doc.value("program", "") != "tarnwick") return false;
  const Json& command = doc.contains("command") ? doc["command"] : Json();
  return command.is_object() && command.contains("model") && command["model"].is_string() &&
         command.contains("data") && command["data"].is_array() && doc.contains("parameters") &&
         doc["parameters"].is_array() && doc.contains("input") && doc["input"].contains("network");
}

SavedFit saved_fit_of(const std::string& path) {
  const auto refused = [&path](const std::string& why) {
    return tarn::FatalError(
        path + ": " + why + "; give the JSON results file that tarnwick fit --json wrote.", {path});
  };
  Json doc;
  try {
    doc = Json::parse(*tarn::open_for_reading(path));
  } catch (const Json::parse_error& e) {
    throw refused(std::string("not a JSON file (") + e.what() + ")");
  }
  if (!holds_a_fit(doc)) {
    throw refused(
        "it holds no fit of this version of tarnwick (its command, input or "
        "parameters are missing)");
  }
  SavedFit fit;
  fit.formula = doc["command"]["model"].get<std::string>();
  if (doc["command"].contains("constraints")) {
    if (!doc["command"]["constraints"].is_string()) throw refused("its constraints are no text");
    fit.constraints = doc["command"]["constraints"].get<std::string>();
  }
  for (const auto& argument : doc["command"]["data"]) {
    if (!argument.is_string()) throw refused("its command's data are not a list of arguments");
    fit.data_arguments.push_back(argument.get<std::string>());
  }
  fit.outcome = doc.value("outcome", "");
  fit.nodes = doc["input"]["network"].value("nodes", 0);
  fit.links = doc["input"]["network"].value("links", 0);
  if (!fit.converged()) return fit;
  for (const auto& p : doc["parameters"]) {
    // An offset's infinite value is written as R writes it.
    if (p.value("offset", false) && p.contains("estimate") && p["estimate"].is_string()) {
      const std::string value = p["estimate"].get<std::string>();
      if (value == "-Inf" || value == "Inf") {
        fit.coefficients.push_back((value == "Inf" ? 1.0 : -1.0) *
                                   std::numeric_limits<double>::infinity());
        continue;
      }
    }
    if (!p.contains("estimate") || !p["estimate"].is_number()) {
      throw refused("a parameter of its converged fit has no estimate");
    }
    fit.coefficients.push_back(p["estimate"].get<double>());
  }
  return fit;
}

}  // namespace

SavedFit read_saved_fit(const std::string& path) {
  return tarn::with_library_errors([&] { return saved_fit_of(path); });
}

}  // namespace tarnwick
