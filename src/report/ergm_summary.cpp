#include "report/ergm_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "report/fit_screen.h"

namespace tarn {

namespace {

using tarnwick::CoefficientRow;
using tarnwick::Estimate;

constexpr int digits = 4;  // ergm's: max(3, getOption("digits") - 3)

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// The decimals that show `digits` significant digits of the smallest of the values, as R's
// format() gives a column of them one count of decimals.
int common_decimals(const std::vector<double>& values) {
  int decimals = 0;
  for (const double v : values) {
    if (!std::isfinite(v) || v == 0.0) continue;
    const int leading = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    decimals = std::max(decimals, digits - 1 - leading);
  }
  return std::min(decimals, 10);
}

// The decimals R's format(values, digits = 4) shows: `digits` significant digits of the smallest,
// less the trailing zeros that no value needs.
int r_decimals(const std::vector<double>& values) {
  int decimals = 0;
  for (const double v : values) {
    if (!std::isfinite(v) || v == 0.0) continue;
    const int leading = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    int d = std::max(0, digits - 1 - leading);
    std::string text = fixed(v, d);
    while (d > 0 && text.back() == '0') {
      text.pop_back();
      --d;
    }
    decimals = std::max(decimals, d);
  }
  return decimals;
}

// R's format.pval with 3 digits and eps 1e-4.
std::string p_value_text(double p) {
  if (!std::isfinite(p)) return "NA";
  if (p < 1e-4) return "<1e-04";
  const int leading = static_cast<int>(std::floor(std::log10(p)));
  std::string text = fixed(p, std::max(0, 2 - leading));
  return text;
}

// From what the fit records, not the estimator's name: a fit without MCMC is the
// pseudo-likelihood's, exact where it has a log-likelihood (a dyad-independent model).
std::string heading(const Estimate& fit) {
  if (!fit.mcmle) {
    return fit.log_likelihood ? "Maximum Likelihood Results:" : "Maximum Pseudolikelihood Results:";
  }
  if (fit.mcmle->end == "dyad_independent") return "Maximum Likelihood Results:";
  return "Monte Carlo MLE Results:";
}

void write_table(const Estimate& fit, std::ostream& out) {
  const std::vector<CoefficientRow>& rows = fit.coefficients;
  std::vector<double> errors;
  for (const CoefficientRow& row : rows) {
    if (row.offset) continue;
    errors.push_back(row.std_error);
  }
  const int decimals = common_decimals(errors);
  const bool mcmc = fit.mcmle && fit.mcmle->mcmc_error_percent.size() == rows.size();
  std::vector<std::vector<std::string>> cells = {
      {"", "Estimate", "Std. Error", "MCMC %", "z value", "Pr(>|z|)", ""}};
  for (std::size_t p = 0; p < rows.size(); ++p) {
    const CoefficientRow& row = rows[p];
    if (row.offset) {
      const std::string value = std::isinf(row.estimate) ? (row.estimate < 0 ? "-Inf" : "Inf")
                                                         : fixed(row.estimate, decimals);
      cells.push_back({row.name, value, "NA", "NA", "NA", "NA", ""});
      continue;
    }
    const double share = mcmc ? fit.mcmle->mcmc_error_percent[p] : 0.0;
    cells.push_back({row.name, fixed(row.estimate, decimals), fixed(row.std_error, decimals),
                     fixed(std::round(share), 0), fixed(row.z, 3), p_value_text(row.p_value),
                     significance_stars(row.p_value)});
  }
  const std::size_t columns = cells.front().size();
  std::vector<std::size_t> width(columns, 0);
  for (const auto& line : cells) {
    for (std::size_t c = 0; c < columns; ++c) width[c] = std::max(width[c], line[c].size());
  }
  for (const auto& line : cells) {
    std::string text = line[0] + std::string(width[0] - line[0].size(), ' ');
    for (std::size_t c = 1; c + 1 < columns; ++c) {
      text += ' ' + std::string(width[c] - line[c].size(), ' ') + line[c];
    }
    text +=
        ' ' + line[columns - 1] + std::string(width[columns - 1] - line[columns - 1].size(), ' ');
    out << text << '\n';
  }
  out << "---\nSignif. codes:  0 '***' 0.001 '**' 0.01 '*' 0.05 '.' 0.1 ' ' 1\n\n";
}

void write_deviances(const Estimate& fit, std::ostream& out) {
  if (!fit.log_likelihood) {
    out << "The log-likelihood of a pseudo-likelihood fit of a dependent model is not known: fit "
           "it by maximum likelihood (mcmle) for deviances, AIC and BIC.\n";
    return;
  }
  const auto free = std::count_if(fit.coefficients.begin(), fit.coefficients.end(),
                                  [](const CoefficientRow& row) { return !row.offset; });
  // The null model gives every dyad probability 1/2.
  const double dyads = static_cast<double>(fit.network.dyads);
  const std::vector<double> deviance = {2.0 * dyads * std::log(2.0), -2.0 * *fit.log_likelihood};
  const std::vector<double> df = {dyads, dyads - static_cast<double>(free)};
  const int decimals = r_decimals(deviance);
  std::vector<std::string> deviance_text, df_text;
  for (int k = 0; k < 2; ++k) {
    deviance_text.push_back(fixed(deviance[std::size_t(k)], decimals));
    df_text.push_back(fixed(df[std::size_t(k)], 0));
  }
  const auto pad = [](std::vector<std::string>& texts) {
    const std::size_t w = std::max(texts[0].size(), texts[1].size());
    for (std::string& t : texts) t = std::string(w - t.size(), ' ') + t;
  };
  pad(deviance_text);
  pad(df_text);
  const char* names[2] = {"    Null", "Residual"};
  for (int k = 0; k < 2; ++k) {
    out << ' ' << names[k] << " Deviance: " << deviance_text[std::size_t(k)] << "  on "
        << df_text[std::size_t(k)] << "  degrees of freedom\n";
  }
  out << " \nAIC: " << fixed(*fit.aic, r_decimals({*fit.aic}))
      << "  BIC: " << fixed(*fit.bic, r_decimals({*fit.bic})) << "  (Smaller is better.) \n";
}

}  // namespace

void write_ergm_summary(const Estimate& fit, std::ostream& out) {
  std::string formula;
  for (const tarnwick::TermRecord& term : fit.terms) {
    formula += (formula.empty() ? "" : " + ") + term.text;
  }
  // A network built from arrays has no file ("<links>"): ergm's formula names it `network`.
  const std::string& path = fit.network.path;
  const std::string network = path.empty() || path.front() == '<' ? "network" : path;
  out << "Formula:   " << network << " ~ " << formula << "\n\n";
  if (!fit.estimated) {
    out << "No estimate: " << fit.outcome << "\n";
    return;
  }
  if (fit.mcmle) out << "Iterations:  " << fit.iterations << "\n\n";
  out << heading(fit) << "\n\n";
  write_table(fit, out);
  write_deviances(fit, out);
  std::string fixed_terms;
  for (const CoefficientRow& row : fit.coefficients) {
    if (row.offset) fixed_terms += ' ' + row.name;
  }
  if (!fixed_terms.empty()) {
    out << "\n The following terms are fixed by offset and are not estimated:\n " << fixed_terms
        << " \n";
  }
}

}  // namespace tarn
