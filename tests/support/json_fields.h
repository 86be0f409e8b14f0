#pragma once
// Fields of the command line's JSON results, read by name.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tarn::test {

// The value of the statistic `name` in a list of {"name", "value"} objects.
inline double statistic_value(const nlohmann::json& statistics, const std::string& name) {
  for (const auto& s : statistics) {
    if (s["name"] == name) return s["value"].get<double>();
  }
  ADD_FAILURE() << "no statistic " << name;
  return NAN;
}

// The codes of a result's warnings, in their order.
inline std::vector<std::string> warning_codes(const nlohmann::json& json) {
  std::vector<std::string> codes;
  for (const auto& w : json["warnings"]) codes.push_back(w["code"]);
  return codes;
}

}  // namespace tarn::test
