#include "report/warning_json.h"

#include <variant>

namespace tarn {

nlohmann::ordered_json warnings_json(const std::vector<tarnwick::WarningRecord>& warnings) {
  using json = nlohmann::ordered_json;
  json list = json::array();
  for (const tarnwick::WarningRecord& w : warnings) {
    json figures = json::object();
    for (const tarnwick::WarningFigure& f : w.figures) {
      std::visit([&](const auto& value) { figures[f.name] = value; }, f.value);
    }
    list.push_back({{"code", w.code}, {"message", w.message}, {"figures", figures}});
  }
  return list;
}

}  // namespace tarn
