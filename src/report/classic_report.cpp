#include "report/classic_report.h"

#include <cmath>
#include <string>

#include "mple/fit_summary.h"
#include "network/file_name.h"
#include "report/fixed_field.h"

namespace tarn {

namespace {

std::string block_or_blanks(int block, int width) {
  return block == 0 ? std::string(static_cast<std::size_t>(width), ' ') : int_field(block, width);
}

void write_heading(const KernelLayout& model, const Blocking& blocking, std::ostream& file) {
  file << " Parameters: ";
  for (const Parameter& p : model.parameters) file << int_field(number(p.type), 3);
  file << '\n';
  if (!model.has_block_parameter()) return;
  file << " Blocks:     ";
  for (const Parameter& p : model.parameters) file << block_or_blanks(p.block_type, 3);
  file << "\n\n";
  file << " Block structure:\n";
  const int blocks = blocking.block_count;
  for (int r = 1; r <= blocks && r <= max_blocks; ++r) {
    for (int c = 1; c <= blocks && c <= max_blocks; ++c) {
      file << int_field(blocking.structure(r, c), 3);
    }
    file << '\n';
  }
}

void write_fit_statistics(const FitResult& r, std::ostream& screen, std::ostream& file) {
  const std::string lines = "\n -2 Log Likelihood = " + real_field(-2.0 * r.loglik, 20, 3) +
                            "\n Goodness of Fit   = " + real_field(r.pearson_sum, 20, 3) +
                            "\n Model Chisquare =   " + real_field(model_chisquare(r), 20, 3) +
                            "     df = " + int_field(r.parameter_count, 3) + '\n';
  screen << lines;
  file << lines;
}

void write_classification(const FitResult& r, std::ostream& screen, std::ostream& file) {
  const std::int64_t c11 = r.class_table[0][0];
  const std::int64_t c12 = r.class_table[0][1];
  const std::int64_t c21 = r.class_table[1][0];
  const std::int64_t c22 = r.class_table[1][1];
  const std::string row0 = real_field(percent(c11, c11 + c12), 12, 2);
  const std::string row1 = real_field(percent(c22, c21 + c22), 12, 2);
  const std::string overall = real_field(percent(c11 + c22, c11 + c12 + c21 + c22), 12, 2);
  const std::string absolute = "      Absolute" + real_field(r.abs_resid_sum, 20, 4) + '\n';
  const std::string squared = "      Squared " + real_field(r.sq_resid_sum, 20, 4) + '\n';

  screen << "\n               Fit       % Correct      Residuals\n";
  screen << " Data " << int_field(c11, 8) << int_field(c12, 8) << row0 << absolute;
  screen << "      " << int_field(c21, 8) << int_field(c22, 8) << row1 << squared;
  screen << "               Overall" << overall << '\n';

  file << "\n             Predicted\n";
  file << "                 0 |       1   % Correct                Residuals\n";
  file << "                 0 |       1\n";
  file << " Observed ---------+---------\n";
  file << "   0   0  " << int_field(c11, 8) << " |" << int_field(c12, 8) << row0 << absolute;
  file << "          ---------+---------\n";
  file << "   1   1  " << int_field(c21, 8) << " |" << int_field(c22, 8) << row1 << squared;
  file << "          ---------+---------\n";
  file << "                     Overall" << overall << '\n';
}

void write_parameters(const KernelLayout& model, const FitResult& r, const ParamMatrix& covariance,
                      const std::string& note, std::ostream& screen, std::ostream& file) {
  const int m = model.parameter_count();
  auto type_of = [&model](int p) { return number(model.parameters[std::size_t(p - 1)].type); };
  auto block_of = [&model](int p) { return model.parameters[std::size_t(p - 1)].block_type; };

  const std::string heading =
      "\n Parameter   Block           b        S.E.        Wald      exp(b)\n";
  screen << heading;
  file << heading;
  for (int p = 1; p <= m; ++p) {
    const double b = r.estimate(p);
    const double se = standard_error(covariance, p);
    const std::string line = int_field(type_of(p), 9) + block_or_blanks(block_of(p), 9) +
                             real_field(b, 12, 4) + real_field(se, 12, 4) +
                             real_field(wald_statistic(b, se), 12, 4) +
                             real_field(std::exp(b), 12, 4) + '\n';
    screen << line;
    file << line;
  }
  if (!note.empty()) {
    screen << ' ' << note << '\n';
    file << ' ' << note << '\n';
  }

  file << "\n Covariance matrix\n";
  file << " Parm    ";
  for (int p = 1; p <= m; ++p) file << int_field(type_of(p), 12);
  file << "\n      Blk";
  for (int p = 1; p <= m; ++p) file << block_or_blanks(block_of(p), 12);
  file << "\n\n";
  for (int p = 1; p <= m; ++p) {
    file << int_field(type_of(p), 5) << block_or_blanks(block_of(p), 4);
    for (int q = 1; q <= m; ++q) file << real_field(correlation(covariance, p, q), 12, 5);
    file << '\n';
  }
}

}  // namespace

void write_input_file_line(InputFileRole role, std::string_view name, std::ostream& file) {
  switch (role) {
    case InputFileRole::network:
      file << " Network file:   ";
      break;
    case InputFileRole::attributes:
      file << " Attribute file: ";
      break;
    case InputFileRole::comparative:
      file << " Comparative file: ";
      break;
  }
  file << name_field(name) << '\n';
}

void write_report(const KernelLayout& model, const Blocking& blocking, const FitResult& result,
                  std::ostream& screen, std::ostream& file) {
  write_report(model, blocking, result, naive_errors(result), screen, file);
}

void write_report(const KernelLayout& model, const Blocking& blocking, const FitResult& result,
                  const ParameterErrors& errors, std::ostream& screen, std::ostream& file) {
  write_heading(model, blocking, file);
  if (result.too_many_iterations) {
    screen << "\n Too many iterations! Returning partial results.\n";
    file << " Too many iterations! Returning partial results.\n";
  }
  write_fit_statistics(result, screen, file);
  write_classification(result, screen, file);
  write_parameters(model, result, errors.covariance, errors.description, screen, file);
  file << "\f\n";
  screen << std::flush;
}

}  // namespace tarn
