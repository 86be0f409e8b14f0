#include "report/tidy_csv.h"

#include <charconv>
#include <cmath>

namespace tarn {

std::string csv_number(double value) {
  // As R writes them: an offset's fixed value may be infinite.
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
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

void write_tidy_csv(const tarnwick::Estimate& e, std::ostream& out) {
  out << "term,estimate,std_error,z,p_value,conf_low,conf_high,type,block_type,exp_estimate,"
         "std_error_method,outcome,method,mcmc_error_percent,directed,offset\n";
  for (std::size_t k = 0; k < e.coefficients.size(); ++k) {
    const tarnwick::CoefficientRow& row = e.coefficients[k];
    const tarnwick::TermRecord& term = e.terms[static_cast<std::size_t>(row.term)];
    out << csv_text(row.name) << ',' << csv_number(row.estimate) << ',' << csv_number(row.std_error)
        << ',' << csv_number(row.z) << ',' << csv_number(row.p_value) << ','
        << csv_number(row.conf_low) << ',' << csv_number(row.conf_high) << ','
        << term.configuration_type << ',' << term.block_type << ',' << csv_number(row.exp_estimate)
        << ',' << e.errors << ',' << e.outcome << ',' << e.method << ','
        << (k < e.mcmc_error_percent.size() ? csv_number(e.mcmc_error_percent[k])
                                            : std::string("NA"))
        << ',' << (e.network.directed ? "TRUE" : "FALSE") << ',' << (row.offset ? "TRUE" : "FALSE")
        << '\n';
  }
}

}  // namespace tarn
