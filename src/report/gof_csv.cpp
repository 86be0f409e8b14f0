#include "report/gof_report.h"
#include "report/tidy_csv.h"

namespace tarn {

void write_gof_csv(const GofSummary& summary, std::ostream& out) {
  out << "feature,value,observed,min,mean,max,lower,upper,p_value\n";
  for (const auto& row : summary.rows) {
    out << csv_text(row.feature) << ',' << csv_text(row.value);
    for (const double value :
         {row.observed, row.min, row.mean, row.max, row.lower, row.upper, row.p_value}) {
      out << ',' << csv_number(value);
    }
    out << '\n';
  }
}

}  // namespace tarn
