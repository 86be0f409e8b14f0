#include "api/records.h"

#include <cstdio>

#include "report/warning_text.h"
#include "tarnwick/errors.h"

namespace tarn {

std::vector<tarnwick::WarningRecord> records_of(const std::vector<Warning>& warnings,
                                                const std::string& about) {
  return worded(warnings, about);
}

std::string comma_list(const std::vector<double>& values) {
  std::string list;
  for (const double v : values) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    list += (list.empty() ? "" : ",") + std::string(text);
  }
  return list;
}

void check_cancel(const tarnwick::Progress& progress) {
  if (progress.cancel != nullptr && progress.cancel->load()) throw tarnwick::Cancelled();
}

}  // namespace tarn
