#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <sstream>

#include "api/api_errors.h"
#include "api/network_data.h"
#include "estimate/checked_fit.h"
#include "estimate/estimator_table.h"
#include "estimate/gof_check.h"
#include "estimate/sample_warnings.h"
#include "io/study_building.h"
#include "report/fit_record.h"
#include "report/fit_screen.h"
#include "report/gof_report.h"
#include "report/json_results.h"
#include "report/tidy_csv.h"
#include "report/warning_text.h"

namespace tarnwick {

namespace {

// The study of `formula` on the network's data (a copy: the model's terms may add notes and
// files to it).
struct BuiltStudy {
  tarn::InputData input;
  tarn::Study study;
};

BuiltStudy build(const Network& network, const std::string& formula) {
  BuiltStudy built{network.data().input, {}};
  built.study = tarn::build_study(formula, built.input, network.data().options);
  return built;
}

std::vector<WarningRecord> records_of(const std::vector<tarn::WordedWarning>& worded) {
  std::vector<WarningRecord> records;
  for (const tarn::WordedWarning& w : worded) records.push_back({w.warning.code, w.message});
  return records;
}

std::string comma_list(const std::vector<double>& values) {
  std::string list;
  for (const double v : values) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    list += (list.empty() ? "" : ",") + std::string(text);
  }
  return list;
}

tarn::EstimatorSettings estimator_settings(const FitSettings& s) {
  tarn::EstimatorSettings settings;
  settings.errors = s.errors;
  settings.replicates = s.replicates;
  settings.mcmle.init = comma_list(s.init);
  settings.mcmle.sample_size = s.sample_size;
  settings.mcmle.max_iterations = s.max_iterations;
  settings.sampling = {s.burnin, s.interval, s.seed, s.threads, s.chains};
  return settings;
}

void check_cancel(const Progress& progress) {
  if (progress.cancel != nullptr && progress.cancel->load()) throw Cancelled();
}

tarn::EstimatorProgress estimator_progress(const Progress& progress, int max_iterations) {
  tarn::EstimatorProgress p;
  p.iteration = [&progress, max_iterations](const tarn::McmleIteration& i) {
    check_cancel(progress);
    if (progress.report) progress.report(i.number, max_iterations, "mcmle iteration");
  };
  return p;
}

// The public figures of an estimate, from the record its writers read.
Estimate public_estimate(const tarn::Estimate& e, const tarn::FitRecord& record,
                         const tarn::Model& model) {
  Estimate out;
  out.method = e.method;
  out.errors = e.errors.method;
  out.outcome = tarn::fit_outcome(record);
  out.converged = e.succeeded();
  out.names = model.coefficient_names();
  const int p = e.result.parameter_count;
  out.covariance.assign(std::size_t(p), std::vector<double>(std::size_t(p)));
  for (int a = 1; a <= p; ++a) {
    out.coefficients.push_back(e.result.estimate(a));
    out.std_errors.push_back(std::sqrt(e.errors.covariance(a, a)));
    for (int b = 1; b <= p; ++b) {
      out.covariance[std::size_t(a - 1)][std::size_t(b - 1)] = e.errors.covariance(a, b);
    }
  }
  out.log_likelihood = record.log_likelihood;
  out.aic = record.aic();
  out.bic = record.bic();
  out.iterations = e.mcmle ? e.mcmle->iterations : e.result.newton_passes;
  out.warnings = records_of(record.warnings);
  return out;
}

}  // namespace

std::vector<EstimatorInfo> estimators() {
  std::vector<EstimatorInfo> list;
  for (const tarn::Estimator& e : tarn::estimator_table()) {
    list.push_back({std::string(e.name), std::string(e.description)});
  }
  return list;
}

std::vector<Statistic> summary(const Network& network, const std::string& formula) {
  return tarn::with_library_errors([&] {
    const BuiltStudy built = build(network, formula);
    const tarn::Model& model = built.study.model;
    const std::vector<double> values = built.study.statistics();
    const std::vector<std::string> names = model.statistic_names();
    std::vector<Statistic> statistics;
    for (std::size_t k = 0; k < values.size(); ++k) statistics.push_back({names[k], values[k]});
    return statistics;
  });
}

Estimate fit(const Network& network, const std::string& formula, const FitSettings& settings,
             const Progress& progress) {
  return tarn::with_library_errors([&] {
    const auto began = std::chrono::steady_clock::now();
    const tarn::Estimator& estimator = tarn::estimator_named(settings.method);
    const tarn::EstimatorSettings internal = estimator_settings(settings);
    estimator.check(internal);
    BuiltStudy built = build(network, formula);
    check_cancel(progress);
    const tarn::Estimate e =
        estimator.fit(built.study, internal, estimator_progress(progress, settings.max_iterations));
    const tarn::FitRecord record =
        tarn::fit_record_of(e, built.study, built.input, network.data().options, formula);
    Estimate out = public_estimate(e, record, built.study.model);
    std::ostringstream screen, json, csv;
    tarn::write_fit_screen(
        {network.data().options.network_path, &built.study.network, &built.study.model, &e.result,
         &e.errors, record.mcmle, record.log_likelihood, record.aic(), record.bic()},
        screen);
    tarn::write_fit_json(record, json);
    tarn::write_tidy_csv(record, csv);
    out.screen = screen.str();
    out.json = json.str();
    out.csv = csv.str();
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return out;
  });
}

Simulation simulate(const Network& network, const std::string& formula,
                    const SimulateSettings& settings, const Progress& progress) {
  return tarn::with_library_errors([&] {
    const BuiltStudy built = build(network, formula);
    const tarn::Study& study = built.study;
    tarn::check_can_simulate(study);
    const std::vector<double> coefficients = study.model.canonical(
        tarn::coefficients_of(comma_list(settings.coefficients), study.model, "coefficients"));
    const tarn::SamplingSettings sampling{settings.burnin, settings.interval, settings.seed,
                                          settings.threads, settings.chains};
    Simulation result;
    std::vector<std::shared_ptr<Network::Data>> drawn(std::size_t(settings.networks));
    std::atomic<std::int64_t> done{0};
    // Visited in the chains' threads: a cancel stops each chain at its next network (the
    // sampler rethrows Cancelled once they have stopped), and the reports are made one at a
    // time.
    std::mutex reporting;
    const tarn::NetworkVisitor visit = [&](int k, const tarn::TermGraph& graph,
                                           const std::vector<double>&) {
      check_cancel(progress);
      auto data = std::make_shared<Network::Data>(network.data());
      data->input.network = graph.to_network();
      data->input.notes.clear();
      drawn[std::size_t(k)] = std::move(data);
      if (progress.report) {
        const std::lock_guard<std::mutex> lock(reporting);
        progress.report(done.load() + 1, settings.networks, "simulate");
      }
    };
    const tarn::SampleSummary sample = tarn::sample_networks(
        study, coefficients, settings.networks, sampling.settings(study), visit, &done);
    check_cancel(progress);
    // Networks that fill the link store, pile up or split are not the model's sample.
    if (!sample.capacity_stop.found && !sample.evidence.degenerate()) {
      for (auto& data : drawn) result.networks.emplace_back(std::move(data));
    }
    result.statistic_names = study.model.statistic_names();
    result.statistics = sample.statistics;
    result.warnings =
        records_of(tarn::worded(tarn::draw_warnings(sample, study.model, coefficients, true)));
    return result;
  });
}

GofTables gof(const Network& network, const std::string& formula, const GofSettings& settings,
              const Progress& progress) {
  return tarn::with_library_errors([&] {
    const BuiltStudy built = build(network, formula);
    const tarn::Study& study = built.study;
    tarn::check_can_simulate(study);
    if (settings.networks < 1) {
      throw ArgumentError("networks: give 1 or more, not " + std::to_string(settings.networks));
    }
    GofTables tables;
    std::vector<tarn::Warning> warnings;
    const bool given = !settings.coefficients.empty();
    if (given) {
      tables.coefficients = study.model.canonical(
          tarn::coefficients_of(comma_list(settings.coefficients), study.model, "coefficients"));
    } else {
      // As gof without --coef: the pseudo-likelihood estimate.
      tarn::refuse_curved(study.model, "give its weight and decay with the coefficients");
      const tarn::CheckedFit fit = tarn::fit_and_check(study);
      if (!fit.usable()) {
        std::string why;
        for (const auto& w : tarn::worded(fit.warnings)) why += " " + w.message;
        throw ModelError("the fit gave no estimate to simulate from; give the coefficients." + why);
      }
      for (int p = 1; p <= study.model.parameter_count(); ++p) {
        tables.coefficients.push_back(fit.result.estimate(p));
      }
      warnings = fit.warnings;
    }
    const tarn::SamplingSettings sampling{settings.burnin, settings.interval, settings.seed,
                                          settings.threads, settings.chains};
    std::atomic<std::int64_t> done{0};
    std::mutex reporting;
    const tarn::GofCheck check =
        tarn::check_gof(study, tables.coefficients, given, sampling.settings(study),
                        settings.networks, nullptr, [&] {
                          check_cancel(progress);
                          if (progress.report) {
                            const std::lock_guard<std::mutex> lock(reporting);
                            progress.report(++done, settings.networks, "gof");
                          }
                        });
    check_cancel(progress);
    warnings.insert(warnings.end(), check.draw_warnings.begin(), check.draw_warnings.end());
    warnings.insert(warnings.end(), check.sample_warnings.begin(), check.sample_warnings.end());
    warnings.insert(warnings.end(), check.feature_warnings.begin(), check.feature_warnings.end());
    tables.warnings = records_of(tarn::worded(warnings));
    tables.made = !check.degenerate;
    if (tables.made) {
      std::ostringstream csv;
      tarn::write_gof_csv(check.summary, csv);
      tables.csv = csv.str();
    }
    return tables;
  });
}

}  // namespace tarnwick
