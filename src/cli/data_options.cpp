#include "cli/data_options.h"

#include "tarnwick/errors.h"

namespace tarn {

void DataOptions::add(CLI::App& command, tarnwick::ReadOptions& s, bool network_required) {
  CLI::Option* network =
      command.add_option("network", s.network_path,
                         "The network: a record-format file, an edge list (CSV, TSV or blank-"
                         "separated: sender, receiver, optional value) or a Pajek .net file");
  if (network_required) network->required();
  command.add_flag("--diagonal", s.diagonal, "Include the self-pairs (i, i) as dyads");
  command.add_flag("--undirected", s.undirected,
                   "The network is undirected: rows i,j and j,i are one edge, the dyads are "
                   "the n(n-1)/2 pairs");
  command
      .add_option("--bipartite", s.bipartite,
                  "A two-mode network: nodes 1..N1 are the first mode (actors), the rest the "
                  "second (events); links join the modes only (implies --undirected)")
      ->check(CLI::Range(1, tarnwick::most_nodes));
  command.add_flag("--two-mode", s.two_mode,
                   "A two-mode edge list: the senders name the first mode's nodes, the receivers "
                   "the second's, by label, each mode its own labels (implies --undirected)");
  command.add_option("--format", s.format,
                     "Format of the network file: record, csv, tsv, blank or pajek "
                     "(default: from its content and name)");
  command.add_option("--header", s.header,
                     "Whether an edge list's first line is a header: auto, yes or no "
                     "(default auto)");
  command.add_option("--columns", columns,
                     "The columns of an edge list: SENDER,RECEIVER[,VALUE], as names of its "
                     "header or 1-based numbers (default: from the header's names, else 1,2,3)");
  command
      .add_option("--nodes", node_count,
                  "The nodes of an edge list are 1..N, with or without links (its labels "
                  "must be those numbers); simulate without a network: the empty network of N "
                  "nodes")
      ->check(CLI::Range(1, tarnwick::most_nodes));
  command.add_flag("--labels", s.labels,
                   "The ids of an edge list are labels, numbers too (as networkx reads them): "
                   "the nodes are those the file names, numbered in order of appearance");
  command.add_option("--attributes", s.attributes_path,
                     "Node attributes: a record-format file or a table with a header (id "
                     "column first)");
  command.add_option("--attribute-count", s.attribute_count,
                     "Values per record of a record-format attribute file (default: from its "
                     "format line)");
  command.add_option("--block-by", s.block_by,
                     "The blocking attribute: its number or its column name");
  command.add_option("--block-structure", s.block_structure_path,
                     "The block structure: a matrix of block types 0..16, one row per block "
                     "(default: one block type, within blocks)");
  command.add_option("--missing", s.missing_path,
                     "The dyads not observed (NA): an edge list of them, its nodes named as the "
                     "network names them; an edge list's value NA or an empty value marks one too");
  command.add_option("--response", s.response,
                     "A network of counts: the edge list's column of counts (a header's name or "
                     "a 1-based number); the model's terms are then valued terms (sum, nonzero, "
                     "mutual(form=\"min\"), transitiveweights, ...)");
  command.add_option("--reference", s.reference,
                     "The reference measure of a model of counts: Poisson, Geometric, "
                     "Binomial(trials=N), DiscUnif(a, b), or Bernoulli (counts 0 and 1: the "
                     "binary model)");
  command.add_option("--covariate", s.covariate_path,
                     "The comparative network whose values are the covariate (type 16)");
}
void DataOptions::finish(tarnwick::ReadOptions& s) const {
  s.columns.clear();
  if (!columns.empty()) s.columns.push_back(columns);
  s.node_count = node_count;
  tarnwick::check_read_options(s);
}

tarnwick::ReadOptions read_options_of(const std::vector<std::string>& arguments) {
  CLI::App app("data", "data");
  tarnwick::ReadOptions s;
  DataOptions data;
  data.add(app, s);
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    throw tarnwick::ArgumentError(std::string("the data options are not valid: ") + e.what());
  }
  data.finish(s);
  return s;
}

}  // namespace tarn
