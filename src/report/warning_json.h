#pragma once
// The warnings of a run as the results files give them: code, message and figures.

#include <nlohmann/json.hpp>
#include <vector>

#include "tarnwick/results/warning.h"

namespace tarn {

nlohmann::ordered_json warnings_json(const std::vector<tarnwick::WarningRecord>& warnings);

}  // namespace tarn
