#include "estimate/dyad_sample.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "model/sample_space.h"
#include "mple/case_control.h"
#include "mple/estimate_existence.h"
#include "mple/fit_warnings.h"
#include "network/setting_error.h"
#include "simulate/random_stream.h"

namespace tarn {

namespace {

constexpr std::int64_t draws_per_chunk = 1 << 16;

// Chunk c of `controls` draws with replacement, uniform over the empty included dyads: a
// uniform ordered pair of nodes from the stream (seed, c), drawn again when it is no included
// dyad or holds a link.
DyadChunks drawn_controls(const Study& study, const TermGraph& graph, std::int64_t controls,
                          std::uint64_t seed) {
  return {(controls + draws_per_chunk - 1) / draws_per_chunk,
          [&study, &graph, controls, seed](std::int64_t chunk,
                                           std::vector<std::pair<int, int>>& dyads) {
            dyads.clear();
            RandomStream stream(seed, static_cast<std::uint64_t>(chunk));
            const std::int64_t size = std::min(draws_per_chunk, controls - chunk * draws_per_chunk);
            const auto n = static_cast<std::uint32_t>(study.node_count());
            const bool self_pairs = study.directed() && study.include_diagonal;
            while (static_cast<std::int64_t>(dyads.size()) < size) {
              auto [a, b] = stream.two_below(n, n);
              int i = static_cast<int>(a) + 1, j = static_cast<int>(b) + 1;
              if (i == j && !self_pairs) continue;
              if (!study.directed() && i > j) std::swap(i, j);
              if (!graph.has_link(i, j)) dyads.emplace_back(i, j);
            }
          }};
}

int thread_count(const SamplingSettings& sampling) {
  if (sampling.threads > 0) return sampling.threads;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// The errors: the inverse Hessian plus the sampling covariance, and the sampling shares.
ParameterErrors sampled_errors(const CaseControlRows& rows, const FitResult& fit) {
  ParameterErrors errors = naive_errors(fit);
  if (fit.end != FitEnd::completed || rows.every_empty_dyad) return errors;
  errors.method = "naive_and_sampling";
  const ParamMatrix sampling = control_sampling_covariance(rows, fit);
  const int m = fit.parameter_count;
  for (int k = 1; k <= m; ++k) {
    for (int l = 1; l <= m; ++l) errors.covariance(k, l) += sampling(k, l);
    errors.sampling_percent.push_back(100.0 * sampling(k, k) / errors.covariance(k, k));
  }
  char line[200];
  std::snprintf(line, sizeof line,
                "Standard errors: the pseudo-likelihood's and the sampling error of %lld "
                "controls from %lld empty dyads (Sampling %%: its share of the variance)",
                static_cast<long long>(rows.controls), static_cast<long long>(rows.empty_dyads));
  errors.description = line;
  return errors;
}

DyadSampleRecord sample_record(const CaseControlRows& rows, std::uint64_t seed, bool automatic) {
  return {rows.linked_dyads,
          rows.empty_dyads,
          rows.controls,
          rows.every_empty_dyad,
          rows.control_weight(),
          seed,
          automatic};
}

}  // namespace

std::int64_t default_dyad_sample(std::int64_t dyads, std::int64_t links) {
  const auto root = static_cast<std::int64_t>(std::ceil(std::sqrt(static_cast<double>(dyads))));
  return 8 * std::max({root, links, std::int64_t{40}});
}

bool samples_dyads(const Study& study, const EstimatorSettings& settings) {
  if (study.space) {
    if (settings.sampling.dyad_sample >= 0 && study.network.bipartite > 0) {
      throw SettingError({"dyad_sample", "method"},
                         "{0}: the sample of dyads does not keep to the dyads between the modes "
                         "of a two-mode network; leave out {0} ({1=}mple fits over every one)");
    }
    if (settings.sampling.dyad_sample >= 0 && study.space->missing_only()) {
      throw SettingError(
          {"dyad_sample", "missing", "method"},
          "{0}: the sample of dyads does not leave out the missing dyads ({1} or values "
          "NA); "
          "leave out {0} ({2=}mple fits over every observed dyad)");
    }
    if (settings.sampling.dyad_sample >= 0) {
      throw SettingError({"dyad_sample", "constraints", "method"},
                         "{0}: the sample of dyads does not keep to {1=}" + study.space->text +
                             "; leave out {0} ({2=}mple fits over every free dyad)");
    }
    return false;
  }
  if (settings.sampling.dyad_sample >= 0) return true;
  return study.dyad_count() > largest_sweep && !fits_by_dyad_classes(study);
}

void check_dyad_sample_settings(const EstimatorSettings& settings) {
  const std::int64_t size = settings.sampling.dyad_sample;
  if (size == -1) return;
  if (size < 1) {
    throw SettingError({"dyad_sample"}, "{0=}" + std::to_string(size) + ": give 1 or more");
  }
  if (settings.errors != "naive") {
    throw SettingError({"dyad_sample", "se"},
                       "{0} takes the naive errors and the sampling error; {1=}" + settings.errors +
                           " refits simulated networks over every dyad");
  }
}

Estimate fit_by_dyad_sample(const Study& study, const EstimatorSettings& settings) {
  const TermGraph graph = study.graph();
  const std::int64_t links = linked_dyad_count(study, graph);
  const std::int64_t empty = study.dyad_count() - links;
  const bool automatic = settings.sampling.dyad_sample < 0;
  const std::int64_t size =
      automatic ? default_dyad_sample(study.dyad_count(), links) : settings.sampling.dyad_sample;
  const bool every = size >= empty;
  const DyadChunks controls = every ? every_empty_dyad(study, graph)
                                    : drawn_controls(study, graph, size, settings.sampling.seed);
  const CaseControlRows rows =
      case_control_rows(study, graph, controls, every, thread_count(settings.sampling));
  Estimate e;
  e.start.result = fit_case_control(study, rows);
  e.start.warnings = fit_warnings(e.start.result);
  if (e.start.result.end != FitEnd::dependent) {
    add_existence(check_estimate_existence_of_rows(rows.rows), study.model, e.start);
  }
  e.errors = sampled_errors(rows, e.start.result);
  e.dyad_sample = sample_record(rows, settings.sampling.seed, automatic);
  if (automatic) {
    e.warnings.push_back(Warning{"dyad_sample_used"}
                             .add_count("dyads", study.dyad_count())
                             .add_count("controls", rows.controls)
                             .add_count("empty_dyads", rows.empty_dyads));
  }
  return e;
}

}  // namespace tarn
