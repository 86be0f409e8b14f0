#include "report/fit_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tarn {

namespace {

using tarnwick::CoefficientRow;
using tarnwick::Estimate;
using tarnwick::LinkCountEvidence;
using tarnwick::McmleRecord;
using tarnwick::McmleStartRecord;
using tarnwick::ModeProbeRecord;
using tarnwick::PseudoLikelihoodFigures;
using tarnwick::TermRecord;

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

void write_statistics(const PseudoLikelihoodFigures& f, std::size_t df, std::ostream& out) {
  out << "\n -2 log likelihood     " << printed("%12.3f", f.minus2_log_likelihood)
      << "\n Goodness of fit       " << printed("%12.3f", f.goodness_of_fit)
      << "\n Model chi-square      " << printed("%12.3f", f.model_chisquare) << " on " << df
      << " df"
      << "\n Correctly classified  " << printed("%11.2f", f.percent_correct) << "% (no link "
      << printed("%.2f", f.percent_correct_no_link) << "%, link "
      << printed("%.2f", f.percent_correct_link) << "%)\n";
}

// Why the start moved, in a few words.
std::string start_reason(const McmleStartRecord& start) {
  const std::string& reason = start.moved ? start.moved->reason : std::string();
  if (reason == "no_step") return "no step from the first start";
  if (reason == "link_capacity") return "the sampler filled the link store at the first start";
  if (reason == "two_modes") return "the networks drawn at the first start split into two modes";
  if (reason == "second_mode") {
    return "from the first start the fit came where chains started empty stay near it";
  }
  if (reason == "not_converged") return "the fit from the first start did not converge";
  return "the networks drawn at the first start piled up near the " +
         std::string(reason == "pile_near_empty" ? "empty" : "complete") + " network";
}

std::string ending(const McmleRecord& m) {
  if (m.end == "converged") return "converged";
  if (m.end == "degenerate") return "NOT converged (the model is degenerate)";
  if (m.stop_reason == "iteration_limit") return "NOT converged (iteration limit)";
  if (m.stop_reason == "link_capacity") return "NOT converged (the link store filled)";
  if (m.stop_reason == "degenerate_draws") return "NOT converged (the draws kept piling up)";
  if (m.stop_reason == "ee_check") {
    return "NOT converged (the networks drawn at the estimate did not reproduce the observed "
           "statistics)";
  }
  return "NOT converged (no progress)";
}

void write_probe(const ModeProbeRecord& probe, const char* name, std::ostream& out) {
  if (probe.filled) {
    out << " Chain started " << name << ": filled the link store, a second mode\n";
    return;
  }
  if (probe.networks == 0) return;
  out << " Chain started " << name << ": " << printed("%.1f", probe.late_mean_links)
      << " links on average (" << probe.late_least_links << " to " << probe.late_most_links
      << ") in its second half" << (probe.second_mode ? ", a second mode\n" : "\n");
}

void write_probes(const McmleRecord& m, std::ostream& out) {
  if (!m.probes) return;
  write_probe(m.probes->empty, "empty", out);
  write_probe(m.probes->denser,
              ("at " + std::to_string(m.probes->denser.start_links) + " links").c_str(), out);
}

void write_evidence(const McmleRecord& m, std::ostream& out) {
  out << " Best estimate: iteration " << m.best.iteration << ", largest |t| "
      << printed("%.3f", m.best.max_abs_t) << '\n';
  if (m.evidence) {
    const LinkCountEvidence& e = *m.evidence;
    out << " Networks drawn there: " << printed("%.1f", e.mean_links) << " links on average (sd "
        << printed("%.1f", e.sd_links) << ", " << e.least_links << " to " << e.most_links
        << ") against " << e.observed_links << " observed";
    if (e.two_modes) {
      out << "; two modes, " << printed("%.0f", 100.0 * e.lower_mode_share) << "% about "
          << printed("%.0f", e.lower_mode_links) << " links, the rest about "
          << printed("%.0f", e.upper_mode_links);
    }
    out << '\n';
  } else if (m.capacity) {
    out << " Networks drawn there filled the link store (" << m.capacity->links << " links against "
        << m.capacity->observed_links << " observed)\n";
  }
  write_probes(m, out);
}

// The fit by maximum likelihood by MCMC: how it ended, its convergence figures and likelihood.
void write_mcmle_statistics(const Estimate& fit, std::ostream& out) {
  const McmleRecord& m = *fit.mcmle;
  if (m.exact()) {
    out << "\n Maximum likelihood: exact (the model is dyad-independent: its pseudo-likelihood is "
           "its likelihood; no networks drawn)\n";
  } else {
    if (!m.judged_estimate.empty()) {
      out << "\n " << m.judged_estimate << ": " << ending(m)
          << ", judged by networks drawn at its estimate, ";
    } else {
      out << "\n Maximum likelihood by MCMC: " << ending(m) << " after " << m.iterations
          << " iterations, ";
    }
    // Equilibrium expectation of a model whose statistics are drawn exactly runs no chains.
    const bool exact_draws = fit.equilibrium && fit.equilibrium->exact_draws && m.toggles == 0;
    out << printed("%.1f", m.seconds) << " s\n Sampler: "
        << (exact_draws ? std::string("none, the statistics drawn exactly (no chains, no toggles)")
                        : printed("%.3g", static_cast<double>(m.toggles)) +
                              (fit.network.response.empty() ? " proposed toggles"
                                                            : " proposed changes of a count"))
        << ", " << printed("%.0f", m.seconds > 0.0 ? 100.0 * m.sampler_seconds / m.seconds : 0.0)
        << "% of the time\n";
    if (m.end == "converged") {
      out << " Convergence: final sample of " << m.convergence.networks
          << " networks, effective size " << printed("%.0f", m.convergence.effective_size)
          << ", largest |t| " << printed("%.3f", m.convergence.max_abs_t)
          << " (every t-ratio within its allowance), Hotelling p-value "
          << printed("%.3f", m.convergence.p_value) << '\n';
      write_probes(m, out);
    } else {
      write_evidence(m, out);
    }
  }
  if (m.start.kind == "dyad_independent" && m.start.moved) {
    out << " Start: the dyad-independent terms' estimate (" << start_reason(m.start) << ")\n";
  } else if (m.start.share < 1.0 && m.start.moved) {
    out << " Start: " << printed("%g", m.start.share)
        << " of the way from the dyad-independent terms' estimate to the first start ("
        << start_reason(m.start) << ")\n";
  }
  if (fit.log_likelihood) {
    out << " Log-likelihood " << printed("%.3f", *fit.log_likelihood) << ", AIC "
        << printed("%.3f", *fit.aic) << ", BIC " << printed("%.3f", *fit.bic) << '\n';
  }
}

void write_parameters(const Estimate& fit, std::ostream& out) {
  const std::vector<CoefficientRow>& rows = fit.coefficients;
  const bool mcmc = fit.mcmle && fit.mcmle->end == "converged";
  // The share of the variance from sampling: the MCMC's, or the sample of empty dyads'.
  const std::vector<double>& sampling = fit.sampling_percent;
  const bool shares = mcmc || sampling.size() == rows.size();
  std::vector<std::vector<std::string>> cells = {{"Term", "Estimate", "Std. error",
                                                  mcmc ? "MCMC %" : "Sampling %", "z value",
                                                  "Pr(>|z|)", ""}};
  for (std::size_t p = 0; p < rows.size(); ++p) {
    const CoefficientRow& row = rows[p];
    const double share = mcmc ? fit.mcmle->mcmc_error_percent[p] : shares ? sampling[p] : 0.0;
    if (row.offset) {
      // A fixed value: no error, no test.
      const std::string value = std::isinf(row.estimate) ? (row.estimate < 0 ? "-Inf" : "Inf")
                                                         : number_text(row.estimate);
      cells.push_back({row.name, value, "", "", "", "", ""});
      continue;
    }
    cells.push_back({row.name, number_text(row.estimate), number_text(row.std_error),
                     shares ? printed("%.1f", share) : "", printed("%.3f", row.z),
                     p_value_text(row.p_value), significance_stars(row.p_value)});
  }
  if (!shares) {
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

void write_fit_screen(const tarnwick::Estimate& fit, std::ostream& out) {
  const bool directed = fit.network.directed;
  out << " Network: " << fit.network.path << " (" << fit.network.nodes << " nodes, "
      << fit.network.links << (directed ? " links, " : " edges, ") << fit.network.dyads << " dyads";
  if (fit.network.missing_dyads > 0) out << ", " << fit.network.missing_dyads << " missing";
  if (fit.network.bipartite > 0) out << ", bipartite: " << fit.network.bipartite;
  out << (directed ? ")" : ", undirected)");
  if (!fit.network.response.empty()) {
    out << "\n Counts:  " << fit.network.response << ", reference " << fit.network.reference;
  }
  out << "\n Model:  ";
  for (const TermRecord& term : fit.terms) out << ' ' << term.text;
  out << '\n';
  if (!fit.estimated) return;
  if (fit.mcmle) {
    write_mcmle_statistics(fit, out);
  } else if (fit.pseudo_likelihood) {
    if (fit.pseudo_likelihood->pass_limit) {
      out << "\n Too many iterations! Returning partial results.\n";
    }
    // The degrees of freedom are the free parameters': an offset's value is given.
    const auto free = std::count_if(fit.coefficients.begin(), fit.coefficients.end(),
                                    [](const CoefficientRow& row) { return !row.offset; });
    write_statistics(*fit.pseudo_likelihood, static_cast<std::size_t>(free), out);
    if (fit.log_likelihood) {
      out << " Log-likelihood        " << printed("%12.3f", *fit.log_likelihood) << " (exact: the "
          << "model is dyad-independent), AIC " << printed("%.3f", *fit.aic) << ", BIC "
          << printed("%.3f", *fit.bic) << '\n';
    }
  }
  if (!fit.mcmle && !fit.pseudo_likelihood && fit.log_likelihood) {
    out << "\n Maximum likelihood, exact (the model is dyad-independent): log-likelihood "
        << printed("%.3f", *fit.log_likelihood) << ", AIC " << printed("%.3f", *fit.aic) << ", BIC "
        << printed("%.3f", *fit.bic) << '\n';
  }
  write_parameters(fit, out);
  if (!fit.errors_description.empty()) out << ' ' << fit.errors_description << '\n';
}

}  // namespace tarn
