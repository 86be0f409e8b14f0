#include <algorithm>
#include <string>
#include <vector>

#include "report/gof_figure.h"
#include "report/gof_report.h"
#include "report/gof_rows.h"

namespace tarn {

namespace {

// The key to the figure under its title, centred.
void draw_legend(FigureWriter& figure, double y, bool with_simulated) {
  const std::string simulated = "simulated: quartiles, median, range";
  const std::string band = "middle 95% of simulated";
  const std::string observed = "observed";
  const double glyph = 26, gap = 30;
  const double total = with_simulated
                           ? 3 * (glyph + 6) + 2 * gap + text_width(simulated, legend_size) +
                                 text_width(band, legend_size) + text_width(observed, legend_size)
                           : glyph + 6 + text_width(observed, legend_size);
  double x = std::max(10.0, (figure_width - total) / 2);
  auto label = [&](const std::string& text) {
    figure.text(x + glyph + 6, y + legend_size * 0.35, text, legend_size, "start",
                " fill=\"#333333\"");
    x += glyph + 6 + text_width(text, legend_size) + gap;
  };
  if (with_simulated) {
    // A small boxplot.
    figure.line(x + glyph / 2, y - 9, x + glyph / 2, y + 9, box_colour, 1);
    figure.rect({x + glyph / 2 - 6, y - 5, 12, 10},
                "fill=\"#f4f4f4\" stroke=\"" + std::string(box_colour) + "\" stroke-width=\"1\"");
    figure.line(x + glyph / 2 - 6, y + 1, x + glyph / 2 + 6, y + 1, "#111111", 2);
    label(simulated);
    figure.rect({x, y - 7, glyph, 14},
                "fill=\"" + std::string(band_colour) + "\" fill-opacity=\"0.45\" stroke=\"none\"");
    label(band);
  }
  figure.line(x, y, x + glyph, y, observed_colour, 2);
  figure.raw() << "<circle cx=\"" << px(x + glyph / 2) << "\" cy=\"" << px(y)
               << "\" r=\"4\" fill=\"" << observed_colour
               << "\" stroke=\"#ffffff\" stroke-width=\"1\"/>\n";
  label(observed);
}

// Where each panel goes: two to a row, the model statistics (many, long names) on a row alone.
struct PanelPlace {
  std::size_t panel;
  Box frame;
};

constexpr double figure_margin = 12;
constexpr double header_height = 88;
constexpr double title_line_height = 25;
constexpr double row_gap = 14;
constexpr double column_gap = 16;

// The title in lines that fit the figure, broken at blanks; a word wider than a line is broken
// where it fills one (a long path, say). A title that fits is one line, as it always was.
std::vector<std::string> title_lines(const std::string& title) {
  const double room = figure_width - 2 * (figure_margin + 20);
  std::vector<std::string> lines;
  std::string line;
  const auto fits = [room](const std::string& text) {
    return text_width(text, title_size) <= room;
  };
  std::size_t start = 0;
  while (start <= title.size()) {
    const std::size_t blank = title.find(' ', start);
    std::string word = title.substr(start, blank == std::string::npos ? blank : blank - start);
    start = blank == std::string::npos ? title.size() + 1 : blank + 1;
    const std::string joined = line.empty() ? word : line + " " + word;
    if (fits(joined)) {
      line = joined;
      continue;
    }
    if (!line.empty()) lines.push_back(line);
    line.clear();
    while (!fits(word)) {
      std::size_t take = word.size();
      while (take > 1 && !fits(word.substr(0, take))) --take;
      lines.push_back(word.substr(0, take));
      word.erase(0, take);
    }
    line = word;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

std::vector<PanelPlace> layout(const tarnwick::GofTables& summary, double top, double& height) {
  std::vector<PanelPlace> places;
  const double half = (figure_width - 2 * figure_margin - column_gap) / 2;
  const double full = figure_width - 2 * figure_margin;
  double y = top;
  std::vector<std::size_t> row;
  auto finish_row = [&](bool whole_width) {
    if (row.empty()) return;
    double row_height = 0;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const tarnwick::GofPanel& panel = summary.panels[row[k]];
      const double width = whole_width ? full : half;
      const double plot_width = width - plot_left - plot_right;
      row_height = std::max(row_height, panel_height(panel, plot_width));
    }
    for (std::size_t k = 0; k < row.size(); ++k) {
      const double x = figure_margin + static_cast<double>(k) * (half + column_gap);
      places.push_back({row[k], {x, y, whole_width ? full : half, row_height}});
    }
    y += row_height + row_gap;
    row.clear();
  };
  for (std::size_t p = 0; p < summary.panels.size(); ++p) {
    if (summary.panels[p].key == "model") {
      finish_row(false);
      row.push_back(p);
      finish_row(true);
      continue;
    }
    row.push_back(p);
    if (row.size() == 2) finish_row(false);
  }
  finish_row(false);
  height = y - row_gap + figure_margin;
  return places;
}

}  // namespace

void write_svg_element(const tarnwick::GofTables& summary, std::ostream& out) {
  const std::string title = gof_title(summary);
  const std::vector<std::string> lines = title_lines(title);
  const double below_title = static_cast<double>(lines.size() - 1) * title_line_height;
  double height = 0;
  const std::vector<PanelPlace> places = layout(summary, header_height + below_title, height);
  const auto networks = static_cast<std::size_t>(summary.networks);
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << figure_width
      << "\" height=\"" << px(height) << "\" viewBox=\"0 0 " << figure_width << " " << px(height)
      << "\" font-family=\"" << figure_font << "\">\n";
  out << "<title>" << escaped(title) << "</title>\n";
  FigureWriter figure(out);
  figure.rect({0, 0, figure_width, height}, "fill=\"#ffffff\" stroke=\"none\"");
  for (std::size_t k = 0; k < lines.size(); ++k) {
    figure.text(figure_width / 2, 32 + static_cast<double>(k) * title_line_height, lines[k],
                title_size, "middle", " font-weight=\"bold\" fill=\"#111111\"");
  }
  figure.text(figure_width / 2, 54 + below_title,
              networks == 0 ? std::string("The observed network; no simulated networks")
                            : "The observed network against " + std::to_string(networks) +
                                  " networks simulated from the fitted model",
              legend_size, "middle", " fill=\"#555555\"");
  draw_legend(figure, 76 + below_title, networks > 0);
  for (const auto& place : places) {
    const tarnwick::GofPanel& panel = summary.panels[place.panel];
    const auto rows = rows_of(summary, panel.key);
    draw_panel(figure, panel, rows, place.frame, networks);
  }
  out << "</svg>\n";
}

void write_gof_svg(const tarnwick::GofTables& summary, std::ostream& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  write_svg_element(summary, out);
}

}  // namespace tarn
