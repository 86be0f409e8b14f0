#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/gof_figure.h"
#include "report/gof_rows.h"

namespace tarn {

namespace {

using tarnwick::GofDrawnValue;
using tarnwick::GofPanel;

// The ratio of the largest share to the smallest non-zero one from which a panel is drawn on a
// logarithmic axis.
constexpr double min_span_for_log = 50;

// The vertical axis: linear, or logarithmic with zero drawn at the bottom, a decade below the
// smallest value that is not zero.
class Scale {
 public:
  static Scale linear(double from, double to, const Box& plot) { return {from, to, 0, plot}; }
  static Scale logarithmic(int floor_exponent, int top_exponent, const Box& plot) {
    return {static_cast<double>(floor_exponent), static_cast<double>(top_exponent),
            std::pow(10.0, floor_exponent), plot};
  }
  double operator()(double value) const {
    const double at = floor_ > 0 ? std::log10(std::max(value, floor_)) : value;
    return bottom_ + (at - from_) / (to_ - from_) * (top_ - bottom_);
  }

 private:
  Scale(double from, double to, double floor, const Box& plot)
      : from_(from), to_(to), floor_(floor), bottom_(plot.y + plot.height), top_(plot.y) {}
  double from_, to_, floor_, bottom_, top_;
};

struct Tick {
  double value;
  std::string label;
};

struct PanelKind {
  std::string value_axis;  // the quantity along the vertical axis
  bool categories;         // values are separate categories, not a count 0, 1, 2, ...
};

PanelKind kind_of(const GofPanel& panel) {
  // Keys: out_degree, in_degree, degree, first_mode_degree, ..., first_mode_dyadwise_shared.
  if (panel.key.ends_with("degree")) return {"share of nodes", false};
  if (panel.key == "edgewise_shared") return {"share of links", false};
  if (panel.key.ends_with("dyadwise_shared") || panel.key == "geodesic") {
    return {"share of pairs", false};
  }
  if (panel.key == "triad_census") return {"share of triads", true};
  if (panel.standardized) return {"standardized value", true};
  return {"value", true};
}

// Runs of values drawn as one connected line and band: all of a count, the finite geodesic
// distances apart from "inf", and every category alone.
std::vector<std::pair<std::size_t, std::size_t>> runs_of(const GofPanel& panel, bool categories) {
  const std::size_t count = panel.drawn.size();
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  if (categories) {
    for (std::size_t v = 0; v < count; ++v) runs.emplace_back(v, v + 1);
  } else if (count > 1 && panel.drawn.back().label == "inf") {
    runs.emplace_back(0, count - 1);
    runs.emplace_back(count - 1, count);
  } else if (count > 0) {
    runs.emplace_back(0, count);
  }
  return runs;
}

// Which value labels the horizontal axis shows and how: every k-th when they would overlap,
// turned when they are wide.
struct ValueLabels {
  std::vector<bool> shown;
  int angle = 0;     // 0, -45 or -90 degrees
  double depth = 0;  // height below the tick marks
  std::size_t step = 1;
  bool shortened = false;  // long labels shortened by figure_label()
  double font_size = tick_size;
};

std::size_t counting_step(double needed_slots) {
  for (std::size_t scale = 1;; scale *= 10) {
    for (const std::size_t step : {1, 2, 5}) {
      if (static_cast<double>(step * scale) >= needed_slots) return step * scale;
    }
  }
}

// A value label as the figure shows it: long names of model statistics shortened in the middle,
// where they differ least (the tables give them whole), never inside a UTF-8 sequence.
std::string figure_label(const std::string& label) {
  constexpr std::size_t head = 14, tail = 11;
  if (label.size() <= head + tail + 3) return label;
  auto starts_character = [&](std::size_t at) {
    return (static_cast<unsigned char>(label[at]) & 0xC0) != 0x80;
  };
  std::size_t head_end = head;
  while (head_end > 0 && !starts_character(head_end)) --head_end;
  std::size_t tail_start = label.size() - tail;
  while (tail_start < label.size() && !starts_character(tail_start)) ++tail_start;
  return label.substr(0, head_end) + "..." + label.substr(tail_start);
}

ValueLabels value_labels_of(const GofPanel& panel, bool categories, double plot_width) {
  ValueLabels labels;
  const std::size_t count = panel.drawn.size();
  labels.shown.assign(count, false);
  if (count == 0) return labels;
  const double slot = plot_width / static_cast<double>(count);
  double widest = 0;
  for (const GofDrawnValue& value : panel.drawn) {
    widest = std::max(widest, text_width(value.label, tick_size));
  }
  if (widest + 8 > slot) {
    labels.shortened = true;
    widest = 0;
    for (const GofDrawnValue& value : panel.drawn) {
      widest = std::max(widest, text_width(figure_label(value.label), tick_size));
    }
  }
  const double line = tick_size + 3;
  // Labels turned by 45 degrees reach left of their value; the first must stay in the panel.
  const double room_left = plot_left + slot / 2 - 4;
  if (widest + 8 <= slot) {
    labels.step = 1;
  } else if (!categories) {
    labels.step = counting_step((widest + 8) / slot);
  } else if (slot >= line * 1.45 && widest * 0.7071 <= room_left) {
    labels.angle = -45;
  } else {
    // Upright labels, smaller (down to 8 px) before some are left out.
    labels.angle = -90;
    labels.font_size = std::clamp(slot - 3, 8.0, tick_size);
    labels.step = static_cast<std::size_t>(std::ceil((labels.font_size + 3) / slot));
    widest *= labels.font_size / tick_size;
  }
  for (std::size_t v = 0; v < count; v += labels.step) labels.shown[v] = true;
  if (!categories && panel.drawn.back().label == "inf") {
    // "inf" always, and no label so near it that they would touch.
    const double gap = (widest + 8) / slot;
    for (std::size_t v = 0; v + 1 < count; ++v) {
      if (static_cast<double>(count - 1 - v) < gap) labels.shown[v] = false;
    }
    labels.shown[count - 1] = true;
  }
  if (labels.angle == 0) {
    labels.depth = tick_size + 4;
  } else if (labels.angle == -45) {
    labels.depth = (widest + tick_size) * 0.7071 + 4;
  } else {
    labels.depth = widest + 6;
  }
  return labels;
}

// A step of 1, 2 or 5 times a power of ten that cuts `range` into about `parts` parts.
double nice_step(double range, int parts) {
  const double raw = range / parts;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * power >= raw * 0.999) return factor * power;
  }
  return 10 * power;
}

std::string tick_text(double value, double step) {
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find_first_not_of("-0.") == std::string::npos) text = "0";  // no "-0.00"
  return text;
}

double height_for(const ValueLabels& labels) {
  return plot_top + plot_height + 6 + labels.depth + under_labels;
}

class PanelDrawing {
 public:
  PanelDrawing(FigureWriter& figure, const GofPanel& panel,
               const std::vector<const tarnwick::GofRow*>& rows, const Box& frame,
               std::size_t networks)
      : figure_(figure),
        panel_(panel),
        rows_(rows),
        frame_(frame),
        networks_(networks),
        kind_(kind_of(panel_)),
        plot_{frame.x + plot_left, frame.y + plot_top, frame.width - plot_left - plot_right,
              plot_height},
        labels_(value_labels_of(panel_, kind_.categories, plot_.width)),
        spreads_(panel_.drawn),
        slot_(panel_.drawn.empty() ? plot_.width
                                   : plot_.width / static_cast<double>(panel_.drawn.size())),
        y_(vertical_scale()) {}

  void draw() {
    figure_.raw() << "<g>\n";
    draw_heading();
    draw_grid();
    draw_band();
    draw_boxes();
    draw_observed();
    draw_value_axis();
    figure_.raw() << "</g>\n";
  }

 private:
  double x_of(std::size_t v) const { return plot_.x + (static_cast<double>(v) + 0.5) * slot_; }

  // Shares that span orders of magnitude (the triad census always; a degree distribution with a
  // few hubs) are drawn on a logarithmic axis, where the small ones are not pressed against 0.
  bool logarithmic(double low, double high, double smallest_positive) const {
    if (panel_.key == "model" || !std::isfinite(smallest_positive) || low < 0) return false;
    return panel_.key == "triad_census" || high / smallest_positive >= min_span_for_log;
  }

  Scale vertical_scale() {
    double low = 0, high = 0, smallest_positive = INFINITY;
    auto take = [&](double value) {
      if (!std::isfinite(value)) return;
      low = std::min(low, value);
      high = std::max(high, value);
      if (value > 0) smallest_positive = std::min(smallest_positive, value);
    };
    for (const auto& s : spreads_) {
      take(s.observed);
      if (!s.simulated) continue;
      for (const double value :
           {s.min, s.first_quartile, s.median, s.third_quartile, s.max, s.lower, s.upper}) {
        take(value);
      }
    }
    if (logarithmic(low, high, smallest_positive)) {
      const int floor_exponent = static_cast<int>(std::floor(std::log10(smallest_positive))) - 1;
      const int top_exponent =
          std::max(floor_exponent + 1, static_cast<int>(std::ceil(std::log10(high) - 1e-9)));
      const int every = top_exponent - floor_exponent > 10 ? 2 : 1;
      ticks_.push_back({0.0, "0"});
      for (int e = top_exponent; e > floor_exponent; e -= every) {
        const double value = std::pow(10.0, e);
        ticks_.push_back({value, e >= -4 ? tick_text(value, value) : "1e" + std::to_string(e)});
      }
      kind_.value_axis += " (log scale)";
      return Scale::logarithmic(floor_exponent, top_exponent, plot_);
    }
    if (high - low <= 0) high = low + 1;
    const double step = nice_step(high - low, 5);
    const double tick_low = std::floor(low / step + 1e-9) * step;
    const double tick_high = std::ceil(high / step - 1e-9) * step;
    const int ticks = static_cast<int>(std::lround((tick_high - tick_low) / step));
    for (int t = 0; t <= ticks; ++t) {
      const double value = tick_low + t * step;
      ticks_.push_back({value, tick_text(value, step)});
    }
    return Scale::linear(tick_low, tick_high, plot_);
  }

  void draw_heading() {
    figure_.text(frame_.x + 4, frame_.y + 20, panel_.title, panel_title_size, "start",
                 " font-weight=\"bold\" fill=\"#222222\"");
    figure_.text(frame_.x + frame_.width - plot_right, frame_.y + 20, band_count(rows_, networks_),
                 12, "end", " fill=\"#666666\"");
  }

  void draw_grid() {
    figure_.rect(plot_, "fill=\"#ffffff\" stroke=\"none\"");
    for (const auto& tick : ticks_) {
      const double y = y_(tick.value);
      figure_.line(plot_.x, y, plot_.x + plot_.width, y, "#e3e3e3", 1);
      figure_.line(plot_.x - 5, y, plot_.x, y, "#555555", 1);
      figure_.text(plot_.x - 8, y + tick_size * 0.35, tick.label, tick_size, "end",
                   " fill=\"#333333\"");
    }
    if (panel_.key == "model" && ticks_.front().value < 0) {
      figure_.line(plot_.x, y_(0), plot_.x + plot_.width, y_(0), "#888888", 1,
                   " stroke-dasharray=\"4 3\"");
    }
    if (!kind_.categories && !panel_.drawn.empty() && panel_.drawn.back().label == "inf") {
      const double x = plot_.x + (static_cast<double>(panel_.drawn.size()) - 1) * slot_;
      figure_.line(x, plot_.y, x, plot_.y + plot_.height, "#9a9a9a", 1,
                   " stroke-dasharray=\"4 3\"");
    }
    // The axis name clear of the widest tick label.
    double widest = 0;
    for (const auto& tick : ticks_) widest = std::max(widest, text_width(tick.label, tick_size));
    const double x = std::max(frame_.x + axis_label_size * 0.7,
                              plot_.x - 8 - widest - 6 - axis_label_size * 0.3);
    const double middle = plot_.y + plot_.height / 2;
    figure_.text(x, middle, kind_.value_axis, axis_label_size, "middle",
                 " fill=\"#333333\" transform=\"rotate(-90 " + px(x) + " " + px(middle) + ")\"");
  }

  void draw_band() {
    for (const auto& [first, end] : runs_of(panel_, kind_.categories)) {
      bool all_simulated = true;
      for (std::size_t v = first; v < end; ++v) {
        all_simulated = all_simulated && spreads_[v].simulated;
      }
      if (!all_simulated) continue;
      const std::string fill = "fill=\"" + std::string(band_colour) + "\" fill-opacity=\"0.45\"";
      if (end - first == 1) {
        const GofDrawnValue& s = spreads_[first];
        const double width = std::min(slot_ * 0.84, 2.2 * box_width());
        figure_.rect(
            {x_of(first) - width / 2, y_(s.upper), width, std::max(1.0, y_(s.lower) - y_(s.upper))},
            fill + " stroke=\"none\"");
        continue;
      }
      figure_.raw() << "<polygon " << fill << " stroke=\"none\" points=\"";
      for (std::size_t v = first; v < end; ++v) {
        figure_.raw() << px(x_of(v)) << "," << px(y_(spreads_[v].upper)) << " ";
      }
      for (std::size_t v = end; v-- > first;) {
        figure_.raw() << px(x_of(v)) << "," << px(y_(spreads_[v].lower)) << " ";
      }
      figure_.raw() << "\"/>\n";
    }
  }

  double box_width() const { return std::clamp(slot_ * 0.55, 1.0, 22.0); }

  void draw_boxes() {
    const double width = box_width();
    const double stroke = width < 4 ? 0.6 : 1.0;
    for (std::size_t v = 0; v < spreads_.size(); ++v) {
      const GofDrawnValue& s = spreads_[v];
      if (!s.simulated) continue;
      const double x = x_of(v);
      const std::string dash = width < 4 ? "" : " stroke-dasharray=\"3 2\"";
      figure_.line(x, y_(s.max), x, y_(s.third_quartile), box_colour, stroke, dash);
      figure_.line(x, y_(s.first_quartile), x, y_(s.min), box_colour, stroke, dash);
      if (width >= 4) {
        figure_.line(x - width / 4, y_(s.max), x + width / 4, y_(s.max), box_colour, 1);
        figure_.line(x - width / 4, y_(s.min), x + width / 4, y_(s.min), box_colour, 1);
      }
      figure_.rect(
          {x - width / 2, y_(s.third_quartile), width, y_(s.first_quartile) - y_(s.third_quartile)},
          "fill=\"#f4f4f4\" stroke=\"" + std::string(box_colour) + "\" stroke-width=\"" +
              printed("%.1f", stroke) + "\"");
      figure_.line(x - width / 2, y_(s.median), x + width / 2, y_(s.median), "#111111",
                   width < 4 ? 1.0 : 2.0);
    }
  }

  void draw_observed() {
    for (const auto& [first, end] : runs_of(panel_, kind_.categories)) {
      if (end - first < 2) continue;
      figure_.raw() << "<polyline fill=\"none\" stroke=\"" << observed_colour
                    << "\" stroke-width=\"2\" stroke-linejoin=\"round\" points=\"";
      for (std::size_t v = first; v < end; ++v) {
        if (std::isfinite(spreads_[v].observed)) {
          figure_.raw() << px(x_of(v)) << "," << px(y_(spreads_[v].observed)) << " ";
        }
      }
      figure_.raw() << "\"/>\n";
    }
    const double radius = std::clamp(slot_ * 0.28, 1.5, 4.0);
    for (std::size_t v = 0; v < spreads_.size(); ++v) {
      if (!std::isfinite(spreads_[v].observed)) continue;
      figure_.raw() << "<circle cx=\"" << px(x_of(v)) << "\" cy=\"" << px(y_(spreads_[v].observed))
                    << "\" r=\"" << px(radius) << "\" fill=\"" << observed_colour
                    << "\" stroke=\"#ffffff\" stroke-width=\"" << (radius > 2.5 ? 1 : 0.5)
                    << "\"/>\n";
    }
  }

  void draw_value_axis() {
    figure_.rect(plot_, "fill=\"none\" stroke=\"#9a9a9a\" stroke-width=\"1\"");
    const double base = plot_.y + plot_.height;
    for (std::size_t v = 0; v < panel_.drawn.size(); ++v) {
      if (!labels_.shown[v]) continue;
      const double x = x_of(v);
      figure_.line(x, base, x, base + 5, "#555555", 1);
      const std::string& whole = panel_.drawn[v].label;
      const std::string label = labels_.shortened ? figure_label(whole) : whole;
      const double size = labels_.font_size;
      if (labels_.angle == 0) {
        figure_.text(x, base + 6 + size, label, size, "middle", " fill=\"#333333\"");
      } else {
        const double y = base + 10;
        const double shift = labels_.angle == -90 ? size * 0.35 : size * 0.3;
        figure_.text(x + shift, y, label, size, "end",
                     " fill=\"#333333\" transform=\"rotate(" + std::to_string(labels_.angle) + " " +
                         px(x + shift) + " " + px(y) + ")\"");
      }
    }
    const double label_y = base + 6 + labels_.depth + 10 + axis_label_size * 0.8;
    std::string axis = panel_.drawn_axis_label;
    if (panel_.standardized) {
      axis += ", standardized: (value - simulated mean) / simulated sd";
    }
    figure_.text(plot_.x + plot_.width / 2, label_y, axis, axis_label_size, "middle",
                 " fill=\"#333333\"");
  }

  FigureWriter& figure_;
  const GofPanel& panel_;
  const std::vector<const tarnwick::GofRow*>& rows_;
  Box frame_;
  std::size_t networks_;
  PanelKind kind_;
  Box plot_;
  ValueLabels labels_;
  const std::vector<GofDrawnValue>& spreads_;
  double slot_;
  std::vector<Tick> ticks_;
  Scale y_;
};

}  // namespace

// The width of a text in the figure's sans-serif font (DejaVu Sans or wider), a little generous.
double text_width(std::string_view text, double size) {
  double ems = 0;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      ems += 0.64;
    } else if (c >= 'A' && c <= 'Z') {
      ems += 0.72;
    } else if (c == ' ' || c == '.' || c == ',' || c == ':' || c == 'i' || c == 'l' || c == 'j' ||
               c == '(' || c == ')') {
      ems += 0.34;
    } else {
      ems += 0.62;
    }
  }
  return ems * size;
}

std::string px(double value) {
  return printed("%.2f", value);
}

double panel_height(const GofPanel& panel, double plot_width) {
  return height_for(value_labels_of(panel, kind_of(panel).categories, plot_width));
}

void draw_panel(FigureWriter& figure, const GofPanel& panel,
                const std::vector<const tarnwick::GofRow*>& rows, const Box& frame,
                std::size_t networks) {
  PanelDrawing(figure, panel, rows, frame, networks).draw();
}

}  // namespace tarn
