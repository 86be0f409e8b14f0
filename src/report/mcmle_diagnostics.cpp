#include "report/mcmle_diagnostics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace tarn {

namespace {

using tarnwick::McmleRecord;

constexpr double width = 960;
constexpr double row_height = 150;
constexpr double trace_left = 60, trace_width = 560;
constexpr double density_left = 660, density_width = 160;
constexpr double plot_height = 100;
const char* chain_colours[] = {"#1f77b4", "#2ca02c", "#9467bd", "#8c564b",
                               "#e377c2", "#7f7f7f", "#bcbd22", "#17becf"};

std::string number(const char* format, double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "n/a" : (value > 0 ? "Inf" : "-Inf");
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The range of a statistic's values and its observed value, widened a little.
std::pair<double, double> range_of(const std::vector<std::vector<double>>& sample, std::size_t s,
                                   double observed) {
  double low = observed, high = observed;
  for (const auto& row : sample) low = std::min(low, row[s]), high = std::max(high, row[s]);
  const double pad = high > low ? 0.05 * (high - low) : std::max(1.0, std::fabs(low) * 0.05);
  return {low - pad, high + pad};
}

void statistic_row(const McmleRecord& r, const std::string& name, std::size_t s, double top,
                   std::ostream& out) {
  const auto& sample = r.final_sample;
  const double observed = r.observed[s];
  const std::pair<double, double> range = range_of(sample, s, observed);
  const double low = range.first, high = range.second;
  auto y_of = [&](double v) { return top + 20 + plot_height * (high - v) / (high - low); };
  out << "<text x=\"" << trace_left << "\" y=\"" << top + 14
      << "\" font-size=\"13\" font-weight=\"bold\">" << escaped(name) << "</text>\n";
  const tarnwick::ConvergenceRecord& m = r.convergence;
  out << "<text x=\"" << trace_left + 250 << "\" y=\"" << top + 14 << "\" font-size=\"11\">"
      << "observed " << number("%.4g", observed) << ", mean "
      << number("%.4g", s < m.mean.size() ? m.mean[s] : NAN) << ", t "
      << number("%.3f", s < m.t_ratios.size() ? m.t_ratios[s] : NAN) << ", lag-1 acf "
      << number("%.2f", s < m.lag1.size() ? m.lag1[s] : NAN) << ", effective size "
      << number("%.0f", s < m.effective_sizes.size() ? m.effective_sizes[s] : NAN) << "</text>\n";
  // Frames and the observed value.
  out << "<rect x=\"" << trace_left << "\" y=\"" << top + 20 << "\" width=\"" << trace_width
      << "\" height=\"" << plot_height << "\" fill=\"none\" stroke=\"#999\"/>\n";
  out << "<rect x=\"" << density_left << "\" y=\"" << top + 20 << "\" width=\"" << density_width
      << "\" height=\"" << plot_height << "\" fill=\"none\" stroke=\"#999\"/>\n";
  for (double v : {low, high}) {
    out << "<text x=\"" << trace_left - 4 << "\" y=\"" << y_of(v) + 4
        << "\" font-size=\"10\" text-anchor=\"end\">" << number("%.4g", v) << "</text>\n";
  }
  // Traces, chain by chain.
  const int chains = std::max(1, r.final_chains);
  const std::size_t length = sample.size() / static_cast<std::size_t>(chains);
  for (int c = 0; c < chains && length > 1; ++c) {
    out << "<polyline fill=\"none\" stroke-width=\"0.8\" stroke=\"" << chain_colours[c % 8]
        << "\" points=\"";
    for (std::size_t k = 0; k < length; ++k) {
      const double x = trace_left + trace_width * static_cast<double>(k) / (length - 1);
      out << number("%.1f", x) << ',' << number("%.1f", y_of(sample[k * chains + c][s])) << ' ';
    }
    out << "\"/>\n";
  }
  out << "<line x1=\"" << trace_left << "\" x2=\"" << trace_left + trace_width << "\" y1=\""
      << y_of(observed) << "\" y2=\"" << y_of(observed)
      << "\" stroke=\"#d62728\" stroke-width=\"1.5\"/>\n";
  // Density: a histogram on its side, sharing the trace's axis.
  constexpr int bins = 30;
  std::vector<double> count(bins, 0.0);
  for (const auto& row : sample) {
    const int b = std::clamp(static_cast<int>((row[s] - low) / (high - low) * bins), 0, bins - 1);
    count[std::size_t(b)] += 1.0;
  }
  const double most = std::max(1.0, *std::max_element(count.begin(), count.end()));
  for (int b = 0; b < bins; ++b) {
    const double y0 = y_of(low + (b + 1) * (high - low) / bins);
    const double length_of_bar = density_width * count[std::size_t(b)] / most;
    out << "<rect x=\"" << density_left << "\" y=\"" << number("%.1f", y0) << "\" width=\""
        << number("%.1f", length_of_bar) << "\" height=\"" << number("%.1f", plot_height / bins)
        << "\" fill=\"#aec7e8\"/>\n";
  }
  out << "<line x1=\"" << density_left << "\" x2=\"" << density_left + density_width << "\" y1=\""
      << y_of(observed) << "\" y2=\"" << y_of(observed)
      << "\" stroke=\"#d62728\" stroke-width=\"1.5\"/>\n";
}

// The largest |t| of every iteration, on a log scale, with the tolerance 0.1.
void history_panel(const McmleRecord& r, double top, std::ostream& out) {
  out << "<text x=\"" << trace_left << "\" y=\"" << top + 14
      << "\" font-size=\"13\" font-weight=\"bold\">Largest |t| by iteration (red: the "
         "tolerance 0.1; crosses: a chain filled the link store; squares: final samples)</text>\n";
  out << "<rect x=\"" << trace_left << "\" y=\"" << top + 20 << "\" width=\"" << trace_width
      << "\" height=\"" << plot_height << "\" fill=\"none\" stroke=\"#999\"/>\n";
  double most = 1.0;
  for (const tarnwick::IterationReport& i : r.history) {
    if (std::isfinite(i.max_abs_t)) most = std::max(most, i.max_abs_t);
  }
  const double low = std::log10(0.001), high = std::log10(most * 1.5);
  auto y_of = [&](double t) {
    const double v = std::log10(std::max(t, 0.001));
    return top + 20 + plot_height * (high - v) / (high - low);
  };
  const std::size_t count = std::max<std::size_t>(r.history.size(), 2);
  auto x_of = [&](std::size_t k) {
    return trace_left + trace_width * static_cast<double>(k) / (count - 1);
  };
  out << "<line x1=\"" << trace_left << "\" x2=\"" << trace_left + trace_width << "\" y1=\""
      << y_of(0.1) << "\" y2=\"" << y_of(0.1) << "\" stroke=\"#d62728\"/>\n";
  for (std::size_t k = 0; k < r.history.size(); ++k) {
    const tarnwick::IterationReport& i = r.history[k];
    if (i.filled) {
      out << "<text x=\"" << x_of(k) << "\" y=\"" << top + 30
          << "\" font-size=\"12\" text-anchor=\"middle\" fill=\"#d62728\">x</text>\n";
      continue;
    }
    if (i.final_sample) {
      out << "<rect x=\"" << number("%.1f", x_of(k) - 3) << "\" y=\""
          << number("%.1f", y_of(i.max_abs_t) - 3)
          << "\" width=\"6\" height=\"6\" fill=\"#2ca02c\"/>\n";
      continue;
    }
    out << "<circle cx=\"" << number("%.1f", x_of(k)) << "\" cy=\""
        << number("%.1f", y_of(i.max_abs_t)) << "\" r=\"3\" fill=\"#1f77b4\"/>\n";
  }
  for (double v : {0.001, 0.01, 0.1, 1.0, 10.0}) {
    if (std::log10(v) > high) break;
    out << "<text x=\"" << trace_left - 4 << "\" y=\"" << y_of(v) + 4
        << "\" font-size=\"10\" text-anchor=\"end\">" << number("%g", v) << "</text>\n";
  }
}

std::string summary_line(const McmleRecord& r) {
  const std::string ended = r.end == "converged"    ? std::string("converged")
                            : r.end == "degenerate" ? std::string("NOT converged: degenerate")
                                                    : "NOT converged: " + r.stop_reason;
  return ended + " after " + std::to_string(r.iterations) + " iterations; largest |t| " +
         number("%.3f", r.convergence.max_abs_t) + ", Hotelling p-value " +
         number("%.3f", r.convergence.p_value) + ", effective sample size " +
         number("%.0f", r.convergence.effective_size) + ", " + number("%.1f", r.seconds) + " s";
}

void write_svg(const McmleRecord& r, const std::vector<std::string>& names, std::ostream& out) {
  const std::size_t p = r.final_sample.empty() ? 0 : names.size();
  const double height = 60 + row_height * static_cast<double>(p) + 160;
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" font-family=\"sans-serif\">\n";
  out << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out << "<text x=\"" << trace_left << "\" y=\"24\" font-size=\"15\" font-weight=\"bold\">"
      << "Maximum likelihood by MCMC: the last sample against the observed statistics (red)"
      << "</text>\n<text x=\"" << trace_left << "\" y=\"44\" font-size=\"12\">"
      << escaped(summary_line(r)) << "</text>\n";
  for (std::size_t s = 0; s < p; ++s) {
    statistic_row(r, names[s], s, 54 + row_height * static_cast<double>(s), out);
  }
  history_panel(r, 54 + row_height * static_cast<double>(p), out);
  out << "</svg>\n";
}

}  // namespace

void write_mcmle_diagnostics_svg(const McmleRecord& r, const std::vector<std::string>& names,
                                 std::ostream& out) {
  write_svg(r, names, out);
}

void write_mcmle_diagnostics_html(const McmleRecord& r, const std::vector<std::string>& names,
                                  std::ostream& out) {
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>MCMLE diagnostics"
         "</title><style>body{font-family:sans-serif} td,th{padding:2px 10px;text-align:right}"
         "th:first-child,td:first-child{text-align:left}</style></head><body>\n"
      << "<h1>Maximum likelihood by MCMC</h1>\n<p>" << escaped(summary_line(r)) << "</p>\n";
  out << "<table><tr><th>statistic</th><th>observed</th><th>mean</th><th>sd</th><th>t</th>"
         "<th>lag-1 acf</th><th>effective size</th><th>estimate</th><th>MCMC %</th></tr>\n";
  const tarnwick::ConvergenceRecord& m = r.convergence;
  for (std::size_t s = 0; s < names.size(); ++s) {
    auto at = [s](const std::vector<double>& v) { return s < v.size() ? v[s] : NAN; };
    out << "<tr><td>" << escaped(names[s]) << "</td><td>" << number("%.4g", at(r.observed))
        << "</td><td>" << number("%.4g", at(m.mean)) << "</td><td>" << number("%.4g", at(m.sd))
        << "</td><td>" << number("%.3f", at(m.t_ratios)) << "</td><td>"
        << number("%.2f", at(m.lag1)) << "</td><td>" << number("%.0f", at(m.effective_sizes))
        << "</td><td>" << number("%.4f", at(r.estimate)) << "</td><td>"
        << number("%.0f", at(r.mcmc_error_percent)) << "</td></tr>\n";
  }
  out << "</table>\n";
  write_svg(r, names, out);
  out << "</body></html>\n";
}

}  // namespace tarn
