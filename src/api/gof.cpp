#include <atomic>
#include <mutex>
#include <optional>
#include <sstream>

#include "api/api_errors.h"
#include "api/draw_start.h"
#include "api/model_data.h"
#include "api/records.h"
#include "api/sample_texts.h"
#include "api/task_spread_adapters.h"
#include "estimate/gof_check.h"
#include "report/gof_report.h"

namespace tarnwick {

namespace {

// The figure's title: the network and the model's terms.
std::string gof_title(const Model::Data& data) {
  std::string title = "Goodness of fit: " + data.network.data().options.network_path +
                      (data.study.directed() ? "," : " (undirected),");
  for (const tarn::TermPointer& term : data.study.model.terms) title += " " + term->text();
  return title;
}

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

// The tables and figures of a check that drew the model's networks.
void write_tables(const Model::Data& data, const tarn::DrawStart& start,
                  const tarn::GofCheck& check, GofTables& tables) {
  std::ostringstream csv, svg, html, table;
  tables.title = gof_title(data);
  tarn::write_gof_csv(check.summary, csv);
  tarn::write_gof_svg(check.summary, tables.title, svg);
  tarn::write_gof_html(check.summary, tables.title, html);
  table << ' ' << tables.title << "\n\n";
  tarn::write_gof_table(check.summary, table);
  tarn::write_sample_table(data.study, start, check.sample, table);
  tables.csv = csv.str();
  tables.svg = svg.str();
  tables.html = html.str();
  tables.table = table.str();
}

void add(std::vector<WarningRecord>& to, const std::vector<tarn::Warning>& warnings,
         const std::string& about) {
  for (WarningRecord& w : tarn::records_of(warnings, about)) to.push_back(std::move(w));
}

}  // namespace

GofTables gof(const Model& model, const GofSettings& settings, const Progress& progress) {
  GofTables tables;
  return tarn::with_library_errors([&] {
    const Model::Data& data = model.data();
    tables.notes = model.notes();
    if (settings.networks < 1) {
      throw ArgumentError("networks: give 1 or more, not " + std::to_string(settings.networks));
    }
    const tarn::DrawStart start = tarn::draw_start(data.study, settings, false);
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
    write_tables(data, start, result, tables);
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
