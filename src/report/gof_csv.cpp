#include "report/gof_report.h"
#include "report/tidy_csv.h"

namespace tarn {

void write_gof_csv(const tarnwick::GofTables& summary, std::ostream& out) {
  out << "feature,value,observed,min,mean,max,lower,upper,p_value\n";
  for (const auto& row : summary.rows) {
    out << csv_text(row.feature) << ',' << csv_text(row.value);
    for (const double value :
         {row.observed, row.min, row.mean, row.max, row.lower, row.upper, row.p_value}) {
      out << ',' << csv_number(value);
    }
    out << '\n';
  }
  // Estimated geodesic shares say from how many sources, in a row of their own (absent when
  // every node was a source, so that exact tables keep their rows).
  if (summary.geodesic_sources < summary.nodes) {
    out << "geodesic_sources,of " << summary.nodes << " nodes,"
        << csv_number(static_cast<double>(summary.geodesic_sources)) << ",NA,NA,NA,NA,NA,NA\n";
  }
}

}  // namespace tarn
