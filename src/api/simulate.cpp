#include <atomic>
#include <mutex>

#include "api/api_errors.h"
#include "api/constrained_model.h"
#include "api/draw_start.h"
#include "api/model_data.h"
#include "api/records.h"
#include "api/sample_numbers.h"
#include "api/valued_model.h"
#include "estimate/sample_warnings.h"
#include "estimate/sampling_settings.h"

namespace tarnwick {

namespace {

// What the draws call for; from an empty start there is no observed network for the draws to
// be far from. At given coefficients, networks piled far from the observed network are the
// model's own: a model not fitted to the network need not describe it. Two modes remain a sign
// of degeneracy.
std::vector<tarn::Warning> drawing_warnings(const tarn::Study& study, const tarn::DrawStart& start,
                                            const tarn::SampleSummary& sample) {
  if (!start.empty_start) {
    std::vector<tarn::Warning> warnings =
        tarn::draw_warnings(sample, study.model, start.coefficients, start.given);
    for (tarn::Warning& w : warnings) {
      if (start.given && w.code == "degenerate_draws" && !sample.evidence.two_modes) {
        w.code = "draws_far_from_observed";
      }
    }
    return warnings;
  }
  if (sample.capacity_stop.found) return {sample.capacity_stop.warning()};
  return {};
}

// The networks drawn, each handed to the settings' visitor and kept (when asked) as it is drawn.
tarn::SampleSummary draw(const Model& model, const tarn::DrawStart& start,
                         const SimulateSettings& settings, const Progress& progress,
                         std::vector<std::shared_ptr<Network::Data>>& kept) {
  const Model::Data& data = model.data();
  std::atomic<std::int64_t> own_counter{0};
  std::atomic<std::int64_t>* done = progress.counter ? progress.counter : &own_counter;
  // Visited in the chains' threads: a cancel stops each chain at its next network (the sampler
  // rethrows Cancelled once they have stopped), and the reports are made one at a time.
  std::mutex reporting;
  const tarn::NetworkVisitor visit = [&](int k, const tarn::TermGraph& graph,
                                         const std::vector<double>&) {
    tarn::check_cancel(progress);
    if (settings.each_network) settings.each_network(k, tarn::edge_list(graph, data.input.labels));
    if (settings.keep_networks) {
      auto network = std::make_shared<Network::Data>(data.network.data());
      network->input.network = graph.to_network();
      network->input.notes.clear();
      kept[std::size_t(k)] = std::move(network);
    }
    if (progress.report) {
      const std::lock_guard<std::mutex> lock(reporting);
      progress.report(done->load() + 1, settings.networks, "simulate");
    }
  };
  return tarn::sample_networks(data.study, start.coefficients, settings.networks, start.sampler,
                               visit, done);
}

}  // namespace

void check_can_simulate(const Model& model) {
  tarn::with_library_errors([&] {
    if (!model.data().valued) tarn::check_can_simulate(model.data().study);
    return 0;
  });
}

SimulationResult simulate(const Model& given_model, const SimulateSettings& settings,
                          const Progress& progress) {
  SimulationResult result;
  // Drawing is not spread: it runs on the process that writes the results.
  if (settings.processes != nullptr && !settings.processes->writes_results()) return result;
  return tarn::with_library_errors([&] {
    if (given_model.data().valued) {
      return tarn::valued_simulate(given_model.data(), settings, progress);
    }
    const Model model = tarn::constrained_model(given_model, settings.constraints);
    const tarn::Study& study = model.data().study;
    result.notes = model.notes();
    tarn::DrawStart start = tarn::draw_start(study, settings, settings.empty_start);
    start.sampler.cancel = progress.cancel;
    if (!start.usable) {
      result.outcome = DrawOutcome::no_estimate;
      result.warnings = tarn::records_of(start.fit_warnings, "fit");
      return result;
    }
    std::vector<std::shared_ptr<Network::Data>> kept(std::size_t(settings.networks));
    const tarn::SampleSummary sample = draw(model, start, settings, progress, kept);
    tarn::check_cancel(progress);
    result.sample = tarn::sample_figures(study, start, sample);
    result.coefficients = start.coefficients;
    result.warnings = tarn::records_of(drawing_warnings(study, start, sample), "draws");
    // A chain that filled the link store drew no network of the model. Networks that pile up or
    // split far from the observed one are still the model's: they are returned, the warnings
    // giving their figures.
    if (sample.capacity_stop.found) {
      result.outcome = DrawOutcome::degenerate;
      return result;
    }
    if (settings.keep_networks) {
      for (auto& data : kept) result.networks.emplace_back(std::move(data));
    }
    for (auto& w : tarn::records_of(
             tarn::autocorrelation_warnings(sample, study.model, start.sampler.chains, "sample"),
             "sample")) {
      result.warnings.push_back(std::move(w));
    }
    return result;
  });
}

SimulationResult simulate(const Network& network, const std::string& formula,
                          const SimulateSettings& settings, const Progress& progress) {
  SimulationResult result = simulate(build_model(network, formula), settings, progress);
  if (result.outcome == DrawOutcome::no_estimate) tarn::throw_no_estimate(result.warnings);
  return result;
}

}  // namespace tarnwick
