#include <algorithm>

#include "report/gof_report.h"
#include "report/gof_rows.h"
#include "report/sample_table.h"

namespace tarn {

void write_gof_table(const tarnwick::GofTables& summary, std::ostream& out) {
  const auto networks = static_cast<std::size_t>(summary.networks);
  out << "Goodness of fit against " << networks
      << " simulated networks (95% band: the 2.5% to 97.5% points)\n";
  for (const auto& panel : summary.panels) {
    const auto rows = rows_of(summary, panel.key);
    std::vector<const tarnwick::GofRow*> outside;
    for (const tarnwick::GofRow* row : rows) {
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
    for (const tarnwick::GofRow* row : outside) width = std::max(width, row->value.size());
    auto line = [&](const std::string& value, const std::vector<std::string>& numbers) {
      out << "  " << value << std::string(width - value.size(), ' ');
      for (std::size_t k = 0; k < numbers.size(); ++k) {
        const std::size_t column = k + 1 == numbers.size() ? 9 : 11;
        out << std::string(column - std::min(column, numbers[k].size()), ' ') << numbers[k];
      }
      out << "\n";
    };
    line("value", {"observed", "min", "mean", "max", "2.5%", "97.5%", "p-value"});
    for (const tarnwick::GofRow* row : outside) {
      line(row->value,
           {readable(row->observed), readable(row->min), readable(row->mean), readable(row->max),
            readable(row->lower), readable(row->upper), readable(row->p_value)});
    }
  }
}

std::string gof_title(const tarnwick::GofTables& tables) {
  std::string title =
      "Goodness of fit: " + tables.network_path + (tables.directed ? "," : " (undirected),");
  for (const std::string& term : tables.terms) title += " " + term;
  return title;
}

void write_gof_screen(const tarnwick::GofTables& tables, std::ostream& out) {
  out << ' ' << gof_title(tables) << "\n\n";
  write_gof_table(tables, out);
  write_sample_table(tables.sample, out);
}

}  // namespace tarn
