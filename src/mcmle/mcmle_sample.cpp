#include "mcmle/mcmle_sample.h"

#include <chrono>
#include <memory>

#include "simulate/random_stream.h"
#include "simulate/start_networks.h"

namespace tarn {

SampleSource chain_sample_source(const Study& study, const McmleControl& control) {
  auto states = std::make_shared<ChainStates>();
  return [&study, control, states](const SampleRequest& request) {
    SamplerSettings s;
    s.burnin = request.burnin;
    s.interval = request.interval;
    s.chains = control.chains;
    s.threads = control.threads;
    s.spread = control.spread;
    s.cancel = control.cancel;
    s.seed = mix_seed(control.seed, request.stream);
    if (request.fresh) *states = ChainStates{};
    ChainStates away;
    if (request.probe) {
      s.chains = 2;
      const TermGraph observed = study.graph();
      RandomStream random(s.seed, 1000);
      away.graphs = {
          empty_like(observed),
          denser_than(observed, dense_start_links(observed.link_count(), study.dyad_count()),
                      random)};
      for (const TermGraph& graph : away.graphs) {
        away.statistics.push_back(study.model.network_statistics(graph));
      }
    }
    const auto start = std::chrono::steady_clock::now();
    SampleSummary summary = sample_networks(study, request.eta, request.networks, s, {}, nullptr,
                                            tie_no_tie_ratio, request.probe ? &away : states.get());
    DrawnSample drawn;
    drawn.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    drawn.statistics = std::move(summary.statistics);
    drawn.links = std::move(summary.links);
    drawn.chains = s.chains;
    drawn.proposals = summary.proposals;
    drawn.accepted = summary.accepted;
    drawn.capacity_stop = summary.capacity_stop;
    // A chain that filled the store is no place to go on from.
    if (drawn.capacity_stop.found && !request.probe) *states = ChainStates{};
    return drawn;
  };
}

}  // namespace tarn
