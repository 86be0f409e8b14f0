#include "tarnwick/reporting.h"

#include <sstream>

#include "report/classic_report.h"
#include "report/ergm_summary.h"
#include "report/fit_screen.h"
#include "report/gof_report.h"
#include "report/json_results.h"
#include "report/mcmle_diagnostics.h"
#include "report/sample_table.h"
#include "report/statistics_summary.h"
#include "report/tidy_csv.h"
#include "tarnwick/errors.h"

namespace tarnwick {

namespace {

template <class Value, class Writer>
std::string written(const Value& value, Writer writer) {
  std::ostringstream out;
  writer(value, out);
  return out.str();
}

const McmleRecord& drawn_networks(const Estimate& e) {
  if (!e.mcmle) {
    throw ArgumentError("a " + e.method +
                        " fit drew no networks: the diagnostics are those of a fit by MCMC (mcmle, "
                        "ee)");
  }
  return *e.mcmle;
}

}  // namespace

std::string fit_screen(const Estimate& e) {
  return written(e, tarn::write_fit_screen);
}

std::string ergm_summary(const Estimate& e) {
  return written(e, tarn::write_ergm_summary);
}

std::string fit_json(const Estimate& e) {
  return written(e, tarn::write_fit_json);
}

std::string fit_csv(const Estimate& e) {
  return written(e, tarn::write_tidy_csv);
}

std::string dialogue_report(const Estimate& e) {
  for (const TermRecord& term : e.terms) {
    if (term.configuration_type == 0) {
      throw ArgumentError("the dialogue's report is of the sixteen configuration types only, not " +
                          term.text);
    }
  }
  if (e.mcmle) {
    throw ArgumentError("the dialogue's report is of a pseudo-likelihood fit, not of " + e.method);
  }
  return written(e, tarn::write_report_file);
}

std::string diagnostics_svg(const Estimate& e) {
  std::ostringstream out;
  tarn::write_mcmle_diagnostics_svg(drawn_networks(e), e.names(), out);
  return out.str();
}

std::string diagnostics_html(const Estimate& e) {
  std::ostringstream out;
  tarn::write_mcmle_diagnostics_html(drawn_networks(e), e.names(), out);
  return out.str();
}

std::string sample_table(const SampleFigures& sample) {
  return written(sample, tarn::write_sample_table);
}

std::string sample_csv(const SampleFigures& sample) {
  return written(sample, tarn::write_sample_statistics_csv);
}

std::string gof_screen(const GofTables& tables) {
  return written(tables, tarn::write_gof_screen);
}

std::string gof_csv(const GofTables& tables) {
  return written(tables, tarn::write_gof_csv);
}

std::string gof_svg(const GofTables& tables) {
  return written(tables, tarn::write_gof_svg);
}

std::string gof_html(const GofTables& tables) {
  return written(tables, tarn::write_gof_html);
}

std::string statistics_table(const StatisticsReport& report) {
  return written(report, tarn::write_statistics_table);
}

std::string statistics_json(const StatisticsReport& report) {
  return written(report, tarn::write_statistics_json);
}

std::string statistics_csv(const StatisticsReport& report) {
  return written(report, tarn::write_statistics_csv);
}

}  // namespace tarnwick
