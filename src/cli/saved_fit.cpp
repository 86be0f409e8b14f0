#include "cli/saved_fit.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include "cli/data_options.h"
#include "network/fatal_error.h"
#include "network/file_access.h"
#include "network/usage_error.h"

namespace tarn {

namespace {

// The shortest text that reads back to the same double, as --coef reads it.
std::string exact_text(double value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("nan");
}

}  // namespace

SavedFit read_saved_fit(const std::string& path) {
  const auto refused = [&path](const std::string& why) {
    return FatalError("--fit " + path + ": " + why +
                      "; give the JSON results file that tarnwick fit --json wrote.");
  };
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(*open_for_reading(path));
  } catch (const nlohmann::json::parse_error& e) {
    throw refused(std::string("not a JSON file (") + e.what() + ")");
  }
  const auto& command = doc.contains("command") ? doc["command"] : nlohmann::json();
  if (!doc.is_object() || doc.value("program", "") != "tarnwick" || !command.is_object() ||
      !command.contains("model") || !command["model"].is_string() || !command.contains("data") ||
      !command["data"].is_array() || !doc.contains("parameters") || !doc["parameters"].is_array() ||
      !doc.contains("input") || !doc["input"].contains("network")) {
    throw refused(
        "it holds no fit of this version of tarnwick (its command, input or "
        "parameters are missing)");
  }
  SavedFit fit;
  fit.model = command["model"].get<std::string>();
  std::vector<std::string> data;
  for (const auto& argument : command["data"]) {
    if (!argument.is_string()) throw refused("its command's data are not a list of arguments");
    data.push_back(argument.get<std::string>());
  }
  try {
    fit.study = study_options_of(data);
  } catch (const UsageError& e) {
    throw refused(e.what());
  }
  fit.outcome = doc.value("outcome", "");
  fit.nodes = doc["input"]["network"].value("nodes", 0);
  fit.links = doc["input"]["network"].value("links", 0);
  if (!fit.converged()) return fit;
  for (const auto& p : doc["parameters"]) {
    if (!p.contains("estimate") || !p["estimate"].is_number()) {
      throw refused("a parameter of its converged fit has no estimate");
    }
    fit.coefficients += (fit.coefficients.empty() ? "" : ",") + exact_text(p["estimate"]);
  }
  return fit;
}

}  // namespace tarn
