#include "network/setting_error.h"
#include "tarnwick/errors.h"

namespace tarnwick {

std::string ArgumentError::worded(const std::function<std::string(const std::string&)>& name,
                                  const std::string& joiner) const {
  if (settings.empty()) return what();
  return tarn::worded(text, settings, {name, joiner});
}

}  // namespace tarnwick
