#include "report/tidy_csv.h"

#include <charconv>
#include <cmath>

namespace tarn {

std::string csv_number(double value) {
  if (!std::isfinite(value)) return "NA";
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("NA");
}

// A field quoted when it holds a comma, a quote or a line break (RFC 4180).
std::string csv_text(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

void write_tidy_csv(const FitRecord& record, std::ostream& out) {
  const FitResult& r = *record.result;
  const std::vector<ParameterRow> rows = parameter_rows(r, *record.errors);
  const std::string outcome = fit_outcome(record);
  out << "term,estimate,std_error,z,p_value,conf_low,conf_high,type,block_type,exp_estimate,"
         "std_error_method,outcome,method,mcmc_error_percent,directed\n";
  const Model& model = *record.model;
  const std::vector<std::string> names = model.coefficient_names();
  for (int p = 1; p <= r.parameter_count; ++p) {
    const Term& term = *model.terms[static_cast<std::size_t>(model.term_of_coefficient(p - 1))];
    const ClassicParameter* classic = term.classic();
    const ParameterRow& row = rows[static_cast<std::size_t>(p - 1)];
    out << csv_text(names[static_cast<std::size_t>(p - 1)]) << ',' << csv_number(row.estimate)
        << ',' << csv_number(row.std_error) << ',' << csv_number(row.z) << ','
        << csv_number(row.p_value) << ',' << csv_number(row.conf_low) << ','
        << csv_number(row.conf_high) << ',' << (classic ? number(classic->type) : 0) << ','
        << (classic ? classic->block_type : 0) << ',' << csv_number(row.exp_estimate) << ','
        << record.errors->method << ',' << outcome << ',' << record.method << ','
        << (static_cast<std::size_t>(p - 1) < record.mcmc_error_percent.size()
                ? csv_number(record.mcmc_error_percent[static_cast<std::size_t>(p - 1)])
                : std::string("NA"))
        << ',' << (model.directed ? "TRUE" : "FALSE") << '\n';
  }
}

}  // namespace tarn
