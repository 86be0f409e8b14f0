#pragma once
// The goodness-of-fit comparison written out: a long CSV table, a short table for the screen, a
// figure with one panel of boxplots per feature (SVG 1.1), and one self-contained HTML page with
// the figure and the tables.

#include <ostream>
#include <string>

#include "tarnwick/results/simulation.h"

namespace tarn {

// Header feature,value,observed,min,mean,max,lower,upper,p_value; one line per row of the
// summary. Numbers in the shortest form that reads back to the same double; NA when not finite.
void write_gof_csv(const tarnwick::GofTables& tables, std::ostream& out);

// Per panel one line with the number of values whose observed share lies inside the 95% band of
// the simulated networks, then a line for each value outside it.
void write_gof_table(const tarnwick::GofTables& tables, std::ostream& out);

// The figure's title: the network and the model's terms.
std::string gof_title(const tarnwick::GofTables& tables);

// The command line's screen: the title, the comparison (write_gof_table) and the sample's
// figures (report/sample_table.h).
void write_gof_screen(const tarnwick::GofTables& tables, std::ostream& out);

// The figure, a standalone SVG 1.1 document 1000 px wide: per panel the boxplots of the simulated
// values (box from the quartiles, median line, whiskers to the minimum and maximum), the band
// from the 2.5% to the 97.5% point shaded, and the observed values as a red line with points.
// Model statistics are drawn standardized by the simulated mean and standard deviation, so that
// statistics of different sizes share one axis.
void write_gof_svg(const tarnwick::GofTables& tables, std::ostream& out);

// One HTML page without outside resources: the title, the figure inline and a table per panel.
void write_gof_html(const tarnwick::GofTables& tables, std::ostream& out);

}  // namespace tarn
