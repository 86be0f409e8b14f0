#include "report/tidy_csv.h"

#include <charconv>
#include <cmath>

#include "model/model_terms.h"

namespace tarn {

std::string csv_number(double value) {
  if (!std::isfinite(value)) return "NA";
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("NA");
}

void write_tidy_csv(const FitRecord& record, std::ostream& out) {
  const FitResult& r = *record.result;
  const std::vector<ParameterRow> rows = parameter_rows(r, *record.errors);
  const std::string outcome = fit_outcome(record);
  out << "term,estimate,std_error,z,p_value,conf_low,conf_high,type,block_type,exp_estimate,"
         "std_error_method,outcome\n";
  for (int p = 1; p <= r.parameter_count; ++p) {
    const Parameter& parameter = record.model->parameters[static_cast<std::size_t>(p - 1)];
    const ParameterRow& row = rows[static_cast<std::size_t>(p - 1)];
    out << term_text(parameter) << ',' << csv_number(row.estimate) << ','
        << csv_number(row.std_error) << ',' << csv_number(row.z) << ',' << csv_number(row.p_value)
        << ',' << csv_number(row.conf_low) << ',' << csv_number(row.conf_high) << ','
        << number(parameter.type) << ','
        << (parameter.block_type == 0 ? std::string("NA") : std::to_string(parameter.block_type))
        << ',' << csv_number(row.exp_estimate) << ',' << record.errors->method << ',' << outcome
        << '\n';
  }
}

}  // namespace tarn
