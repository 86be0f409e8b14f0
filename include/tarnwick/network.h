#pragma once
// A network read from files or built from arrays, and the statistics of a statnet formula on it.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "tarnwick/results/warning.h"

namespace tarnwick {

// The most nodes a network read by the library may have (its node numbers are 32-bit; memory
// grows with the nodes and links, with no table of every pair).
inline constexpr int most_nodes = 100000000;

// What is read, as the command line's data options say it.
struct ReadOptions {
  std::string network_path;
  std::string format;                // csv, tsv, blank, pajek, matrix, record; empty: detected
  std::string header = "auto";       // auto, yes or no
  std::vector<std::string> columns;  // the sender and receiver columns; empty: from the header
  int node_count = 0;                // the nodes are 1..node_count; 0: from the labels
  bool labels = false;               // integer ids are labels, not node numbers
  bool diagonal = false;             // the self-pairs (i, i) are dyads (pseudo-likelihood only)
  bool undirected = false;
  int bipartite = 0;  // a two-mode network: nodes 1..bipartite the first mode (implies undirected)
  // A two-mode edge list: senders name the first mode's nodes, receivers the second's, by label,
  // each mode its own labels (implies undirected).
  bool two_mode = false;
  std::string attributes_path;
  int attribute_count = -1;  // values per record of a record-format attribute file; -1: its format
  std::string block_by;      // the blocking attribute: its number or its column name
  std::string block_structure_path;  // the block types 0..16 per block; empty: within blocks
  std::string covariate_path;        // the second relation (the comparative network)
  std::string missing_path;          // an edge list of the dyads not observed (NA)
  // A network of counts (ergm's response=): the edge list's column of counts, by its header's
  // name or its 1-based number; the links are the dyads of non-zero count. Empty: binary.
  std::string response;
  // The reference measure of a model of counts, as ergm writes it: Poisson, Geometric,
  // Binomial(trials=N), DiscUnif(a, b), or Bernoulli (the binary model, counts 0 and 1 only).
  // Needed to fit or simulate a model of counts, not for its statistics.
  std::string reference;
};

// A file a network was read from, with the option that named it ("the network argument",
// "--attributes", ..., "edgecov in --model"): a front end writes no output over one.
struct InputFile {
  std::string path;
  std::string option;
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
  // A two-mode network: nodes 1..bipartite() are the first mode, the rest the second; 0: one mode.
  int bipartite() const;
  const std::vector<std::string>& labels() const;
  // The links as pairs of node indices (0-based), each edge of an undirected network once.
  std::vector<std::pair<int, int>> links() const;
  std::vector<std::string> attribute_names() const;
  // The files it was read from (none for a network built from arrays).
  std::vector<InputFile> input_files() const;
  // What the readers noticed (a header guessed, rows merged), as the command line words them.
  std::vector<std::string> notes() const;
  // The same as records: code, figures and the settings a note names (WarningRecord::worded).
  std::vector<WarningRecord> note_records() const;
  // The dyads not observed (NA): neither links nor none, as pairs of node indices (0-based),
  // sorted; undirected (i, j) with i < j.
  std::vector<std::pair<int, int>> missing_dyads() const;
  // A network of counts (read with a response column): its column, and the dyads of non-zero
  // count as (sender, receiver, count), node indices 0-based, undirected sender < receiver.
  bool valued() const;
  std::string response() const;
  struct Count {
    int sender = 0, receiver = 0;
    int value = 0;
  };
  std::vector<Count> counts() const;

  struct Data;
  explicit Network(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data& data() const { return *data_; }

 private:
  std::shared_ptr<const Data> data_;
};

// Reads the files the options name. Throws InputError, ArgumentError, CapacityError.
Network read_network(const ReadOptions& options);

// Throws ArgumentError, as read_network does, for a format, header or column list it does not
// take, without reading anything.
void check_read_options(const ReadOptions& options);

// The options as the command line's arguments: the network, then the options that differ from
// their defaults (what a fit's JSON results keep of its data).
std::vector<std::string> data_arguments(const ReadOptions& options);

// The files the options name, with the options that name them (a front end writes no output over
// one).
std::vector<InputFile> input_files(const ReadOptions& options);

// The network of these links between the given node labels (every label a node, isolates
// included; links name nodes by label), with attribute columns of the same length as `nodes`.
// A link given twice is one link; self-links are left out (noted).
Network network_from_links(const std::vector<std::string>& nodes,
                           const std::vector<std::string>& senders,
                           const std::vector<std::string>& receivers, bool directed,
                           const std::vector<AttributeColumn>& attributes = {});
// The same with links that name their nodes by position in `nodes` (0-based): the form to use
// for large networks, whose labels are then not copied and looked up once per link end.
Network network_from_links(const std::vector<std::string>& nodes, const std::vector<int>& senders,
                           const std::vector<int>& receivers, bool directed,
                           const std::vector<AttributeColumn>& attributes = {});

// A dyadic covariate given as a matrix by name: the value of the dyad (i, j) at row i, column j,
// nodes in the order of the network's labels, n * n values row by row (0 is no value; the
// diagonal is not read). Undirected, the pair i < j takes the value at (i, j), else at (j, i), as
// a covariate file's rows do.
struct DyadicCovariate {
  std::string name;
  std::vector<double> values;
};

// The network with these covariates, which edgecov("name"), dyadcov("name") and hamming("name")
// read by name before any file. Throws ArgumentError for a matrix that is not n by n or holds a
// value that is not finite.
Network with_dyadic_covariates(const Network& network,
                               const std::vector<DyadicCovariate>& covariates);

// The two-mode network of these links (node positions, 0-based) between the given nodes, the
// first `first_mode` of them the first mode, in the order given. Throws ArgumentError (a link
// within a mode names the option bipartite) as network_from_links does.
Network two_mode_network_from_links(const std::vector<std::string>& nodes,
                                    const std::vector<int>& senders,
                                    const std::vector<int>& receivers, int first_mode,
                                    const std::vector<AttributeColumn>& attributes = {});

// The network with these dyads not observed besides any it has (NA; node indices, 0-based, as
// network_from_links takes them). Throws ArgumentError for a dyad that is a link or names no node.
Network with_missing_dyads(const Network& network, const std::vector<int>& senders,
                           const std::vector<int>& receivers);

// The network with counts on its dyads, as if read with a response column named `response`:
// counts[k] is the count of the dyad senders[k] -> receivers[k] (node indices, 0-based;
// undirected either way round). Every link needs a count above 0 and every count above 0 must
// be a link; dyads not given count 0. `reference` as ReadOptions::reference (empty: not given).
// Throws ArgumentError for a negative count, a count of a pair given twice with two values, a
// self-pair, or counts that do not match the links.
Network with_counts(const Network& network, const std::string& response,
                    const std::vector<int>& senders, const std::vector<int>& receivers,
                    const std::vector<int>& counts, const std::string& reference = "");
// The network of counts with another reference measure (ReadOptions::reference).
Network with_reference(const Network& network, const std::string& reference);

struct Statistic {
  std::string name;
  double value = 0;
};

// The statistics of a statnet formula on the network, named as ergm names them.
std::vector<Statistic> summary(const Network& network, const std::string& formula);

}  // namespace tarnwick
