#pragma once
// The goodness-of-fit figure's parts: its sizes and colours, a writer of SVG elements, and one
// panel's drawing (gof_panel.cpp); gof_svg.cpp lays the panels out in the document.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "report/gof_rows.h"
#include "tarnwick/results/simulation.h"

namespace tarn {

constexpr double figure_width = 1000;
constexpr double title_size = 20;
constexpr double panel_title_size = 15;
constexpr double axis_label_size = 13;
constexpr double tick_size = 12;
constexpr double legend_size = 13;
constexpr const char* observed_colour = "#d62728";
constexpr const char* band_colour = "#9ecae1";
constexpr const char* box_colour = "#4a4a4a";

// The plot area's margins inside a panel, apart from the value labels.
constexpr double plot_left = 76;
constexpr double plot_right = 14;
constexpr double plot_top = 38;
constexpr double plot_height = 200;
constexpr double under_labels = 10 + axis_label_size + 8;

// The width of a text in the figure's sans-serif font (DejaVu Sans or wider), a little generous.
double text_width(std::string_view text, double size);

struct Box {
  double x, y, width, height;
};

// A coordinate in the SVG.
std::string px(double value);

class FigureWriter {
 public:
  explicit FigureWriter(std::ostream& out) : out_(out) {}

  void text(double x, double y, std::string_view content, double size, const char* anchor,
            const std::string& extra = "") {
    out_ << "<text x=\"" << px(x) << "\" y=\"" << px(y) << "\" font-size=\"" << size
         << "\" text-anchor=\"" << anchor << "\"" << extra << ">" << escaped(content)
         << "</text>\n";
  }
  void line(double x1, double y1, double x2, double y2, const char* colour, double width,
            const std::string& extra = "") {
    out_ << "<line x1=\"" << px(x1) << "\" y1=\"" << px(y1) << "\" x2=\"" << px(x2) << "\" y2=\""
         << px(y2) << "\" stroke=\"" << colour << "\" stroke-width=\"" << width << "\"" << extra
         << "/>\n";
  }
  void rect(const Box& box, const std::string& style) {
    out_ << "<rect x=\"" << px(box.x) << "\" y=\"" << px(box.y) << "\" width=\""
         << px(std::max(0.0, box.width)) << "\" height=\"" << px(std::max(0.0, box.height)) << "\" "
         << style << "/>\n";
  }
  std::ostream& raw() { return out_; }

 private:
  std::ostream& out_;
};

// The height a panel needs for its value labels at a plot width.
double panel_height(const tarnwick::GofPanel& panel, double plot_width);

// Draws one panel in `frame`.
void draw_panel(FigureWriter& figure, const tarnwick::GofPanel& panel,
                const std::vector<const tarnwick::GofRow*>& rows, const Box& frame,
                std::size_t networks);

// The <svg> element of the figure (without the XML declaration).
void write_svg_element(const tarnwick::GofTables& tables, std::ostream& out);

}  // namespace tarn
