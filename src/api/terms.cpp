#include "tarnwick/terms.h"

#include "numeric/edit_distance.h"
#include "terms/configuration_type.h"
#include "terms/term_table.h"

namespace tarnwick {

std::vector<ConfigurationType> configuration_types() {
  std::vector<ConfigurationType> types;
  for (int t = 1; t <= tarn::type_count; ++t) {
    const auto type = static_cast<tarn::ConfigurationType>(t);
    types.push_back({t, std::string(tarn::short_name(type)), std::string(tarn::menu_label(type))});
  }
  return types;
}

std::vector<TermInfo> terms() {
  std::vector<TermInfo> list;
  for (const tarn::TermEntry* entry : tarn::term_table()) {
    list.push_back({std::string(entry->name), std::string(entry->arguments),
                    entry->arguments.empty() && tarn::type_of_name(entry->name).has_value()});
  }
  return list;
}

std::string nearest_name(const std::string& given, const std::vector<std::string>& names,
                         std::size_t limit) {
  std::string best;
  for (const std::string& name : names) {
    const std::size_t d = tarn::edit_distance(given, name);
    if (d < limit) limit = d, best = name;
  }
  return best;
}

}  // namespace tarnwick
