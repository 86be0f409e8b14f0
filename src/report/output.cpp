#include "report/output.h"

#include <cmath>
#include <string>

#include "report/fixed_field.h"
#include "report/report_writer.h"

namespace tarn {

namespace {

constexpr int group_slots = 16;

bool in_slots(int index) {
  return index >= 1 && index <= group_slots;
}

std::string block_or_blanks(int16 block, int width) {
  return block == 0 ? std::string(static_cast<std::size_t>(width), ' ') : int_field(block, width);
}

// Share of a row's dyads classified correctly, in percent. A row without dyads divides 0 by 0
// and prints as NaN.
double percent(int32 right, int32 total) {
  return 100.0 * static_cast<double>(right) / static_cast<double>(total);
}

void write_heading(const Records& rec, const ParamLabels& labels, std::ostream& file) {
  const int m = rec.stats.param_count;
  file << " Parameters: ";
  for (int p = 1; p <= m; ++p) file << int_field(labels.type(p), 3);
  file << '\n';
  if (!labels.has_block_parameter) return;
  file << " Blocks:     ";
  for (int p = 1; p <= m; ++p) file << block_or_blanks(labels.block(p), 3);
  file << "\n\n";
  file << " Block structure:\n";
  const int blocks = rec.blocks.block_count;
  for (int r = 1; r <= blocks && r <= max_blocks; ++r) {
    for (int c = 1; c <= blocks && c <= max_blocks; ++c) {
      file << int_field(rec.blocks.block_type(r, c), 3);
    }
    file << '\n';
  }
}

void write_fit_statistics(const Records& rec, std::ostream& screen, std::ostream& file) {
  const Stats& st = rec.stats;
  const double chi_square =
      2.0 * ((st.dyad_count * std::log(2.0) + st.null_loglik) + st.loglik - st.null_loglik);
  const std::string lines = "\n -2 Log Likelihood = " + real_field(-2.0 * st.loglik, 20, 3) +
                            "\n Goodness of Fit   = " + real_field(st.pearson_sum, 20, 3) +
                            "\n Model Chisquare =   " + real_field(chi_square, 20, 3) +
                            "     df = " + int_field(st.param_count, 3) + '\n';
  screen << lines;
  file << lines;
}

void write_classification(const Records& rec, std::ostream& screen, std::ostream& file) {
  const Stats& st = rec.stats;
  const int32 c11 = st.class_table(1, 1);
  const int32 c12 = st.class_table(1, 2);
  const int32 c21 = st.class_table(2, 1);
  const int32 c22 = st.class_table(2, 2);
  const std::string row0 = real_field(percent(c11, c11 + c12), 12, 2);
  const std::string row1 = real_field(percent(c22, c21 + c22), 12, 2);
  const std::string overall = real_field(percent(c11 + c22, c11 + c12 + c21 + c22), 12, 2);
  const std::string absolute = "      Absolute" + real_field(st.abs_resid_sum, 20, 4) + '\n';
  const std::string squared = "      Squared " + real_field(st.sq_resid_sum, 20, 4) + '\n';

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

void write_parameters(const Records& rec, const ParamLabels& labels, const ParamVector& estimate,
                      const ParamMatrix& covariance, std::ostream& screen, std::ostream& file) {
  const int m = rec.stats.param_count;
  ParamVector standard_error;
  for (int p = 1; p <= m; ++p) standard_error(p) = std::sqrt(covariance(p, p));

  const std::string heading =
      "\n Parameter   Block           b        S.E.        Wald      exp(b)\n";
  screen << heading;
  file << heading;
  for (int p = 1; p <= m; ++p) {
    const double ratio = estimate(p) / standard_error(p);
    const double wald = ratio * ratio;
    const std::string line = int_field(labels.type(p), 9) + block_or_blanks(labels.block(p), 9) +
                             real_field(estimate(p), 12, 4) + real_field(standard_error(p), 12, 4) +
                             real_field(wald, 12, 4) + real_field(std::exp(estimate(p)), 12, 4) +
                             '\n';
    screen << line;
    file << line;
  }

  file << "\n Covariance matrix\n";
  file << " Parm    ";
  for (int p = 1; p <= m; ++p) file << int_field(labels.type(p), 12);
  file << "\n      Blk";
  for (int p = 1; p <= m; ++p) file << block_or_blanks(labels.block(p), 12);
  file << "\n\n";
  for (int p = 1; p <= m; ++p) {
    file << int_field(labels.type(p), 5) << block_or_blanks(labels.block(p), 4);
    for (int q = 1; q <= m; ++q) {
      const double correlation = covariance(p, q) / (standard_error(p) * standard_error(q));
      file << real_field(correlation, 12, 5);
    }
    file << '\n';
  }
}

}  // namespace

ParamLabels parameter_labels(const Records& rec) {
  ParamLabels labels;
  const Stats& st = rec.stats;
  const Blocks& bl = rec.blocks;
  int group = 0;
  int places_left = 0;
  int position = 0;
  for (int p = 1; p <= st.param_count; ++p) {
    const int16 column = st.param_column(p);
    if (column <= 16) {
      labels.type(p) = column;
      labels.block(p) = 0;
      continue;
    }
    labels.has_block_parameter = true;
    if (places_left <= 0) {
      ++group;
      places_left = in_slots(group) ? bl.group_size(group) : 0;
      position = 0;
    }
    if (!in_slots(group)) continue;  // more block columns than groups: nothing to name them by
    const int16 type = bl.group_type(group);
    labels.type(p) = type;
    // With a single block type the rows of group_blocks are configuration types, else groups.
    const int row = bl.block_type_count == 1 ? type : group;
    labels.block(p) =
        in_slots(row) && in_slots(position + 1) ? bl.group_blocks(row, position + 1) : 0;
    ++position;
    --places_left;
  }
  return labels;
}

void write_report(const Records& rec, std::ostream& screen, std::ostream& file,
                  const ParamVector& estimate, const ParamMatrix& covariance,
                  int32 too_many_iterations) {
  const ParamLabels labels = parameter_labels(rec);
  write_heading(rec, labels, file);
  if (too_many_iterations != 0) {
    screen << "\n Too many iterations! Returning partial results.\n";
    file << " Too many iterations! Returning partial results.\n";
  }
  write_fit_statistics(rec, screen, file);
  write_classification(rec, screen, file);
  write_parameters(rec, labels, estimate, covariance, screen, file);
  file << "\f\n";
  screen << std::flush;
}

void output(Records& rec, Io& io, const ParamVector& estimate, const ParamMatrix& covariance,
            int32 too_many_iterations) {
  if (io.output_file) {
    write_report(rec, io.screen(), io.file(), estimate, covariance, too_many_iterations);
  } else {
    std::ostream nowhere(nullptr);  // no output file open: the screen part only
    write_report(rec, io.screen(), nowhere, estimate, covariance, too_many_iterations);
  }
}

}  // namespace tarn
