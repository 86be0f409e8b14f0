#include "report/classic_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "mple/fit_summary.h"
#include "network/file_name.h"
#include "report/fixed_field.h"

namespace tarn {

namespace {

// What the report shows, from the dialogue's fit or from the library's numbers.
struct ClassicFigures {
  struct Parameter {
    int type = 0, block_type = 0;
    double estimate = 0, std_error = 0, wald = 0, exp_estimate = 0;
  };
  std::vector<Parameter> parameters;
  std::vector<std::vector<int>> structure;  // [block][block], when a parameter has block types
  bool pass_limit = false;
  double minus2_log_likelihood = 0, goodness_of_fit = 0, model_chisquare = 0;
  std::array<std::array<std::int64_t, 2>, 2> classification{};
  double percent_no_link = 0, percent_link = 0, percent_overall = 0;
  double absolute_residuals = 0, squared_residuals = 0;
  std::vector<std::vector<double>> correlation;
  std::string note;  // the errors' method, when they are not the naive ones
};

std::string block_or_blanks(int block, int width) {
  return block == 0 ? std::string(static_cast<std::size_t>(width), ' ') : int_field(block, width);
}

void write_heading(const ClassicFigures& f, std::ostream& file) {
  file << " Parameters: ";
  for (const auto& p : f.parameters) file << int_field(p.type, 3);
  file << '\n';
  if (f.structure.empty()) return;
  file << " Blocks:     ";
  for (const auto& p : f.parameters) file << block_or_blanks(p.block_type, 3);
  file << "\n\n";
  file << " Block structure:\n";
  const int blocks = static_cast<int>(f.structure.size());
  for (int r = 1; r <= blocks && r <= max_blocks; ++r) {
    for (int c = 1; c <= blocks && c <= max_blocks; ++c) {
      file << int_field(f.structure[std::size_t(r - 1)][std::size_t(c - 1)], 3);
    }
    file << '\n';
  }
}

void write_fit_statistics(const ClassicFigures& f, std::ostream& screen, std::ostream& file) {
  const std::string lines =
      "\n -2 Log Likelihood = " + real_field(f.minus2_log_likelihood, 20, 3) +
      "\n Goodness of Fit   = " + real_field(f.goodness_of_fit, 20, 3) +
      "\n Model Chisquare =   " + real_field(f.model_chisquare, 20, 3) +
      "     df = " + int_field(static_cast<std::int64_t>(f.parameters.size()), 3) + '\n';
  screen << lines;
  file << lines;
}

void write_classification(const ClassicFigures& f, std::ostream& screen, std::ostream& file) {
  const std::int64_t c11 = f.classification[0][0];
  const std::int64_t c12 = f.classification[0][1];
  const std::int64_t c21 = f.classification[1][0];
  const std::int64_t c22 = f.classification[1][1];
  const std::string row0 = real_field(f.percent_no_link, 12, 2);
  const std::string row1 = real_field(f.percent_link, 12, 2);
  const std::string overall = real_field(f.percent_overall, 12, 2);
  const std::string absolute = "      Absolute" + real_field(f.absolute_residuals, 20, 4) + '\n';
  const std::string squared = "      Squared " + real_field(f.squared_residuals, 20, 4) + '\n';

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

void write_parameters(const ClassicFigures& f, std::ostream& screen, std::ostream& file) {
  const std::string heading =
      "\n Parameter   Block           b        S.E.        Wald      exp(b)\n";
  screen << heading;
  file << heading;
  for (const auto& p : f.parameters) {
    const std::string line = int_field(p.type, 9) + block_or_blanks(p.block_type, 9) +
                             real_field(p.estimate, 12, 4) + real_field(p.std_error, 12, 4) +
                             real_field(p.wald, 12, 4) + real_field(p.exp_estimate, 12, 4) + '\n';
    screen << line;
    file << line;
  }
  if (!f.note.empty()) {
    screen << ' ' << f.note << '\n';
    file << ' ' << f.note << '\n';
  }

  file << "\n Covariance matrix\n";
  file << " Parm    ";
  for (const auto& p : f.parameters) file << int_field(p.type, 12);
  file << "\n      Blk";
  for (const auto& p : f.parameters) file << block_or_blanks(p.block_type, 12);
  file << "\n\n";
  for (std::size_t p = 0; p < f.parameters.size(); ++p) {
    file << int_field(f.parameters[p].type, 5) << block_or_blanks(f.parameters[p].block_type, 4);
    for (const double r : f.correlation[p]) file << real_field(r, 12, 5);
    file << '\n';
  }
}

void write_figures(const ClassicFigures& f, std::ostream& screen, std::ostream& file) {
  write_heading(f, file);
  if (f.pass_limit) {
    screen << "\n Too many iterations! Returning partial results.\n";
    file << " Too many iterations! Returning partial results.\n";
  }
  write_fit_statistics(f, screen, file);
  write_classification(f, screen, file);
  write_parameters(f, screen, file);
  file << "\f\n";
  screen << std::flush;
}

ClassicFigures figures_of(const KernelLayout& model, const Blocking& blocking, const FitResult& r,
                          const ParameterErrors& errors) {
  ClassicFigures f;
  const int m = model.parameter_count();
  for (int p = 1; p <= m; ++p) {
    const Parameter& layout = model.parameters[std::size_t(p - 1)];
    const double b = r.estimate(p);
    const double se = standard_error(errors.covariance, p);
    f.parameters.push_back(
        {number(layout.type), layout.block_type, b, se, wald_statistic(b, se), std::exp(b)});
    f.correlation.emplace_back();
    for (int q = 1; q <= m; ++q)
      f.correlation.back().push_back(correlation(errors.covariance, p, q));
  }
  if (model.has_block_parameter()) {
    const int blocks = std::min(blocking.block_count, max_blocks);
    for (int row = 1; row <= blocks; ++row) {
      f.structure.emplace_back();
      for (int c = 1; c <= blocks; ++c) f.structure.back().push_back(blocking.structure(row, c));
    }
  }
  f.pass_limit = r.too_many_iterations;
  f.minus2_log_likelihood = -2.0 * r.loglik;
  f.goodness_of_fit = r.pearson_sum;
  f.model_chisquare = model_chisquare(r);
  f.classification = r.class_table;
  const auto& t = r.class_table;
  f.percent_no_link = percent(t[0][0], t[0][0] + t[0][1]);
  f.percent_link = percent(t[1][1], t[1][0] + t[1][1]);
  f.percent_overall = percent(t[0][0] + t[1][1], t[0][0] + t[0][1] + t[1][0] + t[1][1]);
  f.absolute_residuals = r.abs_resid_sum;
  f.squared_residuals = r.sq_resid_sum;
  f.note = errors.description;
  return f;
}

ClassicFigures figures_of(const tarnwick::Estimate& e) {
  ClassicFigures f;
  bool blocks = false;
  for (const tarnwick::CoefficientRow& row : e.coefficients) {
    const tarnwick::TermRecord& term = e.terms[std::size_t(row.term)];
    f.parameters.push_back({term.configuration_type, term.block_type, row.estimate, row.std_error,
                            row.wald, row.exp_estimate});
    blocks = blocks || term.block_type != 0;
  }
  if (blocks && e.blocking) f.structure = e.blocking->structure;
  const tarnwick::PseudoLikelihoodFigures& p = *e.pseudo_likelihood;
  f.pass_limit = p.pass_limit;
  f.minus2_log_likelihood = p.minus2_log_likelihood;
  f.goodness_of_fit = p.goodness_of_fit;
  f.model_chisquare = p.model_chisquare;
  f.classification = p.classification;
  f.percent_no_link = p.percent_correct_no_link;
  f.percent_link = p.percent_correct_link;
  f.percent_overall = p.percent_correct;
  f.absolute_residuals = p.absolute_residuals;
  f.squared_residuals = p.squared_residuals;
  f.correlation = e.correlation;
  f.note = e.errors_description;
  return f;
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
  write_figures(figures_of(model, blocking, result, errors), screen, file);
}

void write_report_file(const tarnwick::Estimate& estimate, std::ostream& file) {
  for (const tarnwick::InputFileRecord& f : estimate.files) {
    if (f.role == "network") write_input_file_line(InputFileRole::network, f.path, file);
  }
  for (const tarnwick::InputFileRecord& f : estimate.files) {
    if (f.role == "attributes") write_input_file_line(InputFileRole::attributes, f.path, file);
  }
  for (const tarnwick::InputFileRecord& f : estimate.files) {
    if (f.role == "covariate") write_input_file_line(InputFileRole::comparative, f.path, file);
  }
  if (!estimate.estimated || !estimate.pseudo_likelihood) return;
  std::ostream nowhere(nullptr);
  write_figures(figures_of(estimate), nowhere, file);
}

}  // namespace tarn
