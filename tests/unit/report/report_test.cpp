// Report lines of fits at their edges: values without a number keep their columns.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "report/classic_report.h"
#include "support/fits.h"

namespace tarn {
namespace {

std::string right(const std::string& text, int width) {
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

struct Report {
  std::string screen, file;
};

Report report_of(const test::Fitted& f) {
  std::ostringstream screen, file;
  write_report(*f.data().model.kernel, Blocking{}, f.result, screen, file);
  return {screen.str(), file.str()};
}

TEST(Report, FailedFinalInversionPrintsNaNStandardErrorsAndCorrelations) {
  const test::Fitted f = test::fitted(test::final_inversion_fails, {6, 12});
  ASSERT_TRUE(f.result.final_inversion_failed);
  const Report r = report_of(f);
  const std::string nan12 = right("NaN", 12);
  const std::string rows = "        6         " + right("-15.0000", 12) + nan12 + nan12 +
                           right("0.0000", 12) + "\n       12         " + right("15.0000", 12) +
                           nan12 + nan12 + right("3269017.3725", 12) + "\n";
  EXPECT_NE(r.screen.find(rows), std::string::npos);
  EXPECT_NE(r.file.find(rows), std::string::npos);
  EXPECT_NE(r.file.find("    6    " + nan12 + nan12 + "\n   12    " + nan12 + nan12 + "\n\f\n"),
            std::string::npos);
}

TEST(Report, DyadPredictedExactlyWrongShowsAnInfiniteGoodnessOfFit) {
  const test::Fitted f =
      test::fitted({{1, 6}, {2, 4}, {3, 4}, {4, 6}, {4, 2}, {4, 3}, {5, 6}, {6, 4}}, {4, 5, 10});
  const Report r = report_of(f);
  EXPECT_NE(r.screen.find(" Goodness of Fit   = " + right("Infinity", 20) + "\n"),
            std::string::npos);
}

}  // namespace
}  // namespace tarn
