#include "api/sample_numbers.h"

#include <cmath>
#include <sstream>

#include "simulate/sample_spread.h"

namespace tarn {

tarnwick::SampleFigures sample_figures(const Study& study, const DrawStart& start,
                                       const SampleSummary& sample) {
  tarnwick::SampleFigures figures;
  figures.statistic_names = study.model.statistic_names();
  figures.observed = sample.observed;
  figures.empty_start = start.empty_start;
  figures.statistics = sample.statistics;
  for (std::size_t p = 0; p < figures.statistic_names.size(); ++p) {
    const ColumnSpread spread = column_spread(sample.statistics, p);
    figures.mean.push_back(spread.mean);
    figures.sd.push_back(sample.statistics.size() > 1 ? spread.sd : NAN);
    figures.lag1_autocorrelation.push_back(
        p < sample.lag1_autocorrelation.size() ? sample.lag1_autocorrelation[p] : NAN);
  }
  const SamplerSettings& s = start.sampler;
  figures.sampler = {s.chains, s.seed, s.burnin, s.interval, sample.proposals, sample.accepted};
  return figures;
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
