#pragma once
// One row per parameter, with the columns of R's broom tidy(): term, estimate, std.error,
// statistic (the Wald z), p.value (two-sided normal), conf.low, conf.high (95%: Wald, or the
// bootstrap's percentile interval), then type, block_type and exp.estimate. Missing values: NA.

#include <ostream>

#include "report/fit_record.h"

namespace tarn {

void write_tidy_csv(const FitRecord& record, std::ostream& out);

// A number as the shortest text that reads back to the same double; NA when not finite.
std::string csv_number(double value);
// A field as CSV writes it: quoted when it holds a comma, a quote or a line break.
std::string csv_text(const std::string& text);

}  // namespace tarn
