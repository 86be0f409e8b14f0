#include "report/gof_numbers.h"

#include "simulate/gof_spread.h"

namespace tarn {

namespace {

tarnwick::GofPanel panel_numbers(const GofPanel& panel) {
  tarnwick::GofPanel out;
  out.key = panel.key;
  out.title = panel.title;
  out.axis_label = panel.axis_label;
  out.numeric = panel.key != "triad_census" && panel.key != "model";
  const GofPanel drawn = drawn_form(panel);
  out.drawn_axis_label = drawn.axis_label;
  out.standardized = drawn_standardized(drawn);
  const std::vector<ValueSpread> spreads = spreads_of(drawn);
  for (std::size_t v = 0; v < spreads.size(); ++v) {
    const ValueSpread& s = spreads[v];
    out.drawn.push_back({drawn.value_labels[v], s.observed, s.simulated, s.min, s.first_quartile,
                         s.median, s.third_quartile, s.max, s.lower, s.upper});
  }
  return out;
}

}  // namespace

tarnwick::GofTables gof_numbers(const GofSummary& summary) {
  tarnwick::GofTables tables;
  tables.made = true;
  tables.networks =
      summary.panels.empty() ? 0 : static_cast<int>(summary.panels.front().simulated.size());
  for (const GofPanel& panel : summary.panels) tables.panels.push_back(panel_numbers(panel));
  for (const GofRow& r : summary.rows) {
    tables.rows.push_back(
        {r.feature, r.value, r.observed, r.min, r.mean, r.max, r.lower, r.upper, r.p_value});
  }
  tables.nodes = summary.nodes;
  tables.geodesic_sources = summary.geodesic_sources;
  return tables;
}

}  // namespace tarn
