#include "api/sample_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "report/tidy_csv.h"
#include "simulate/sample_spread.h"

namespace tarn {

void write_sample_table(const Study& study, const DrawStart& start, const SampleSummary& sample,
                        std::ostream& out) {
  char line[160];
  std::snprintf(line, sizeof line, " %-16s %14s %14s %14s %10s\n", "statistic",
                start.empty_start ? "start" : "observed", "mean", "sd", "lag-1 acf");
  out << '\n' << line;
  const std::vector<std::string> names = study.model.statistic_names();
  for (int p = 0; p < study.model.parameter_count(); ++p) {
    const ColumnSpread spread = column_spread(sample.statistics, std::size_t(p));
    const double sd = sample.statistics.size() > 1 ? spread.sd : NAN;
    const double r = p < static_cast<int>(sample.lag1_autocorrelation.size())
                         ? sample.lag1_autocorrelation[std::size_t(p)]
                         : NAN;
    char acf[16] = "n/a";
    if (std::isfinite(r)) std::snprintf(acf, sizeof acf, "%.3f", r);
    std::snprintf(line, sizeof line, " %-16s %14.2f %14.2f %14.2f %10s\n",
                  names[std::size_t(p)].c_str(), sample.observed[std::size_t(p)], spread.mean, sd,
                  acf);
    out << line;
  }
  const SamplerSettings& s = start.sampler;
  std::snprintf(line, sizeof line,
                "\n %zu networks from %d chains (seed %llu, burn-in %lld, interval %lld "
                "toggles); %lld proposals, %.1f%% accepted\n",
                sample.statistics.size(), s.chains, static_cast<unsigned long long>(s.seed),
                static_cast<long long>(s.burnin), static_cast<long long>(s.interval),
                static_cast<long long>(sample.proposals),
                100.0 * static_cast<double>(sample.accepted) /
                    static_cast<double>(std::max<std::int64_t>(sample.proposals, 1)));
  out << line;
}

void write_statistics_csv(const Study& study, bool empty_start, const SampleSummary& sample,
                          std::ostream& out) {
  out << "network";
  for (const std::string& name : study.model.statistic_names()) out << ',' << csv_text(name);
  out << '\n' << (empty_start ? "start" : "observed");
  for (double v : sample.observed) out << ',' << csv_number(v);
  out << '\n';
  for (std::size_t k = 0; k < sample.statistics.size(); ++k) {
    out << k + 1;
    for (double v : sample.statistics[k]) out << ',' << csv_number(v);
    out << '\n';
  }
}

std::string edge_list(const TermGraph& graph, const NodeLabels& labels) {
  std::ostringstream out;
  out << (graph.directed() ? "sender,receiver\n" : "node1,node2\n");
  for (const auto& [a, b] : graph.link_list()) {
    out << labels.name(a) << ',' << labels.name(b) << '\n';
  }
  return out.str();
}

}  // namespace tarn
