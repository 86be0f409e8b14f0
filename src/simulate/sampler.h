#pragma once
// Networks drawn from a model's network distribution P(y) proportional to exp(theta . g(y)): the
// driver of several chains (chain.h) across threads, with the tie/no-tie proposal (proposal.h):
// with probability 1/2 toggle a uniformly chosen present link, otherwise a dyad, uniformly chosen
// or weighted by the model's dyad-independent terms (dyad_draw.h). A change of one dyad is
// evaluated locally (the neighbours of its two nodes) with the definitions of
// change_statistics.h, so it agrees exactly with the fit's statistics.
//
// The sample comes from a fixed number of chains (not the number of threads), chain c seeded from
// (seed, c) and started at the observed network: after `burnin` toggles it gives its first
// network, then one every `interval` toggles. Network k of the sample is network k / chains of
// chain k % chains, so the same seed gives the same networks for any number of threads, and the
// first networks of a larger sample are those of a smaller one.
//
// A chain is never stopped for where its network goes: networks far from the observed one are
// what the coefficients describe, and a degenerate model shows itself in the networks drawn
// (degeneracy_evidence.h), not in a guard. A chain stops early only when its network fills
// the link store (the link capacity), and the sample says so.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/study.h"
#include "network/cancel_flag.h"
#include "network/network.h"
#include "network/warning.h"
#include "simulate/degeneracy_evidence.h"
#include "simulate/dyad_draw.h"
#include "simulate/proposal.h"
#include "spread/task_spread.h"
#include "terms/term_graph.h"

namespace tarn {

struct SamplerSettings {
  std::int64_t burnin = 0;    // toggles before the first network of a chain
  std::int64_t interval = 0;  // toggles between networks of a chain
  int chains = 8;
  std::uint64_t seed = 1;
  int threads = 1;
  // The dyad half of the proposal weighted by the model's dyad-independent terms (dyad_draw.h);
  // false: every dyad alike. Above `most_table_dyads` dyads, the weights are drawn by cells of
  // node classes instead of from a table of every dyad.
  bool weighted_dyads = true;
  std::int64_t most_table_dyads = tarn::most_table_dyads;
  // The processes of an MPI job to deal the chains out to, when no network is visited (the
  // samples of maximum likelihood by MCMC and of the equilibrium-expectation check): chain c runs
  // on process c % processes, and keeps its state there between samples; the statistics come
  // back to every process. Null: the threads of this process.
  const TaskSpread* spread = nullptr;
  // Polled every 1024 proposals and between networks; raised, the sample throws WorkCancelled.
  CancelFlag cancel = nullptr;
};

// Defaults for a network of `links` links among `dyads` dyads: an interval of 64 proposals per
// link, at most one per dyad and at least 1024, and a burn-in of 4 intervals. The measured
// autocorrelation behind the choice is in the user guide; every sample reports its own.
SamplerSettings default_sampler_settings(std::int64_t links, std::int64_t dyads);
// The defaults for a network of `nodes` nodes: those above up to max_nodes nodes (the networks
// they were measured on keep their draws); a larger, sparse network's interval is 8 proposals per
// link (at least 1024, at most one per dyad), its burn-in 4 intervals. The tie/no-tie proposal
// offers a given link for removal once in about twice the links' proposals, so a statistic that
// counts links relaxes in about twice the links; 8 per link leaves little autocorrelation
// between networks, where one per dyad would be 10^5 times the links at 10^6 nodes.
SamplerSettings default_sampler_settings(int nodes, std::int64_t links, std::int64_t dyads);

// A chain that filled the link store (more links than the capacity): the sampler cannot follow
// it further.
struct CapacityStop {
  bool found = false;
  std::int64_t toggles = 0;  // done by the chain that stopped
  std::int64_t links = 0;    // its link count then
  std::int64_t observed_links = 0;
  std::int64_t capacity = 0;  // the chain's link capacity (chain_link_capacity)
  // "link_capacity_reached" with the figures above and the capacity; the front end words it.
  Warning warning() const;
};

// Fewer consecutive pairs within the chains than this give no autocorrelation: a handful of pairs
// gives a figure that says nothing.
constexpr int min_autocorrelation_pairs = 10;

// When a chain fills the link store the sample reports the lowest-numbered such chain, and holds
// no networks and no autocorrelations; its proposals and acceptances are those of the chains up
// to the reported one (the later ones are called off early), so that it is the same for any
// number of threads.
struct SampleSummary {
  std::vector<double> observed;                 // the model's statistics of the observed network
  std::vector<std::vector<double>> statistics;  // [network][statistic]
  std::vector<std::int64_t> links;              // [network]: its link count
  // What the networks' link counts say about the model at these coefficients (empty draws when
  // a chain filled the link store).
  DrawEvidence evidence;
  // Lag-1 autocorrelation of each statistic between consecutive networks of a chain, within
  // [-1, 1]; NaN when the chains give fewer than min_autocorrelation_pairs consecutive pairs or a
  // statistic does not vary.
  std::vector<double> lag1_autocorrelation;
  std::int64_t proposals = 0, accepted = 0;
  CapacityStop capacity_stop;
};

// Called for every network of the sample, in the thread of its chain: its number in the sample,
// the graph and its statistics. Once a chain has filled the link store no more networks are
// visited; which ones were visited before depends on the threads, and the sample is not to be used.
using NetworkVisitor =
    std::function<void(int network, const TermGraph& graph, const std::vector<double>& statistics)>;

// The graphs the chains start from and end at, for samples drawn one after another at changing
// coefficients (maximum likelihood by MCMC): chain c starts where the last sample left it, with
// the statistics it had there. Empty, or of another number of chains: every chain starts at the
// observed network.
struct ChainStates {
  std::vector<TermGraph> graphs;
  std::vector<std::vector<double>> statistics;
};

// Why the study's model cannot be simulated (a network with links given twice, a statistic
// without a network distribution: Model::distribution_problem), or empty.
std::string simulation_problem(const Study& study);

// Draws `networks` networks from the study's model at `coefficients`, the chains started at the
// study's network, or where `states` says and left there. `done` (if given) counts the networks
// whose visit has returned. Throws std::invalid_argument for what simulation_problem names.
// `ratio` is for the test that shows a wrong acceptance ratio is caught.
SampleSummary sample_networks(const Study& study, const std::vector<double>& coefficients,
                              int networks, const SamplerSettings& settings,
                              const NetworkVisitor& visit = {},
                              std::atomic<std::int64_t>* done = nullptr,
                              ProposalRatio ratio = tie_no_tie_ratio,
                              ChainStates* states = nullptr);

// Figures of a network taken where its chain runs (a thread, or a process of an MPI job), such as
// the refit of a bootstrap replicate or a network's goodness-of-fit features.
using NetworkMeasure =
    std::function<TaskResult(const TermGraph& graph, const std::vector<double>& statistics)>;

struct MeasuredSample {
  SampleSummary sample;
  std::vector<TaskResult> measures;  // [network]; empty for a network not drawn
};

// sample_networks with each network measured: the measures come back in the sample's order on
// every process, so that the work that follows is the same everywhere.
MeasuredSample sample_measured(const Study& study, const std::vector<double>& coefficients,
                               int networks, const SamplerSettings& settings,
                               const NetworkMeasure& measure,
                               std::atomic<std::int64_t>* done = nullptr);

}  // namespace tarn
