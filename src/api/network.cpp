#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "api/api_errors.h"
#include "api/network_data.h"
#include "io/data_arguments.h"
#include "network/capacity.h"
#include "network/undirected_network.h"
#include "report/warning_text.h"

static_assert(tarnwick::most_nodes == tarn::command_line_limits.nodes);

namespace tarnwick {

namespace {

std::vector<InputFile> files_of(const tarn::StudyOptions& options) {
  std::vector<InputFile> files;
  for (const auto& [path, option] : options.input_files()) {
    if (!path.empty()) files.push_back({path, option});
  }
  return files;
}

}  // namespace

int Network::node_count() const {
  return data_->input.network.node_count;
}
std::int64_t Network::link_count() const {
  return data_->input.network.link_count;
}
bool Network::directed() const {
  return data_->input.directed;
}
int Network::bipartite() const {
  return data_->input.network.bipartite;
}
const std::vector<std::string>& Network::labels() const {
  return data_->labels;
}

bool Network::valued() const {
  return data_->input.counts != nullptr;
}
std::string Network::response() const {
  return data_->input.response;
}
std::vector<Network::Count> Network::counts() const {
  std::vector<Count> counts;
  if (!data_->input.counts) return counts;
  const tarn::ValuedGraph& g = *data_->input.counts;
  for (int i = 1; i <= g.node_count(); ++i) {
    for (const tarn::ValuedEntry& e : g.out(i)) {
      if (g.directed() || e.node > i) counts.push_back({i - 1, e.node - 1, e.value});
    }
  }
  return counts;
}

std::vector<std::pair<int, int>> Network::links() const {
  const tarn::Network& network = data_->input.network;
  std::vector<std::pair<int, int>> links;
  links.reserve(static_cast<std::size_t>(network.link_count));
  for (int a = 1; a <= network.node_count; ++a) {
    for (const auto b : network.out_list(a)) links.emplace_back(a - 1, std::abs(b) - 1);
  }
  return links;
}

std::vector<std::string> Network::attribute_names() const {
  std::vector<std::string> names;
  for (const auto& column : data_->input.covariates.columns) names.push_back(column.name);
  return names;
}

std::vector<InputFile> Network::input_files() const {
  if (data_->options.network_text != nullptr) return {};
  return files_of(data_->options);
}

std::vector<std::string> Network::notes() const {
  std::vector<std::string> notes;
  for (const WarningRecord& w : note_records()) notes.push_back(w.message);
  return notes;
}

std::vector<std::pair<int, int>> Network::missing_dyads() const {
  std::vector<std::pair<int, int>> dyads;
  for (const auto& [i, j] : data_->input.missing_dyads) dyads.emplace_back(i - 1, j - 1);
  return dyads;
}

std::vector<WarningRecord> Network::note_records() const {
  return tarn::worded(data_->input.notes, "data");
}

namespace {

Network network_of(tarn::StudyOptions options) {
  return tarn::with_library_errors([&] {
    auto data = std::make_shared<Network::Data>();
    data->input = tarn::load_input_data(options);
    data->options = std::move(options);
    const tarn::InputData& input = data->input;
    for (int a = 1; a <= input.network.node_count; ++a) {
      data->labels.push_back(input.labels.name(a));
    }
    return Network(std::move(data));
  });
}

// A CSV field: quoted when it holds a delimiter, a quote or a line end, or is empty (an empty
// field is a missing value; a label is never empty).
std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos && !text.empty()) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

std::string number_text(double value) {
  if (std::isnan(value)) return std::string();
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string attribute_value(const AttributeColumn& column, std::size_t row) {
  if (const auto* numbers = std::get_if<std::vector<double>>(&column.values)) {
    return number_text((*numbers)[row]);
  }
  return csv_field(std::get<std::vector<std::string>>(column.values)[row]);
}

// The network of `options` with the nodes' labels, and their attributes read as a CSV table of
// the nodes in order (the one reader of attribute tables).
Network labelled_network(tarn::StudyOptions options, const std::vector<std::string>& nodes,
                         const std::vector<AttributeColumn>& attributes) {
  if (!attributes.empty()) {
    std::string table = "id";
    for (const AttributeColumn& column : attributes) table += ',' + csv_field(column.name);
    table += '\n';
    for (std::size_t row = 0; row < nodes.size(); ++row) {
      table += std::to_string(row + 1);
      for (const AttributeColumn& column : attributes) table += ',' + attribute_value(column, row);
      table += '\n';
    }
    options.attributes_path = "<nodes>";
    options.attributes_format = tarn::NetworkFormat::csv;
    options.attributes_text = std::make_shared<const std::string>(std::move(table));
  }
  Network network = network_of(std::move(options));
  auto data = std::make_shared<Network::Data>(network.data());
  data->labels = nodes;
  data->input.labels = tarn::NodeLabels(nodes);
  return Network(std::move(data));
}

void check_arrays(const std::vector<std::string>& nodes, std::size_t senders, std::size_t receivers,
                  const std::vector<AttributeColumn>& attributes) {
  if (senders != receivers) {
    throw ArgumentError("senders and receivers differ in length (" + std::to_string(senders) +
                        " and " + std::to_string(receivers) + ")");
  }
  for (const AttributeColumn& column : attributes) {
    const std::size_t size = std::visit([](const auto& v) { return v.size(); }, column.values);
    if (size != nodes.size()) {
      throw ArgumentError("attribute " + column.name + " has " + std::to_string(size) +
                          " values for " + std::to_string(nodes.size()) + " nodes");
    }
  }
  for (const std::string& label : nodes) {
    if (label.empty()) throw ArgumentError("a node label is empty");
  }
}

// The options' paths and flags as the core's options, the values of --format, --header and
// --columns not yet read.
tarn::StudyOptions paths_of(const ReadOptions& o) {
  tarn::StudyOptions options;
  options.network_path = o.network_path;
  options.node_count = o.node_count;
  options.labels = o.labels;
  options.diagonal = o.diagonal;
  options.undirected = o.undirected;
  options.bipartite = o.bipartite;
  options.two_mode = o.two_mode;
  options.attributes_path = o.attributes_path;
  if (o.attribute_count >= 0) options.attribute_count = o.attribute_count;
  options.block_by = o.block_by;
  options.block_structure_path = o.block_structure_path;
  options.covariate_path = o.covariate_path;
  options.missing_path = o.missing_path;
  options.response = o.response;
  options.reference = o.reference;
  return options;
}

tarn::StudyOptions options_of(const ReadOptions& o) {
  tarn::StudyOptions options = paths_of(o);
  tarn::with_library_errors([&] {
    options.format = tarn::format_option(o.format);
    options.header = tarn::header_option(o.header);
    if (!o.columns.empty()) {
      std::string list;
      for (const std::string& c : o.columns) list += (list.empty() ? "" : ",") + c;
      options.columns = tarn::columns_option(list);
    }
    return 0;
  });
  return options;
}

}  // namespace

Network read_network(const ReadOptions& o) {
  return network_of(options_of(o));
}

void check_read_options(const ReadOptions& options) {
  options_of(options);
}

std::vector<std::string> data_arguments(const ReadOptions& options) {
  return tarn::data_arguments(options_of(options));
}

std::vector<InputFile> input_files(const ReadOptions& options) {
  return files_of(paths_of(options));
}

// An edge list holds at least one link: nodes without any are the empty network of their count
// (as the command line's --nodes makes it), their attributes a table by node number, and the
// labels those given.
namespace {
Network network_without_links(const std::vector<std::string>& nodes, bool directed,
                              const std::vector<AttributeColumn>& attributes) {
  std::set<std::string> seen;
  for (const std::string& label : nodes) {
    if (!seen.insert(label).second) {
      throw ArgumentError("the node " + label + " is given twice");
    }
  }
  tarn::StudyOptions options;
  options.node_count = static_cast<int>(nodes.size());
  options.undirected = !directed;
  return labelled_network(std::move(options), nodes, attributes);
}
}  // namespace

// The arrays become the text of an edge list and of an attribute table, read as the command line
// reads such files with --labels: the same checks, notes and node order.
namespace {

// The links as the text of an edge list, each end written as its node's CSV field, and the nodes
// as that of an attribute table (every node a row, isolates too), read as the command line reads
// such files with --labels.
template <class SenderField, class ReceiverField>
Network network_from_fields(const std::vector<std::string>& nodes, std::size_t link_count,
                            SenderField sender_field, ReceiverField receiver_field, bool directed,
                            const std::vector<AttributeColumn>& attributes) {
  std::string links = "sender,receiver\n";
  for (std::size_t k = 0; k < link_count; ++k) {
    links += sender_field(k);
    links += ',';
    links += receiver_field(k);
    links += '\n';
  }
  std::string table = "id";
  for (const AttributeColumn& column : attributes) table += ',' + csv_field(column.name);
  table += '\n';
  for (std::size_t row = 0; row < nodes.size(); ++row) {
    table += csv_field(nodes[row]);
    for (const AttributeColumn& column : attributes) table += ',' + attribute_value(column, row);
    table += '\n';
  }
  tarn::StudyOptions options;
  options.network_path = "<links>";
  options.format = tarn::NetworkFormat::csv;
  options.header = tarn::HeaderRule::present;
  options.labels = true;
  options.undirected = !directed;
  options.network_text = std::make_shared<const std::string>(std::move(links));
  if (!nodes.empty()) {
    options.attributes_path = "<nodes>";
    options.attributes_format = tarn::NetworkFormat::csv;
    options.attributes_text = std::make_shared<const std::string>(std::move(table));
  }
  return network_of(std::move(options));
}

}  // namespace

Network network_from_links(const std::vector<std::string>& nodes,
                           const std::vector<std::string>& senders,
                           const std::vector<std::string>& receivers, bool directed,
                           const std::vector<AttributeColumn>& attributes) {
  check_arrays(nodes, senders.size(), receivers.size(), attributes);
  if (senders.empty()) return network_without_links(nodes, directed, attributes);
  return network_from_fields(
      nodes, senders.size(), [&](std::size_t k) { return csv_field(senders[k]); },
      [&](std::size_t k) { return csv_field(receivers[k]); }, directed, attributes);
}

Network network_from_links(const std::vector<std::string>& nodes, const std::vector<int>& senders,
                           const std::vector<int>& receivers, bool directed,
                           const std::vector<AttributeColumn>& attributes) {
  check_arrays(nodes, senders.size(), receivers.size(), attributes);
  for (const std::vector<int>* ends : {&senders, &receivers}) {
    for (const int k : *ends) {
      if (k < 0 || static_cast<std::size_t>(k) >= nodes.size()) {
        throw ArgumentError("a link names node " + std::to_string(k) + ", not a position among " +
                            std::to_string(nodes.size()) + " nodes");
      }
    }
  }
  if (senders.empty()) return network_without_links(nodes, directed, attributes);
  std::vector<std::string> fields;
  fields.reserve(nodes.size());
  for (const std::string& label : nodes) fields.push_back(csv_field(label));
  const auto field = [&](int k) -> const std::string& { return fields[std::size_t(k)]; };
  return network_from_fields(
      nodes, senders.size(), [&](std::size_t k) -> const std::string& { return field(senders[k]); },
      [&](std::size_t k) -> const std::string& { return field(receivers[k]); }, directed,
      attributes);
}

Network two_mode_network_from_links(const std::vector<std::string>& nodes,
                                    const std::vector<int>& senders,
                                    const std::vector<int>& receivers, int first_mode,
                                    const std::vector<AttributeColumn>& attributes) {
  check_arrays(nodes, senders.size(), receivers.size(), attributes);
  const auto n = static_cast<int>(nodes.size());
  if (first_mode < 1 || first_mode >= n) {
    throw ArgumentError("bipartite=" + std::to_string(first_mode) + ": give a number within 1.." +
                        std::to_string(n - 1) + " (there are " + std::to_string(n) + " nodes)");
  }
  // Numbered as given (node k is k + 1), so that the first mode is nodes 1..first_mode.
  std::string links = "sender,receiver\n";
  for (std::size_t k = 0; k < senders.size(); ++k) {
    for (const int end : {senders[k], receivers[k]}) {
      if (end < 0 || end >= n) {
        throw ArgumentError("a link names node " + std::to_string(end) + ", not a position among " +
                            std::to_string(n) + " nodes");
      }
    }
    links += std::to_string(senders[k] + 1) + ',' + std::to_string(receivers[k] + 1) + '\n';
  }
  tarn::StudyOptions options;
  options.node_count = n;
  options.bipartite = first_mode;
  if (!senders.empty()) {
    options.network_path = "<links>";
    options.format = tarn::NetworkFormat::csv;
    options.header = tarn::HeaderRule::present;
    options.network_text = std::make_shared<const std::string>(std::move(links));
  }
  return labelled_network(std::move(options), nodes, attributes);
}

Network with_missing_dyads(const Network& network, const std::vector<int>& senders,
                           const std::vector<int>& receivers) {
  if (senders.size() != receivers.size()) {
    throw ArgumentError("missing dyads: senders and receivers differ in length (" +
                        std::to_string(senders.size()) + " and " +
                        std::to_string(receivers.size()) + ")");
  }
  auto data = std::make_shared<Network::Data>(network.data());
  const tarn::InputData& input = data->input;
  const int n = input.network.node_count;
  tarn::MissingRows rows{"missing dyads", {}};
  for (std::size_t k = 0; k < senders.size(); ++k) {
    for (const int end : {senders[k], receivers[k]}) {
      if (end < 0 || end >= n) {
        throw ArgumentError("missing dyad " + std::to_string(k + 1) + " names node " +
                            std::to_string(end) + ", not a position among " + std::to_string(n) +
                            " nodes");
      }
    }
    rows.rows.push_back({senders[k] + 1, receivers[k] + 1, static_cast<long>(k + 1)});
  }
  for (const auto& [i, j] : input.missing_dyads) rows.rows.push_back({i, j, 0});
  data->input.missing_dyads = tarn::with_library_errors([&] {
    return tarn::settle_missing_dyads(input.network, std::span(&rows, 1), input.directed,
                                      input.include_diagonal, input.labels);
  });
  if (input.counts) {
    auto counts = std::make_shared<tarn::ValuedGraph>(*input.counts);
    counts->set_missing(data->input.missing_dyads);
    data->input.counts = std::move(counts);
  }
  return Network(std::move(data));
}

Network with_counts(const Network& network, const std::string& response,
                    const std::vector<int>& senders, const std::vector<int>& receivers,
                    const std::vector<int>& counts, const std::string& reference) {
  if (senders.size() != receivers.size() || senders.size() != counts.size()) {
    throw ArgumentError("counts: senders, receivers and counts differ in length (" +
                        std::to_string(senders.size()) + ", " + std::to_string(receivers.size()) +
                        " and " + std::to_string(counts.size()) + ")");
  }
  if (response.empty()) throw ArgumentError("counts: name the response");
  auto data = std::make_shared<Network::Data>(network.data());
  tarn::InputData& input = data->input;
  const int n = input.network.node_count;
  auto graph = std::make_shared<tarn::ValuedGraph>(n, input.directed);
  for (std::size_t k = 0; k < counts.size(); ++k) {
    int a = senders[k], b = receivers[k];
    const std::string what = "count " + std::to_string(k + 1) + " (" + response + ")";
    if (a < 0 || a >= n || b < 0 || b >= n) {
      throw ArgumentError(what + " names a node that is not a position among " + std::to_string(n) +
                          " nodes");
    }
    if (a == b) throw ArgumentError(what + " is of a self-pair, which is no dyad");
    if (counts[k] < 0) throw ArgumentError(what + " is negative: " + std::to_string(counts[k]));
    if (!input.directed && a > b) std::swap(a, b);
    const int before = graph->value(a + 1, b + 1);
    if (before != 0 && before != counts[k]) {
      throw ArgumentError(what + " gives the pair " + std::to_string(a) + ", " + std::to_string(b) +
                          " the count " + std::to_string(counts[k]) + " after " +
                          std::to_string(before));
    }
    graph->set(a + 1, b + 1, counts[k]);
  }
  // The counts above 0 must be the links, each once.
  std::int64_t links = 0;
  for (int a = 1; a <= n; ++a) {
    for (const tarn::node_id entry : input.network.out_list(a)) {
      const int b = std::abs(entry);
      if (graph->value(a, b) == 0) {
        throw ArgumentError("counts (" + response + "): the link " + input.labels.name(a) + " " +
                            input.labels.name(b) + " has no count above 0");
      }
      ++links;
    }
  }
  if (links != graph->nonzero_count()) {
    throw ArgumentError("counts (" + response + "): " + std::to_string(graph->nonzero_count()) +
                        " dyads have a count above 0, but the network has " +
                        std::to_string(links) + " links; a count above 0 must be a link");
  }
  graph->set_missing(input.missing_dyads);
  input.counts = std::move(graph);
  input.response = response;
  data->options.response = response;
  data->options.reference = reference;
  return Network(std::move(data));
}

Network with_reference(const Network& network, const std::string& reference) {
  if (!network.valued()) throw ArgumentError("reference: the network has no counts (response)");
  auto data = std::make_shared<Network::Data>(network.data());
  data->options.reference = reference;
  return Network(std::move(data));
}

Network with_dyadic_covariates(const Network& network,
                               const std::vector<DyadicCovariate>& covariates) {
  auto data = std::make_shared<Network::Data>(network.data());
  const int n = network.node_count();
  for (const DyadicCovariate& covariate : covariates) {
    const std::string what = "covariate \"" + covariate.name + "\": ";
    if (covariate.values.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(n)) {
      throw ArgumentError(what + "give a matrix of " + std::to_string(n) + " by " +
                          std::to_string(n) + " values, one per pair of nodes");
    }
    std::vector<tarn::DyadValues::Entry> entries;
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) {
        const double v = covariate.values[std::size_t(i - 1) * std::size_t(n) + std::size_t(j - 1)];
        if (!std::isfinite(v)) {
          throw ArgumentError(what + "the value of row " + std::to_string(i) + ", column " +
                              std::to_string(j) + " is not a finite number");
        }
        if (v != 0 && i != j) entries.push_back({i, j, v});
      }
    }
    tarn::DyadValues values(n, std::move(entries));
    if (!data->input.directed) values = tarn::undirected_values(values).values;
    std::erase_if(data->input.named_covariates,
                  [&](const auto& named) { return named.first == covariate.name; });
    data->input.named_covariates.emplace_back(
        covariate.name, std::make_shared<const tarn::DyadValues>(std::move(values)));
  }
  return Network(std::move(data));
}

}  // namespace tarnwick
