#pragma once
// Tarnwick as a library: read a network (from files, or from arrays of labels and attribute
// columns), the statistics of a statnet formula on it, a fit by one of the estimators, networks
// drawn from a model, and a goodness-of-fit check. The command line is a front end over these
// calls; a program links them by find_package(tarnwick) and target tarnwick::tarnwick.
//
// Errors are exceptions of the types below, with the command line's messages; nothing here
// prints or exits.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tarnwick {

// An input file (or array) that cannot be read or is not valid; `file` and `line` when known
// (line 0: the file as a whole).
class InputError : public std::runtime_error {
 public:
  InputError(const std::string& message, std::string file = {}, int line = 0)
      : std::runtime_error(message), file(std::move(file)), line(line) {}
  std::string file;
  int line = 0;
};

// A formula that names no term, or a term that does not fit the network or its arguments.
class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Settings that do not fit each other or the data (the command line's usage errors).
class ArgumentError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// A network or model larger than the program can hold.
class CapacityError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The work was cancelled through Progress::cancel.
class Cancelled : public std::runtime_error {
 public:
  Cancelled() : std::runtime_error("cancelled") {}
};

// What is read, as the command line's data options say it.
struct ReadOptions {
  std::string network_path;
  std::string format;                // csv, tsv, blank, pajek, matrix, record; empty: detected
  std::string header = "auto";       // auto, yes or no
  std::vector<std::string> columns;  // the sender and receiver columns; empty: from the header
  int node_count = 0;                // the nodes are 1..node_count; 0: from the labels
  bool labels = false;               // integer ids are labels, not node numbers
  bool undirected = false;
  std::string attributes_path;
  std::string covariate_path;  // the second relation (the comparative network)
};

// One attribute of the nodes, a value per node in the order of the node labels: numbers or
// texts. A missing value is NaN or an empty text.
struct AttributeColumn {
  std::string name;
  std::variant<std::vector<double>, std::vector<std::string>> values;
};

// A network with what the terms read of it. Cheap to copy (it shares its data).
class Network {
 public:
  int node_count() const;
  std::int64_t link_count() const;
  bool directed() const;
  const std::vector<std::string>& labels() const;
  // The links as pairs of node indices (0-based), each edge of an undirected network once.
  std::vector<std::pair<int, int>> links() const;
  std::vector<std::string> attribute_names() const;
  // What the readers noticed (a header guessed, rows merged), as the command line words them.
  std::vector<std::string> notes() const;

  struct Data;
  explicit Network(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data& data() const { return *data_; }

 private:
  std::shared_ptr<const Data> data_;
};

// Reads the files the options name. Throws InputError, ArgumentError, CapacityError.
Network read_network(const ReadOptions& options);

// The network of these links between the given node labels (every label a node, isolates
// included; links name nodes by label), with attribute columns of the same length as `nodes`.
// A link given twice is one link; self-links are left out (noted).
Network network_from_links(const std::vector<std::string>& nodes,
                           const std::vector<std::string>& senders,
                           const std::vector<std::string>& receivers, bool directed,
                           const std::vector<AttributeColumn>& attributes = {});

struct Statistic {
  std::string name;
  double value = 0;
};

// The statistics of a statnet formula on the network, named as ergm names them.
std::vector<Statistic> summary(const Network& network, const std::string& formula);

// Progress of long work: `done` of `total` steps as it goes; set `cancel` to stop the work at
// the next step (it throws Cancelled then).
struct Progress {
  std::function<void(std::int64_t done, std::int64_t total, const std::string& stage)> report;
  const std::atomic<bool>* cancel = nullptr;
};

struct FitSettings {
  std::string method = "mple";   // mple or mcmle (estimators())
  std::string errors = "naive";  // mple: naive, godambe or bootstrap
  int replicates = 500;          // godambe and bootstrap
  std::vector<double> init;      // mcmle: the start; empty: the pseudo-likelihood estimate
  int sample_size = 1024;        // mcmle
  int max_iterations = 60;       // mcmle
  std::uint64_t seed = 1;
  int threads = 0;  // 0: every core
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;  // -1: the defaults for the network
};

// The estimators there are, by name, with one line on each.
struct EstimatorInfo {
  std::string name;
  std::string description;
};
std::vector<EstimatorInfo> estimators();

struct WarningRecord {
  std::string code;     // as in the JSON results
  std::string message;  // as the command line words it
};

// One fit: what every estimator gives.
struct Estimate {
  std::string method;
  std::string errors;   // naive, godambe, bootstrap; mcmle: inverse Fisher information
  std::string outcome;  // "converged", or what kept the fit from an estimate (as in the JSON)
  bool converged = false;
  std::vector<std::string> names;
  std::vector<double> coefficients, std_errors;
  std::vector<std::vector<double>> covariance;
  std::optional<double> log_likelihood, aic, bic;
  int iterations = 0;
  double seconds = 0;
  std::vector<WarningRecord> warnings;
  std::string screen;  // the command line's screen summary
  std::string json;    // the command line's JSON results, every figure of the fit
  std::string csv;     // the tidy CSV
};

// Throws ModelError, ArgumentError, InputError (an edgecov file), CapacityError, Cancelled.
Estimate fit(const Network& network, const std::string& formula, const FitSettings& settings = {},
             const Progress& progress = {});

struct SimulateSettings {
  std::vector<double> coefficients;  // one per coefficient of the formula
  int networks = 100;
  std::uint64_t seed = 1;
  int threads = 0;
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;
};

struct Simulation {
  std::vector<std::string> statistic_names;
  std::vector<std::vector<double>> statistics;  // per network
  std::vector<Network> networks;
  std::vector<WarningRecord> warnings;
};

// Networks drawn from the model of `formula` on `network` (its nodes and what the terms read)
// at the coefficients.
Simulation simulate(const Network& network, const std::string& formula,
                    const SimulateSettings& settings, const Progress& progress = {});

struct GofSettings {
  // One per coefficient of the formula; empty: the pseudo-likelihood estimate (as gof without
  // --coef; a model with curved terms needs them given).
  std::vector<double> coefficients;
  int networks = 100;
  std::uint64_t seed = 1;
  int threads = 0;
  int chains = 8;
  std::int64_t burnin = -1, interval = -1;
};

struct GofTables {
  // The command line's `gof --csv`: per feature (degrees, shared partners, geodesic distances,
  // the triad census of a directed network, the model's statistics) and value, the observed
  // figure, the simulated min, mean, max, the 2.5% and 97.5% points, and the p-value.
  std::string csv;
  // False when the networks drawn fill the link store, pile up or split (the warnings say
  // which): the model is degenerate at the coefficients, and there are no tables.
  bool made = false;
  std::vector<double> coefficients;  // drawn from, canonical
  std::vector<WarningRecord> warnings;
};

// The goodness-of-fit check of the command line's gof: networks drawn from the model of
// `formula` at the coefficients, compared with the network. Throws as simulate does, and
// ModelError when no coefficients are given and the pseudo-likelihood gives no estimate.
GofTables gof(const Network& network, const std::string& formula, const GofSettings& settings,
              const Progress& progress = {});

}  // namespace tarnwick
