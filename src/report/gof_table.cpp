#include <algorithm>

#include "report/gof_report.h"
#include "report/gof_rows.h"

namespace tarn {

void write_gof_table(const GofSummary& summary, std::ostream& out) {
  const std::size_t networks = simulated_networks(summary);
  out << "Goodness of fit against " << networks
      << " simulated networks (95% band: the 2.5% to 97.5% points)\n";
  for (const auto& panel : summary.panels) {
    const auto rows = rows_of(summary, panel.key);
    std::vector<const GofRow*> outside;
    for (const GofRow* row : rows) {
      if (!inside_band(*row)) outside.push_back(row);
    }
    out << "\n" << panel.title << ": ";
    if (networks == 0) {
      out << rows.size() << " values, no simulated networks\n";
      continue;
    }
    out << rows.size() - outside.size() << " of " << rows.size() << " values inside the band\n";
    if (outside.empty()) continue;
    std::size_t width = 5;
    for (const GofRow* row : outside) width = std::max(width, row->value.size());
    auto line = [&](const std::string& value, const std::vector<std::string>& numbers) {
      out << "  " << value << std::string(width - value.size(), ' ');
      for (std::size_t k = 0; k < numbers.size(); ++k) {
        const std::size_t column = k + 1 == numbers.size() ? 9 : 11;
        out << std::string(column - std::min(column, numbers[k].size()), ' ') << numbers[k];
      }
      out << "\n";
    };
    line("value", {"observed", "min", "mean", "max", "2.5%", "97.5%", "p-value"});
    for (const GofRow* row : outside) {
      line(row->value,
           {readable(row->observed), readable(row->min), readable(row->mean), readable(row->max),
            readable(row->lower), readable(row->upper), readable(row->p_value)});
    }
  }
}

}  // namespace tarn
