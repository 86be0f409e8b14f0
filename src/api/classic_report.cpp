#include "report/classic_report.h"

#include <sstream>

#include "api/classic_internals.h"
#include "report/fixed_field.h"
#include "tarnwick/classic/report.h"

namespace tarnwick {

std::string classic_input_file_line(ClassicInputRole role, std::string_view name_field) {
  std::ostringstream line;
  switch (role) {
    case ClassicInputRole::network:
      tarn::write_input_file_line(tarn::InputFileRole::network, name_field, line);
      break;
    case ClassicInputRole::attributes:
      tarn::write_input_file_line(tarn::InputFileRole::attributes, name_field, line);
      break;
    case ClassicInputRole::comparative:
      tarn::write_input_file_line(tarn::InputFileRole::comparative, name_field, line);
      break;
  }
  return line.str();
}

ClassicReport classic_report(const ClassicFit& fit) {
  if (fit.end != ClassicFitEnd::completed || fit.data == nullptr) {
    throw ArgumentError("the fit did not complete: there is no report");
  }
  const ClassicFit::Data& data = *fit.data;
  std::ostringstream screen, file;
  tarn::write_report(data.model.data().layout, data.blocking, data.result, screen, file);
  return {screen.str(), file.str()};
}

std::string classic_int_field(std::int64_t value, int width) {
  return tarn::int_field(value, width);
}

}  // namespace tarnwick
