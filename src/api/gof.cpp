#include <atomic>
#include <mutex>
#include <optional>

#include "api/api_errors.h"
#include "api/constrained_model.h"
#include "api/draw_start.h"
#include "api/model_data.h"
#include "api/records.h"
#include "api/sample_numbers.h"
#include "api/task_spread_adapters.h"
#include "api/valued_model.h"
#include "estimate/gof_check.h"
#include "report/gof_numbers.h"

namespace tarnwick {

namespace {

tarn::GofCheck check(const Model::Data& data, const tarn::DrawStart& start,
                     const GofSettings& settings, const Progress& progress) {
  std::atomic<std::int64_t> own_counter{0};
  std::atomic<std::int64_t>* done = progress.counter ? progress.counter : &own_counter;
  std::mutex reporting;
  tarn::SamplerSettings sampler = start.sampler;
  std::optional<tarn::SpreadOfProcesses> spread;
  if (settings.processes != nullptr) sampler.spread = &spread.emplace(*settings.processes);
  return tarn::check_gof(data.study, start.coefficients, start.given, sampler, settings.networks,
                         done, [&] {
                           tarn::check_cancel(progress);
                           if (progress.report) {
                             const std::lock_guard<std::mutex> lock(reporting);
                             progress.report(done->load() + 1, settings.networks, "gof");
                           }
                         });
}

// The tables of a check that drew the model's networks.
void add_tables(const Model::Data& data, const tarn::DrawStart& start, const tarn::GofCheck& check,
                GofTables& tables) {
  const GofTables numbers = tarn::gof_numbers(check.summary);
  tables.networks = numbers.networks;
  tables.panels = numbers.panels;
  tables.rows = numbers.rows;
  tables.nodes = numbers.nodes;
  tables.geodesic_sources = numbers.geodesic_sources;
  tables.sample = tarn::sample_figures(data.study, start, check.sample);
}

void add(std::vector<WarningRecord>& to, const std::vector<tarn::Warning>& warnings,
         const std::string& about) {
  for (WarningRecord& w : tarn::records_of(warnings, about)) to.push_back(std::move(w));
}

}  // namespace

GofTables gof(const Model& given_model, const GofSettings& settings, const Progress& progress) {
  GofTables tables;
  return tarn::with_library_errors([&] {
    if (given_model.data().valued) return tarn::valued_gof(given_model.data(), settings, progress);
    const Model model = tarn::constrained_model(given_model, settings.constraints);
    const Model::Data& data = model.data();
    tables.notes = model.notes();
    tables.network_path = data.network.data().options.network_path;
    tables.directed = data.study.directed();
    for (const tarn::TermPointer& term : data.study.model.terms) {
      tables.terms.push_back(term->text());
    }
    if (settings.networks < 1) {
      throw ArgumentError("networks: give 1 or more, not " + std::to_string(settings.networks));
    }
    tarn::DrawStart start = tarn::draw_start(data.study, settings, false);
    start.sampler.cancel = progress.cancel;
    add(tables.warnings, start.fit_warnings, "fit");
    if (!start.usable) {
      tables.outcome = DrawOutcome::no_estimate;
      return tables;
    }
    tables.coefficients = start.coefficients;
    const tarn::GofCheck result = check(data, start, settings, progress);
    tarn::check_cancel(progress);
    add(tables.warnings, result.draw_warnings, "draws");
    add(tables.warnings, result.sample_warnings, "sample");
    add(tables.warnings, result.feature_warnings, "features");
    tables.made = !result.degenerate;
    if (!tables.made) {
      tables.outcome = DrawOutcome::degenerate;
      return tables;
    }
    add_tables(data, start, result, tables);
    return tables;
  });
}

GofTables gof(const Network& network, const std::string& formula, const GofSettings& settings,
              const Progress& progress) {
  GofTables tables = gof(build_model(network, formula), settings, progress);
  if (tables.outcome == DrawOutcome::no_estimate) tarn::throw_no_estimate(tables.warnings);
  return tables;
}

}  // namespace tarnwick
