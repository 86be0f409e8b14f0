#include "network/setting_error.h"
#include "tarnwick/errors.h"
#include "tarnwick/results/warning.h"

namespace tarnwick {

std::string ArgumentError::worded(const std::function<std::string(const std::string&)>& name,
                                  const std::string& joiner) const {
  if (settings.empty()) return what();
  return tarn::worded(text, settings, {name, joiner});
}

std::string worded(const WarningRecord& record,
                   const std::function<std::string(const std::string&)>& name,
                   const std::string& joiner) {
  if (record.settings.empty()) return record.message;
  return tarn::worded(record.text, record.settings, {name, joiner});
}

}  // namespace tarnwick
