// The extension module _tarnwick: the library's calls as Python sees them. It keeps to plain
// values (the results as dicts of their numbers, lists, strings); the package tarnwick/ makes
// pandas and networkx objects of them, and hands the results back for their texts. Long work
// (fit, simulate, gof) runs on a worker thread without the GIL while the calling thread checks
// for signals, so that Ctrl-C cancels it within a fraction of a second.

#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "result_values.h"
#include "tarnwick/tarnwick.h"

namespace py = pybind11;
using result_values::result_of;
using result_values::to_python;

namespace {

// The Python classes the library's exceptions become, set by the package at import
// (_set_exception_types), so that they are ordinary Python classes with their own docstrings.
struct ExceptionTypes {
  py::object input, model, argument, capacity;
};

ExceptionTypes& exception_types() {
  // Never destroyed: the objects outlive the interpreter's teardown of the module.
  static auto* types = new ExceptionTypes();
  return *types;
}

void set_exception_types(py::object input, py::object model, py::object argument,
                         py::object capacity) {
  ExceptionTypes& t = exception_types();
  t.input = std::move(input);
  t.model = std::move(model);
  t.argument = std::move(argument);
  t.capacity = std::move(capacity);
}

// Raises an instance of `type` (or of `fallback` before the package set the types).
void raise(const py::object& type, PyObject* fallback, const py::object& instance_args) {
  if (type) {
    py::object instance = type(*instance_args);
    PyErr_SetObject(type.ptr(), instance.ptr());
  } else {
    PyErr_SetObject(fallback, py::str(instance_args[py::int_(0)]).ptr());
  }
}

// The message of an error with the place in its input: file (None: not known), line, column.
template <class Error>
py::tuple placed(const Error& e) {
  return py::make_tuple(e.what(), e.file.empty() ? py::object(py::none()) : py::str(e.file), e.line,
                        e.column);
}

// A setting named as the keyword argument of the package's calls ("ee.gain": ee_gain,
// "networks": n); one the package does not take, as the command line's option.
std::string python_name(const std::string& key) {
  if (key == "networks") return "n";
  if (key == "undirected") return "undirected=True";
  if (key == "diagonal" || key == "block_by" || key == "block_structure" ||
      key == "attribute_count") {
    std::string option = key;
    for (char& c : option) {
      if (c == '_') c = '-';
    }
    return "the command line's --" + option;
  }
  std::string name = key;
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

std::string python_words(const tarnwick::ArgumentError& e) {
  return e.worded(python_name, "=");
}

void translate(std::exception_ptr thrown) {
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const tarnwick::InputError& e) {
    raise(exception_types().input, PyExc_OSError, placed(e));
  } catch (const tarnwick::ModelError& e) {
    raise(exception_types().model, PyExc_ValueError, py::make_tuple(e.what()));
  } catch (const tarnwick::ArgumentError& e) {
    raise(exception_types().argument, PyExc_ValueError, py::make_tuple(python_words(e)));
  } catch (const tarnwick::CapacityError& e) {
    raise(exception_types().capacity, PyExc_MemoryError, placed(e));
  } catch (const tarnwick::Cancelled&) {
    PyErr_SetNone(PyExc_KeyboardInterrupt);
  }
}

// The latest report of the work, handed from the worker thread to the calling thread.
class ProgressState {
 public:
  void set(std::int64_t done, std::int64_t total, const std::string& stage) {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = done;
    total_ = total;
    stage_ = stage;
    fresh_ = true;
  }
  // The report not yet passed on, if any.
  std::optional<std::tuple<std::int64_t, std::int64_t, std::string>> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!fresh_) return std::nullopt;
    fresh_ = false;
    return std::make_tuple(done_, total_, stage_);
  }

 private:
  std::mutex mutex_;
  std::int64_t done_ = 0, total_ = 0;
  std::string stage_;
  bool fresh_ = false;
};

// Runs `work(progress)` on a worker thread without the GIL. Every `poll` the calling thread takes
// the GIL, checks for signals (Ctrl-C raises KeyboardInterrupt there) and passes the latest
// progress to `callback` (a Python callable or None). An exception in either cancels the work
// and is raised once the worker has stopped. Work that counts what it finished on the progress's
// counter instead of reporting (the replicates of simulated errors) is reported as `counted`:
// that many in all, at that stage.
struct Counted {
  std::int64_t total = 0;
  std::string stage;
};

template <typename Result, typename Work>
Result run_cancellable(Work work, const py::object& callback, const Counted& counted = {}) {
  std::atomic<bool> cancel{false};
  std::atomic<std::int64_t> counter{0};
  std::int64_t counter_reported = 0;
  ProgressState state;
  tarnwick::Progress progress;
  progress.cancel = &cancel;
  if (counted.total > 0) progress.counter = &counter;
  progress.report = [&state](std::int64_t done, std::int64_t total, const std::string& stage) {
    state.set(done, total, stage);
  };
  std::packaged_task<Result()> task([&work, &progress]() { return work(progress); });
  std::future<Result> future = task.get_future();
  std::optional<py::error_already_set> python_error;
  {
    py::gil_scoped_release release;
    std::thread worker(std::move(task));
    const auto poll = std::chrono::milliseconds(50);
    for (;;) {
      const bool finished = future.wait_for(poll) == std::future_status::ready;
      if (!python_error) {
        py::gil_scoped_acquire acquire;
        try {
          if (PyErr_CheckSignals() != 0) throw py::error_already_set();
          if (!callback.is_none()) {
            if (auto report = state.take()) {
              callback(std::get<0>(*report), std::get<1>(*report), std::get<2>(*report));
            } else if (counted.total > 0 && counter.load() != counter_reported) {
              counter_reported = counter.load();
              callback(counter_reported, counted.total, counted.stage);
            }
          }
        } catch (py::error_already_set& e) {
          python_error = std::move(e);
          cancel = true;
        }
      }
      if (finished) break;
    }
    worker.join();
  }
  if (python_error) {
    // The work's own result or exception (Cancelled, as a rule) gives way to the Python error.
    try {
      future.get();
    } catch (...) {
    }
    throw std::move(*python_error);
  }
  return future.get();
}

// Attribute columns from a list of (name, values): values all numbers (None is missing) or all
// texts (None is an empty text).
std::vector<tarnwick::AttributeColumn> attribute_columns(const py::list& columns) {
  std::vector<tarnwick::AttributeColumn> result;
  for (const py::handle item : columns) {
    const auto pair = item.cast<py::tuple>();
    tarnwick::AttributeColumn column;
    column.name = pair[0].cast<std::string>();
    const auto values = pair[1].cast<py::list>();
    const auto kind = pair[2].cast<std::string>();
    if (kind == "number") {
      std::vector<double> numbers;
      numbers.reserve(values.size());
      for (const py::handle v : values) {
        numbers.push_back(v.is_none() ? std::nan("") : v.cast<double>());
      }
      column.values = std::move(numbers);
    } else {
      std::vector<std::string> texts;
      texts.reserve(values.size());
      for (const py::handle v : values) {
        texts.push_back(v.is_none() ? std::string() : v.cast<std::string>());
      }
      column.values = std::move(texts);
    }
    result.push_back(std::move(column));
  }
  return result;
}

// The sampler's settings, which fit, simulate and gof take alike.
template <class Settings>
void set_sampling(Settings& s, std::uint64_t seed, int threads, int chains, std::int64_t burnin,
                  std::int64_t interval) {
  s.seed = seed;
  s.threads = threads;
  s.chains = chains;
  s.burnin = burnin;
  s.interval = interval;
}

// A network's counts as three lists: senders, receivers (node indices, 0-based) and counts.
py::tuple count_lists(const tarnwick::Network& network) {
  std::vector<int> senders, receivers, values;
  for (const tarnwick::Network::Count& c : network.counts()) {
    senders.push_back(c.sender);
    receivers.push_back(c.receiver);
    values.push_back(c.value);
  }
  return py::make_tuple(senders, receivers, values);
}

// The network: read from files or built from links, and its statistics.
void bind_networks(py::module_& m) {
  py::class_<tarnwick::Network>(m, "Network")
      .def_property_readonly("node_count", &tarnwick::Network::node_count)
      .def_property_readonly("link_count", &tarnwick::Network::link_count)
      .def_property_readonly("directed", &tarnwick::Network::directed)
      .def_property_readonly("bipartite", &tarnwick::Network::bipartite)
      .def_property_readonly("labels", &tarnwick::Network::labels)
      .def("links", &tarnwick::Network::links)
      .def("attribute_names", &tarnwick::Network::attribute_names)
      .def("notes", &tarnwick::Network::notes)
      .def("missing_dyads", &tarnwick::Network::missing_dyads)
      .def_property_readonly("valued", &tarnwick::Network::valued)
      .def_property_readonly("response", &tarnwick::Network::response)
      .def("counts", [](const tarnwick::Network& network) { return count_lists(network); })
      .def("note_records",
           [](const tarnwick::Network& network) { return to_python(network.note_records()); });

  m.def(
      "with_dyadic_covariates",
      [](const tarnwick::Network& network,
         const std::vector<std::pair<std::string, std::vector<double>>>& matrices) {
        std::vector<tarnwick::DyadicCovariate> covariates;
        for (const auto& [name, values] : matrices) covariates.push_back({name, values});
        return tarnwick::with_dyadic_covariates(network, covariates);
      },
      py::arg("network"), py::arg("matrices"));

  m.def("with_counts", &tarnwick::with_counts, py::arg("network"), py::arg("response"),
        py::arg("senders"), py::arg("receivers"), py::arg("counts"), py::arg("reference") = "");
  m.def("with_reference", &tarnwick::with_reference, py::arg("network"), py::arg("reference"));

  m.def("with_missing_dyads", &tarnwick::with_missing_dyads, py::arg("network"), py::arg("senders"),
        py::arg("receivers"));

  m.def(
      "read_network",
      [](const std::string& network_path, const std::string& format, const std::string& header,
         const std::vector<std::string>& columns, int node_count, bool labels, bool undirected,
         const std::string& attributes_path, const std::string& covariate_path,
         const std::string& missing_path, int bipartite, bool two_mode, const std::string& response,
         const std::string& reference) {
        tarnwick::ReadOptions o;
        o.network_path = network_path;
        o.format = format;
        o.header = header;
        o.columns = columns;
        o.node_count = node_count;
        o.labels = labels;
        o.undirected = undirected;
        o.bipartite = bipartite;
        o.two_mode = two_mode;
        o.attributes_path = attributes_path;
        o.covariate_path = covariate_path;
        o.missing_path = missing_path;
        o.response = response;
        o.reference = reference;
        py::gil_scoped_release release;
        return tarnwick::read_network(o);
      },
      py::arg("network_path"), py::arg("format") = "", py::arg("header") = "auto",
      py::arg("columns") = std::vector<std::string>(), py::arg("node_count") = 0,
      py::arg("labels") = false, py::arg("undirected") = false, py::arg("attributes_path") = "",
      py::arg("covariate_path") = "", py::arg("missing_path") = "", py::arg("bipartite") = 0,
      py::arg("two_mode") = false, py::arg("response") = "", py::arg("reference") = "");

  m.def(
      "two_mode_network_from_links",
      [](const std::vector<std::string>& nodes, const std::vector<int>& senders,
         const std::vector<int>& receivers, int first_mode, const py::list& attributes) {
        const std::vector<tarnwick::AttributeColumn> columns = attribute_columns(attributes);
        py::gil_scoped_release release;
        return tarnwick::two_mode_network_from_links(nodes, senders, receivers, first_mode,
                                                     columns);
      },
      py::arg("nodes"), py::arg("senders"), py::arg("receivers"), py::arg("first_mode"),
      py::arg("attributes") = py::list());

  m.def(
      "network_from_links",
      // Links by node position: two lists of integers cross from Python far faster than two
      // million texts.
      [](const std::vector<std::string>& nodes, const std::vector<int>& senders,
         const std::vector<int>& receivers, bool directed, const py::list& attributes) {
        const std::vector<tarnwick::AttributeColumn> columns = attribute_columns(attributes);
        py::gil_scoped_release release;
        return tarnwick::network_from_links(nodes, senders, receivers, directed, columns);
      },
      py::arg("nodes"), py::arg("senders"), py::arg("receivers"), py::arg("directed"),
      py::arg("attributes") = py::list());

  py::class_<tarnwick::Model>(m, "Model")
      .def_property_readonly("network", &tarnwick::Model::network)
      .def_property_readonly("formula", &tarnwick::Model::formula)
      .def_property_readonly("statistic_names", &tarnwick::Model::statistic_names)
      .def_property_readonly("configuration_types_only", &tarnwick::Model::configuration_types_only)
      .def("notes", [](const tarnwick::Model& model) { return to_python(model.notes()); });

  m.def(
      "build_model",
      [](const tarnwick::Network& network, const std::string& formula) {
        py::gil_scoped_release release;
        return tarnwick::build_model(network, formula);
      },
      py::arg("network"), py::arg("formula"));

  m.def(
      "statistics",
      [](const tarnwick::Model& model) {
        tarnwick::StatisticsReport report;
        {
          py::gil_scoped_release release;
          report = tarnwick::statistics_report(model);
        }
        return to_python(report);
      },
      py::arg("model"));

  m.def(
      "tie_probabilities",
      [](const tarnwick::Model& model, const std::vector<double>& coefficients) {
        std::vector<tarnwick::TieProbability> rows;
        {
          py::gil_scoped_release release;
          rows = tarnwick::tie_probabilities(model, coefficients);
        }
        std::vector<int> tails, heads;
        std::vector<double> probabilities;
        for (const tarnwick::TieProbability& row : rows) {
          tails.push_back(row.tail);
          heads.push_back(row.head);
          probabilities.push_back(row.probability);
        }
        return py::make_tuple(tails, heads, probabilities);
      },
      py::arg("model"), py::arg("coefficients"));
}

// The estimators and the fit.
void bind_fitting(py::module_& m) {
  m.def("estimators", []() {
    py::list result;
    for (const auto& e : tarnwick::estimators()) {
      result.append(py::make_tuple(e.name, e.description, e.by_mcmc));
    }
    return result;
  });

  m.def(
      "fit",
      [](const tarnwick::Model& model, const std::string& method, const std::string& errors,
         int replicates, const std::vector<double>& init, int sample_size, int max_iterations,
         double error_precision, std::uint64_t seed, int threads, int chains, std::int64_t burnin,
         std::int64_t interval, std::int64_t dyad_sample, int ee_tasks, double ee_gain,
         int ee_draws, const std::vector<double>& offset_coef, const std::string& constraints,
         const py::object& progress) {
        tarnwick::FitSettings s;
        s.offset_coef = offset_coef;
        s.constraints = constraints;
        s.method = method;
        s.errors = errors;
        s.replicates = replicates;
        s.dyad_sample = dyad_sample;
        s.init = init;
        s.sample_size = sample_size;
        s.max_iterations = max_iterations;
        s.error_precision = error_precision;
        s.equilibrium.tasks = ee_tasks;
        s.equilibrium.gain = ee_gain;
        s.equilibrium.effective_draws = ee_draws;
        set_sampling(s, seed, threads, chains, burnin, interval);
        // Simulated errors count their replicates.
        const bool simulated = errors == "bootstrap" || errors == "godambe";
        const auto estimate = run_cancellable<tarnwick::Estimate>(
            [&](const tarnwick::Progress& p) { return tarnwick::fit(model, s, p); }, progress,
            simulated ? Counted{replicates, errors} : Counted{});
        return to_python(estimate);
      },
      py::arg("model"), py::arg("method") = "mple", py::arg("errors") = "naive",
      py::arg("replicates") = 500, py::arg("init") = std::vector<double>(),
      py::arg("sample_size") = 1024, py::arg("max_iterations") = 60,
      py::arg("error_precision") = 0.05, py::arg("seed") = 1, py::arg("threads") = 0,
      py::arg("chains") = 8, py::arg("burnin") = -1, py::arg("interval") = -1,
      py::arg("dyad_sample") = -1, py::arg("ee_tasks") = 4, py::arg("ee_gain") = 0.03,
      py::arg("ee_draws") = 128, py::arg("offset_coef") = std::vector<double>(),
      py::arg("constraints") = std::string(), py::arg("progress") = py::none());
}

// Networks drawn from a model, and the goodness of fit.
void bind_simulation(py::module_& m) {
  m.def(
      "simulate",
      [](const tarnwick::Model& model, const std::vector<double>& coefficients, int networks,
         std::uint64_t seed, int threads, int chains, std::int64_t burnin, std::int64_t interval,
         const std::vector<double>& offset_coef, const std::string& constraints,
         const py::object& progress) {
        tarnwick::SimulateSettings s;
        s.coefficients = coefficients;
        s.offset_coef = offset_coef;
        s.constraints = constraints;
        s.networks = networks;
        set_sampling(s, seed, threads, chains, burnin, interval);
        const auto simulation = run_cancellable<tarnwick::SimulationResult>(
            [&](const tarnwick::Progress& p) { return tarnwick::simulate(model, s, p); }, progress);
        py::dict d;
        d["outcome"] = to_python(simulation.outcome);
        d["sample"] = to_python(simulation.sample);
        d["coefficients"] = to_python(simulation.coefficients);
        py::list links;
        py::list counts;  // of a model of counts: each network's counts, else None
        for (const auto& n : simulation.networks) {
          links.append(py::cast(n.links()));
          counts.append(n.valued() ? py::object(count_lists(n)) : py::object(py::none()));
        }
        d["links"] = links;
        d["counts"] = counts;
        d["notes"] = to_python(simulation.notes);
        d["warnings"] = to_python(simulation.warnings);
        return d;
      },
      py::arg("model"), py::arg("coefficients"), py::arg("networks") = 100, py::arg("seed") = 1,
      py::arg("threads") = 0, py::arg("chains") = 8, py::arg("burnin") = -1,
      py::arg("interval") = -1, py::arg("offset_coef") = std::vector<double>(),
      py::arg("constraints") = std::string(), py::arg("progress") = py::none());
  m.def(
      "gof",
      [](const tarnwick::Model& model, const std::vector<double>& coefficients, int networks,
         std::uint64_t seed, int threads, int chains, std::int64_t burnin, std::int64_t interval,
         const std::vector<double>& offset_coef, const std::string& constraints,
         const py::object& progress) {
        tarnwick::GofSettings s;
        s.coefficients = coefficients;
        s.offset_coef = offset_coef;
        s.constraints = constraints;
        s.networks = networks;
        set_sampling(s, seed, threads, chains, burnin, interval);
        const auto tables = run_cancellable<tarnwick::GofTables>(
            [&](const tarnwick::Progress& p) { return tarnwick::gof(model, s, p); }, progress);
        return to_python(tables);
      },
      py::arg("model"), py::arg("coefficients") = std::vector<double>(), py::arg("networks") = 100,
      py::arg("seed") = 1, py::arg("threads") = 0, py::arg("chains") = 8, py::arg("burnin") = -1,
      py::arg("interval") = -1, py::arg("offset_coef") = std::vector<double>(),
      py::arg("constraints") = std::string(), py::arg("progress") = py::none());
}

// The texts of the results (tarnwick/reporting.h), from the values the calls above return.
void bind_reporting(py::module_& m) {
  m.def("fit_screen",
        [](py::dict e) { return tarnwick::fit_screen(result_of<tarnwick::Estimate>(e)); });
  m.def("ergm_summary",
        [](py::dict e) { return tarnwick::ergm_summary(result_of<tarnwick::Estimate>(e)); });
  m.def("fit_json",
        [](py::dict e) { return tarnwick::fit_json(result_of<tarnwick::Estimate>(e)); });
  m.def("fit_csv", [](py::dict e) { return tarnwick::fit_csv(result_of<tarnwick::Estimate>(e)); });
  m.def("dialogue_report",
        [](py::dict e) { return tarnwick::dialogue_report(result_of<tarnwick::Estimate>(e)); });
  m.def("diagnostics_svg",
        [](py::dict e) { return tarnwick::diagnostics_svg(result_of<tarnwick::Estimate>(e)); });
  m.def("diagnostics_html",
        [](py::dict e) { return tarnwick::diagnostics_html(result_of<tarnwick::Estimate>(e)); });
  m.def("sample_table",
        [](py::dict s) { return tarnwick::sample_table(result_of<tarnwick::SampleFigures>(s)); });
  m.def("sample_csv",
        [](py::dict s) { return tarnwick::sample_csv(result_of<tarnwick::SampleFigures>(s)); });
  m.def("gof_screen",
        [](py::dict t) { return tarnwick::gof_screen(result_of<tarnwick::GofTables>(t)); });
  m.def("gof_csv", [](py::dict t) { return tarnwick::gof_csv(result_of<tarnwick::GofTables>(t)); });
  m.def("gof_svg", [](py::dict t) { return tarnwick::gof_svg(result_of<tarnwick::GofTables>(t)); });
  m.def("gof_html",
        [](py::dict t) { return tarnwick::gof_html(result_of<tarnwick::GofTables>(t)); });
  m.def("statistics_table", [](py::dict r) {
    return tarnwick::statistics_table(result_of<tarnwick::StatisticsReport>(r));
  });
  m.def("statistics_json", [](py::dict r) {
    return tarnwick::statistics_json(result_of<tarnwick::StatisticsReport>(r));
  });
  m.def("statistics_csv", [](py::dict r) {
    return tarnwick::statistics_csv(result_of<tarnwick::StatisticsReport>(r));
  });
}

}  // namespace

PYBIND11_MODULE(_tarnwick, m) {
  m.doc() = "The Tarnwick library's calls (the package tarnwick wraps them).";
  py::register_exception_translator(translate);
  m.def("_set_exception_types", &set_exception_types);
  m.def(
      "python_message",
      [](const py::dict& record) {
        return tarnwick::worded(result_values::result_of<tarnwick::WarningRecord>(record),
                                python_name, "=");
      },
      py::arg("record"));
  bind_networks(m);
  bind_fitting(m);
  bind_simulation(m);
  bind_reporting(m);
}
