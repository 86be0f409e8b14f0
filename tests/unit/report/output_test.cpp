#include "report/output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "report/report_writer.h"

namespace tarn {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();

std::string right(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Report {
  std::unique_ptr<Records> owned = std::make_unique<Records>();
  Records& rec = *owned;
  std::unique_ptr<ParamVector> estimate = std::make_unique<ParamVector>();
  std::unique_ptr<ParamMatrix> covariance = std::make_unique<ParamMatrix>();
  std::ostringstream screen;
  std::ostringstream file;

  void set_columns(const std::vector<int>& columns) {
    rec.stats.param_count = static_cast<int16>(columns.size());
    for (std::size_t k = 0; k < columns.size(); ++k) {
      rec.stats.param_column(static_cast<int>(k) + 1) = static_cast<int16>(columns[k]);
    }
  }
  void write(int32 too_many_iterations = 0) {
    write_report(rec, screen, file, *estimate, *covariance, too_many_iterations);
  }
};

// One global parameter and one block parameter from the short dialogue; the pass limit was hit.
void two_parameter_fit(Report& r) {
  Records& rec = r.rec;
  r.set_columns({1, 17});
  rec.blocks.block_attr = 1;
  rec.blocks.block_count = 2;
  rec.blocks.block_type_count = 1;
  rec.blocks.block_type(1, 1) = 1;
  rec.blocks.block_type(2, 2) = 1;
  rec.blocks.group_type(1) = 3;
  rec.blocks.group_size(1) = 1;
  rec.blocks.group_column0(1) = 16;
  rec.blocks.group_blocks(1, 1) = 7;  // not read: with one block type the row is the type
  rec.blocks.group_blocks(3, 1) = 1;
  Stats& st = rec.stats;
  st.dyad_count = 90;
  st.loglik = -40.0;
  st.null_loglik = -45.0;
  st.pearson_sum = 85.5;
  st.abs_resid_sum = 27.1;
  st.sq_resid_sum = 13.2;
  st.class_table(1, 1) = 70;
  st.class_table(1, 2) = 2;
  st.class_table(2, 1) = 15;
  st.class_table(2, 2) = 3;
  (*r.estimate)(1) = -1.5;
  (*r.estimate)(2) = 0.75;
  (*r.covariance)(1, 1) = 0.04;
  (*r.covariance)(1, 2) = -0.01;
  (*r.covariance)(2, 1) = -0.01;
  (*r.covariance)(2, 2) = 0.09;
}

TEST(Report, WholeTextWithBlockParameterAndPassLimit) {
  Report r;
  two_parameter_fit(r);
  r.write(1);
  const std::string statistics = "\n -2 Log Likelihood = " + right("80.000", 20) +
                                 "\n Goodness of Fit   = " + right("85.500", 20) +
                                 "\n Model Chisquare =   " + right("44.766", 20) +
                                 "     df =   2\n";
  const std::string parameters =
      "\n Parameter   Block           b        S.E.        Wald      exp(b)\n"
      "        1         " +
      right("-1.5000", 12) + right("0.2000", 12) + right("56.2500", 12) + right("0.2231", 12) +
      "\n        3        1" + right("0.7500", 12) + right("0.3000", 12) + right("6.2500", 12) +
      right("2.1170", 12) + "\n";
  EXPECT_EQ(r.screen.str(), "\n Too many iterations! Returning partial results.\n" + statistics +
                                "\n               Fit       % Correct      Residuals\n"
                                " Data       70       2       97.22      Absolute" +
                                right("27.1000", 20) +
                                "\n"
                                "            15       3       16.67      Squared " +
                                right("13.2000", 20) +
                                "\n"
                                "               Overall       81.11\n" +
                                parameters);
  EXPECT_EQ(r.file.str(),
            " Parameters:   1  3\n"
            " Blocks:          1\n"
            "\n"
            " Block structure:\n"
            "  1  0\n"
            "  0  1\n"
            " Too many iterations! Returning partial results.\n" +
                statistics +
                "\n             Predicted\n"
                "                 0 |       1   % Correct                Residuals\n"
                "                 0 |       1\n"
                " Observed ---------+---------\n"
                "   0   0        70 |       2       97.22      Absolute" +
                right("27.1000", 20) +
                "\n"
                "          ---------+---------\n"
                "   1   1        15 |       3       16.67      Squared " +
                right("13.2000", 20) +
                "\n"
                "          ---------+---------\n"
                "                     Overall       81.11\n" +
                parameters +
                "\n Covariance matrix\n"
                " Parm               1           3\n"
                "      Blk                       1\n"
                "\n"
                "    1         1.00000    -0.16667\n"
                "    3   1    -0.16667     1.00000\n"
                "\f\n");
}

TEST(Report, ColumnsOfTheFramedTable) {
  Report r;
  two_parameter_fit(r);
  r.write();
  const auto lines = lines_of(r.file.str());
  int checked = 0;
  for (const auto& line : lines) {
    if (line.find('|') != std::string::npos || line.find('+') != std::string::npos) {
      const std::size_t bar = line.find_first_of("|+");
      EXPECT_EQ(bar, 19u) << line;  // column 20
      ++checked;
    }
  }
  EXPECT_EQ(checked, 7);
}

TEST(Labels, GroupDialogueConvention) {
  Report r;
  Records& rec = r.rec;
  rec.blocks.block_type_count = 3;
  rec.blocks.group_type(1) = 4;
  rec.blocks.group_size(1) = 2;
  rec.blocks.group_blocks(1, 1) = 3;
  rec.blocks.group_blocks(1, 2) = 1;
  rec.blocks.group_type(2) = 6;
  rec.blocks.group_size(2) = 1;
  rec.blocks.group_blocks(2, 1) = 2;
  rec.blocks.group_blocks(4, 1) = 9;  // the type's row is not read with several block types
  r.set_columns({1, 19, 17, 2, 21});
  const ParamLabels labels = parameter_labels(rec);
  EXPECT_TRUE(labels.has_block_parameter);
  const int types[] = {1, 4, 4, 2, 6};
  const int blocks[] = {0, 3, 1, 0, 2};
  for (int p = 1; p <= 5; ++p) {
    EXPECT_EQ(labels.type(p), types[p - 1]) << p;
    EXPECT_EQ(labels.block(p), blocks[p - 1]) << p;
  }
}

TEST(Labels, ShortDialogueConvention) {
  Report r;
  Records& rec = r.rec;
  rec.blocks.block_type_count = 1;
  rec.blocks.group_type(1) = 3;
  rec.blocks.group_size(1) = 1;
  rec.blocks.group_type(2) = 5;
  rec.blocks.group_size(2) = 1;
  rec.blocks.group_blocks(3, 1) = 1;
  rec.blocks.group_blocks(5, 1) = 1;
  r.set_columns({1, 17, 2, 18});
  const ParamLabels labels = parameter_labels(rec);
  EXPECT_TRUE(labels.has_block_parameter);
  const int types[] = {1, 3, 2, 5};
  const int blocks[] = {0, 1, 0, 1};
  for (int p = 1; p <= 4; ++p) {
    EXPECT_EQ(labels.type(p), types[p - 1]) << p;
    EXPECT_EQ(labels.block(p), blocks[p - 1]) << p;
  }
}

TEST(Labels, GlobalModelHasNoBlockLines) {
  Report r;
  r.set_columns({1, 2, 6});
  (*r.covariance)(1, 1) = (*r.covariance)(2, 2) = (*r.covariance)(3, 3) = 1.0;
  r.write();
  EXPECT_FALSE(parameter_labels(r.rec).has_block_parameter);
  const auto lines = lines_of(r.file.str());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], " Parameters:   1  2  6");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].substr(0, 21), " -2 Log Likelihood = ");
  EXPECT_EQ(r.file.str().find("Blocks:"), std::string::npos);
  EXPECT_EQ(r.file.str().find("Block structure"), std::string::npos);
  EXPECT_EQ(r.screen.str().find("Too many"), std::string::npos);
}

TEST(Report, FailedFinalInversionPrintsNaNButKeepsEstimates) {
  Report r;
  two_parameter_fit(r);
  for (int c = 1; c <= 2; ++c)
    for (int q = 1; q <= 2; ++q) (*r.covariance)(q, c) = nan;
  r.write();
  const std::string nan12 = right("NaN", 12);
  EXPECT_NE(r.screen.str().find("        1         " + right("-1.5000", 12) + nan12 + nan12 +
                                right("0.2231", 12) + "\n"),
            std::string::npos);
  EXPECT_NE(r.file.str().find("    1    " + nan12 + nan12 + "\n    3   1" + nan12 + nan12 + "\n"),
            std::string::npos);
}

TEST(Report, EmptyClassificationRowPrintsNaN) {
  Report r;
  r.set_columns({});
  Stats& st = r.rec.stats;
  st.dyad_count = 90;
  st.class_table(1, 1) = 90;
  st.null_loglik = nan;
  st.loglik = -1.0;
  r.write();
  const std::string s = r.screen.str();
  EXPECT_NE(s.find("      " + right("0", 8) + right("0", 8) + right("NaN", 12) + "      Squared "),
            std::string::npos);
  EXPECT_NE(s.find(" Data       90       0      100.00"), std::string::npos);
  EXPECT_NE(s.find(" Model Chisquare =   " + right("NaN", 20) + "     df =   0\n"),
            std::string::npos);
  EXPECT_NE(
      r.file.str().find("   1   1  " + right("0", 8) + " |" + right("0", 8) + right("NaN", 12)),
      std::string::npos);
}

TEST(Report, InfiniteGoodnessOfFit) {
  Report r;
  r.set_columns({});
  r.rec.stats.pearson_sum = std::numeric_limits<double>::infinity();
  r.write();
  EXPECT_NE(r.screen.str().find(" Goodness of Fit   = " + right("Infinity", 20) + "\n"),
            std::string::npos);
}

TEST(Report, SixtyFourParametersMakeLinesOf777Characters) {
  Report r;
  std::vector<int> columns(64, 1);
  r.set_columns(columns);
  for (int k = 1; k <= 64; ++k) (*r.covariance)(k, k) = 4.0;
  r.write();
  const auto lines = lines_of(r.file.str());
  std::size_t start = 0;
  while (start < lines.size() && lines[start] != " Covariance matrix") ++start;
  ASSERT_LT(start + 68, lines.size());
  EXPECT_EQ(lines[0].size(), 13u + 64 * 3);
  EXPECT_EQ(lines[start + 1].size(), 777u);
  EXPECT_EQ(lines[start + 2].size(), 777u);
  EXPECT_EQ(lines[start + 3], "");
  for (int p = 1; p <= 64; ++p) {
    EXPECT_EQ(lines[start + 3 + static_cast<std::size_t>(p)].size(), 777u);
  }
  EXPECT_EQ(lines[start + 68], "\f");
  EXPECT_EQ(lines[start + 4].substr(9, 12), "     1.00000");
}

TEST(Report, WrittenThroughOutputToTheOpenFile) {
  // output() with no output file open still writes the screen part.
  auto rec = std::make_unique<Records>();
  auto estimate = std::make_unique<ParamVector>();
  auto covariance = std::make_unique<ParamMatrix>();
  std::istringstream keyboard;
  std::ostringstream screen;
  Io io(keyboard, screen);
  output(*rec, io, *estimate, *covariance, 0);
  EXPECT_NE(screen.str().find(" -2 Log Likelihood = "), std::string::npos);
}

}  // namespace
}  // namespace tarn
