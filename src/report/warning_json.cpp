#include "report/warning_json.h"

#include <variant>

namespace tarn {

nlohmann::ordered_json warnings_json(const std::vector<WordedWarning>& warnings) {
  using json = nlohmann::ordered_json;
  json list = json::array();
  for (const WordedWarning& w : warnings) {
    json figures = json::object();
    for (const WarningFigure& f : w.warning.figures) {
      std::visit([&](const auto& value) { figures[f.name] = value; }, f.value);
    }
    list.push_back({{"code", w.warning.code}, {"message", w.message}, {"figures", figures}});
  }
  return list;
}

}  // namespace tarn
