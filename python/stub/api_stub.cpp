// TEMPORARY: a stand-in for the library's calls while they are written, so that the Python
// module can be built and its wrapping tried. It knows the term "edges" only. Deleted when the
// library lands.
#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <thread>

#include "tarnwick/tarnwick.h"

namespace tarnwick {

struct Network::Data {
  std::vector<std::string> labels;
  std::vector<std::pair<int, int>> links;
  bool directed = true;
  std::vector<std::string> attributes;
  std::vector<std::string> notes;
};

int Network::node_count() const {
  return static_cast<int>(data_->labels.size());
}
std::int64_t Network::link_count() const {
  return static_cast<std::int64_t>(data_->links.size());
}
bool Network::directed() const {
  return data_->directed;
}
const std::vector<std::string>& Network::labels() const {
  return data_->labels;
}
std::vector<std::pair<int, int>> Network::links() const {
  return data_->links;
}
std::vector<std::string> Network::attribute_names() const {
  return data_->attributes;
}
std::vector<std::string> Network::notes() const {
  return data_->notes;
}

Network read_network(const ReadOptions& options) {
  throw InputError("cannot read \"" + options.network_path + "\" (stub)", options.network_path, 0);
}

Network network_from_links(const std::vector<std::string>& nodes,
                           const std::vector<std::string>& senders,
                           const std::vector<std::string>& receivers, bool directed,
                           const std::vector<AttributeColumn>& attributes) {
  auto data = std::make_shared<Network::Data>();
  data->labels = nodes;
  data->directed = directed;
  std::map<std::string, int> index;
  for (std::size_t i = 0; i < nodes.size(); ++i) index[nodes[i]] = static_cast<int>(i);
  for (std::size_t k = 0; k < senders.size(); ++k) {
    int a = index.at(senders[k]), b = index.at(receivers[k]);
    if (a == b) continue;
    if (!directed && a > b) std::swap(a, b);
    data->links.emplace_back(a, b);
  }
  for (const auto& a : attributes) data->attributes.push_back(a.name);
  return Network(data);
}

static double dyads(const Network& n) {
  const double v = n.node_count();
  return n.directed() ? v * (v - 1) : v * (v - 1) / 2;
}

std::vector<Statistic> summary(const Network& network, const std::string& formula) {
  if (formula != "edges") throw ModelError("unknown term \"" + formula + "\" (stub)");
  return {{"edges", static_cast<double>(network.link_count())}};
}

std::vector<EstimatorInfo> estimators() {
  return {{"mple", "pseudo-likelihood (stub)"}};
}

Estimate fit(const Network& network, const std::string& formula, const FitSettings& settings,
             const Progress& progress) {
  summary(network, formula);
  if (settings.method != "mple" && settings.method != "mcmle") {
    throw ArgumentError("unknown method \"" + settings.method + "\"");
  }
  for (int step = 0; step < 10; ++step) {
    if (progress.cancel && *progress.cancel) throw Cancelled();
    if (progress.report) progress.report(step, 10, "stub");
    std::this_thread::sleep_for(std::chrono::milliseconds(settings.method == "mcmle" ? 500 : 1));
  }
  const double p = network.link_count() / dyads(network);
  Estimate e;
  e.method = settings.method;
  e.errors = settings.errors;
  e.outcome = "converged";
  e.converged = true;
  e.names = {"edges"};
  e.coefficients = {std::log(p / (1 - p))};
  e.std_errors = {std::sqrt(1 / (dyads(network) * p * (1 - p)))};
  e.covariance = {{e.std_errors[0] * e.std_errors[0]}};
  e.screen = "stub fit\n";
  e.json =
      "{\"parameters\": [{\"term\": \"edges\", \"estimate\": " + std::to_string(e.coefficients[0]) +
      "}]}";
  e.csv = "term,estimate,std_error\nedges," + std::to_string(e.coefficients[0]) + "," +
          std::to_string(e.std_errors[0]) + "\n";
  return e;
}

Simulation simulate(const Network& network, const std::string& formula,
                    const SimulateSettings& settings, const Progress& progress) {
  summary(network, formula);
  if (settings.coefficients.size() != 1) throw ArgumentError("one coefficient (stub)");
  std::mt19937_64 random(settings.seed);
  const double p = 1 / (1 + std::exp(-settings.coefficients[0]));
  Simulation s;
  s.statistic_names = {"edges"};
  for (int k = 0; k < settings.networks; ++k) {
    if (progress.cancel && *progress.cancel) throw Cancelled();
    auto data = std::make_shared<Network::Data>(network.data());
    data->links.clear();
    std::bernoulli_distribution tie(p);
    for (int i = 0; i < network.node_count(); ++i) {
      for (int j = network.directed() ? 0 : i + 1; j < network.node_count(); ++j) {
        if (i != j && tie(random)) data->links.emplace_back(i, j);
      }
    }
    s.statistics.push_back({static_cast<double>(data->links.size())});
    s.networks.emplace_back(data);
  }
  return s;
}

}  // namespace tarnwick
