#include "report/fit_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "fit/fit_summary.h"
#include "model/model_terms.h"

namespace tarn {

namespace {

std::string printed(const char* format, double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NA" : (value > 0 ? "Inf" : "-Inf");
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Four decimals, or powers of ten where that would take more than 12 characters.
std::string number_text(double value) {
  return std::fabs(value) < 1e7 ? printed("%.4f", value) : printed("%.4e", value);
}

std::string p_value_text(double p) {
  if (std::isfinite(p) && p < 1e-4) return "<0.0001";
  return printed("%.4f", p);
}

std::string padded_left(const std::string& text, std::size_t width) {
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string padded_right(const std::string& text, std::size_t width) {
  return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

void write_statistics(const FitResult& r, std::ostream& out) {
  const auto& t = r.class_table;
  out << "\n -2 log likelihood     " << printed("%12.3f", -2.0 * r.loglik)
      << "\n Goodness of fit       " << printed("%12.3f", r.pearson_sum)
      << "\n Model chi-square      " << printed("%12.3f", model_chisquare(r)) << " on "
      << r.parameter_count << " df"
      << "\n Correctly classified  "
      << printed("%11.2f", percent(t[0][0] + t[1][1], t[0][0] + t[0][1] + t[1][0] + t[1][1]))
      << "% (no link " << printed("%.2f", percent(t[0][0], t[0][0] + t[0][1])) << "%, link "
      << printed("%.2f", percent(t[1][1], t[1][0] + t[1][1])) << "%)\n";
}

// The fit by maximum likelihood by MCMC: how it ended, its convergence figures and likelihood.
void write_mcmle_statistics(const FitScreen& fit, std::ostream& out) {
  const McmleResult& m = *fit.mcmle;
  const char* ended = m.end == McmleEnd::converged         ? "converged"
                      : m.end == McmleEnd::iteration_limit ? "NOT converged (iteration limit)"
                      : m.end == McmleEnd::degenerate      ? "NOT converged (degenerate model)"
                                                           : "NOT converged (no progress)";
  out << "\n Maximum likelihood by MCMC: " << ended << " after " << m.iterations << " iterations, "
      << printed("%.1f", m.seconds)
      << " s\n Sampler: " << printed("%.3g", static_cast<double>(m.toggles))
      << " proposed toggles, "
      << printed("%.0f", m.seconds > 0.0 ? 100.0 * m.sampler_seconds / m.seconds : 0.0)
      << "% of the time\n Convergence: largest |t| " << printed("%.3f", m.final_test.max_abs_t)
      << ", Hotelling p-value " << printed("%.3f", m.final_test.p_value)
      << ", effective sample size " << printed("%.0f", m.final_test.effective_size) << '\n';
  if (m.start == McmleStart::dyad_independent) {
    out << " Start: the dyad-independent terms' estimate ("
        << (m.start_stuck ? "no step from the pseudo-likelihood estimate"
                          : "the sampler ran away at the pseudo-likelihood estimate")
        << ")\n";
  } else if (m.start_share < 1.0) {
    out << " Start: " << printed("%g", m.start_share)
        << " of the way from the dyad-independent terms' estimate to the pseudo-likelihood "
           "estimate (the sampler ran away there)\n";
  }
  if (fit.log_likelihood) {
    out << " Log-likelihood " << printed("%.3f", *fit.log_likelihood) << ", AIC "
        << printed("%.3f", *fit.aic) << ", BIC " << printed("%.3f", *fit.bic) << '\n';
  }
}

void write_parameters(const FitScreen& fit, std::ostream& out) {
  const std::vector<ParameterRow> rows = parameter_rows(*fit.result, *fit.errors);
  const bool mcmc = fit.mcmle != nullptr && fit.mcmle->end == McmleEnd::converged;
  std::vector<std::vector<std::string>> cells = {
      {"Term", "Estimate", "Std. error", "MCMC %", "z value", "Pr(>|z|)", ""}};
  const std::vector<std::string> names = fit.model->coefficient_names();
  for (std::size_t p = 0; p < rows.size(); ++p) {
    const ParameterRow& row = rows[p];
    cells.push_back({names[p], number_text(row.estimate), number_text(row.std_error),
                     mcmc ? printed("%.1f", fit.mcmle->mcmc_error_percent[p]) : "",
                     printed("%.3f", row.z), p_value_text(row.p_value),
                     significance_stars(row.p_value)});
  }
  if (!mcmc) {
    for (auto& line : cells) line.erase(line.begin() + 3);
  }
  const std::size_t columns = cells.front().size();
  std::vector<std::size_t> width(columns, 0);
  for (const auto& line : cells) {
    for (std::size_t c = 0; c < line.size(); ++c) width[c] = std::max(width[c], line[c].size());
  }
  out << '\n';
  for (const auto& line : cells) {
    std::string text = ' ' + padded_right(line[0], width[0]);
    for (std::size_t c = 1; c + 1 < columns; ++c) text += "  " + padded_left(line[c], width[c]);
    text += ' ' + line[columns - 1];
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  }
  out << " ---\n Signif. codes:  0 '***' 0.001 '**' 0.01 '*' 0.05 '.' 0.1 ' ' 1\n";
}

}  // namespace

std::string significance_stars(double p) {
  if (!std::isfinite(p)) return "";
  if (p < 0.001) return "***";
  if (p < 0.01) return "**";
  if (p < 0.05) return "*";
  if (p < 0.1) return ".";
  return "";
}

void write_fit_screen(const FitScreen& fit, std::ostream& out) {
  const FitResult& r = *fit.result;
  const bool directed = fit.model->directed;
  out << " Network: " << fit.network_path << " (" << fit.network->node_count << " nodes, "
      << fit.network->link_count << (directed ? " links, " : " edges, ") << r.dyad_count
      << (directed ? " dyads)" : " dyads, undirected)") << "\n Model:  ";
  for (const TermPointer& term : fit.model->terms) out << ' ' << term->text();
  out << '\n';
  if (r.end != FitEnd::completed) return;
  if (fit.mcmle != nullptr) {
    write_mcmle_statistics(fit, out);
  } else {
    if (r.too_many_iterations) out << "\n Too many iterations! Returning partial results.\n";
    write_statistics(r, out);
    if (fit.log_likelihood) {
      out << " Log-likelihood        " << printed("%12.3f", *fit.log_likelihood) << " (exact: the "
          << "model is dyad-independent), AIC " << printed("%.3f", *fit.aic) << ", BIC "
          << printed("%.3f", *fit.bic) << '\n';
    }
  }
  write_parameters(fit, out);
  if (!fit.errors->description.empty()) out << ' ' << fit.errors->description << '\n';
}

}  // namespace tarn
