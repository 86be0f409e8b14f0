#include "report/sample_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/tidy_csv.h"

namespace tarn {

void write_sample_table(const tarnwick::SampleFigures& sample, std::ostream& out) {
  char line[160];
  std::snprintf(line, sizeof line, " %-16s %14s %14s %14s %10s\n", "statistic",
                sample.empty_start ? "start" : "observed", "mean", "sd", "lag-1 acf");
  out << '\n' << line;
  for (std::size_t p = 0; p < sample.statistic_names.size(); ++p) {
    const double r = sample.lag1_autocorrelation[p];
    char acf[16] = "n/a";
    if (std::isfinite(r)) std::snprintf(acf, sizeof acf, "%.3f", r);
    std::snprintf(line, sizeof line, " %-16s %14.2f %14.2f %14.2f %10s\n",
                  sample.statistic_names[p].c_str(), sample.observed[p], sample.mean[p],
                  sample.sd[p], acf);
    out << line;
  }
  const tarnwick::SamplerRecord& s = sample.sampler;
  std::snprintf(line, sizeof line,
                "\n %zu networks from %d chains (seed %llu, burn-in %lld, interval %lld "
                "toggles); %lld proposals, %.1f%% accepted\n",
                sample.statistics.size(), s.chains, static_cast<unsigned long long>(s.seed),
                static_cast<long long>(s.burnin), static_cast<long long>(s.interval),
                static_cast<long long>(s.proposals),
                100.0 * static_cast<double>(s.accepted) /
                    static_cast<double>(std::max<std::int64_t>(s.proposals, 1)));
  out << line;
}

void write_sample_statistics_csv(const tarnwick::SampleFigures& sample, std::ostream& out) {
  out << "network";
  for (const std::string& name : sample.statistic_names) out << ',' << csv_text(name);
  out << '\n' << (sample.empty_start ? "start" : "observed");
  for (double v : sample.observed) out << ',' << csv_number(v);
  out << '\n';
  for (std::size_t k = 0; k < sample.statistics.size(); ++k) {
    out << k + 1;
    for (double v : sample.statistics[k]) out << ',' << csv_number(v);
    out << '\n';
  }
}

}  // namespace tarn
