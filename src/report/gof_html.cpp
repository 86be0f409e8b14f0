#include "report/gof_figure.h"
#include "report/gof_report.h"
#include "report/gof_rows.h"

namespace tarn {

namespace {

void write_html_table(const tarnwick::GofPanel& panel,
                      const std::vector<const tarnwick::GofRow*>& rows, std::size_t networks,
                      std::ostream& out) {
  out << "<details open=\"open\"><summary><b>" << escaped(panel.title) << "</b> &#8212; "
      << escaped(band_count(rows, networks)) << "</summary>\n"
      << "<table>\n<thead><tr><th>" << escaped(panel.axis_label)
      << "</th><th>observed</th><th>min</th><th>mean</th><th>max</th><th>2.5%</th>"
         "<th>97.5%</th><th>p-value</th></tr></thead>\n<tbody>\n";
  for (const tarnwick::GofRow* row : rows) {
    const bool outside = networks > 0 && !inside_band(*row);
    out << (outside ? "<tr class=\"outside\">" : "<tr>") << "<td>" << escaped(row->value)
        << "</td>";
    for (const double value :
         {row->observed, row->min, row->mean, row->max, row->lower, row->upper, row->p_value}) {
      out << "<td>" << escaped(readable(value)) << "</td>";
    }
    out << "</tr>\n";
  }
  out << "</tbody>\n</table>\n</details>\n";
}

}  // namespace

void write_gof_html(const tarnwick::GofTables& summary, std::ostream& out) {
  const std::string title = gof_title(summary);
  const auto networks = static_cast<std::size_t>(summary.networks);
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>"
      << escaped(title) << "</title>\n<style>\n"
      << "body { font-family: " << figure_font
      << "; margin: 24px auto; max-width: 1040px; color: #222; }\n"
         "h1 { font-size: 24px; }\n"
         "figure { margin: 0 0 24px 0; }\n"
         "figure svg { width: 100%; max-width: 1000px; height: auto; }\n"
         "details { margin: 12px 0; }\n"
         "summary { cursor: pointer; font-size: 15px; }\n"
         "table { border-collapse: collapse; margin: 8px 0 0 0; font-size: 13px; }\n"
         "th, td { padding: 2px 10px; text-align: right; border-bottom: 1px solid #e3e3e3; }\n"
         "th:first-child, td:first-child { text-align: left; }\n"
         "tr.outside td { background: #fde0dd; }\n"
         "</style>\n</head>\n<body>\n<h1>"
      << escaped(title) << "</h1>\n<p>The observed network against " << networks
      << " networks simulated from the fitted model. Rows in red: the observed value lies "
         "outside the band from the 2.5% to the 97.5% point of the simulated values. The "
         "p-value is twice the smaller share of simulated networks at or above, and at or "
         "below, the observed value (at most 1).</p>\n<figure>\n";
  write_svg_element(summary, out);
  out << "</figure>\n";
  for (const auto& panel : summary.panels) {
    write_html_table(panel, rows_of(summary, panel.key), networks, out);
  }
  out << "</body>\n</html>\n";
}

}  // namespace tarn
