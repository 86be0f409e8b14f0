#pragma once
// The data of one command as its files give them: the network, and what the options add to it
// (attributes and blocking, the covariate network), read from the files the options name, in the
// formats people have. A Study (model/study.h) is built from them and a model.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/blocking.h"
#include "model/model.h"
#include "network/comparative_network.h"
#include "network/dyad_values.h"
#include "network/edge_list_file.h"
#include "network/edge_rows.h"
#include "network/missing_dyads.h"
#include "network/network.h"
#include "network/network_format.h"
#include "network/node_attributes.h"
#include "network/node_covariates.h"
#include "network/node_labels.h"
#include "network/warning.h"
#include "terms/valued_graph.h"

namespace tarn {

// A file read, with its role and the format it was read in.
struct InputFileRecord {
  std::string role;  // network, attributes, covariate, block_structure
  std::string path;
  std::string format;  // record, csv, tsv, blank, pajek, matrix
};

struct StudyOptions {
  std::string network_path;
  std::optional<NetworkFormat> format;  // of the network and covariate files; detected when absent
  // Of the attribute table; detected when absent (a table built in memory says csv: a one-column
  // table of labels with blanks would look blank-separated).
  std::optional<NetworkFormat> attributes_format;
  HeaderRule header = HeaderRule::detect;
  std::vector<std::string> columns;  // --columns of an edge list; empty: from its header
  int node_count = 0;                // --nodes N of an edge list; 0: from its labels
  bool labels = false;               // --labels: an edge list's numbers are labels too
  bool diagonal = false;
  // The network is undirected: the rows i,j and j,i are one edge (network/undirected_network.h).
  bool undirected = false;
  // --bipartite N1: a two-mode network, nodes 1..N1 the first mode (implies undirected); 0: one
  // mode unless a Pajek file's *Vertices n n1 says otherwise.
  int bipartite = 0;
  // --two-mode: an edge list's senders name the first mode's nodes and its receivers the
  // second's, by label, each mode its own labels (network/two_mode_names.h); implies undirected.
  bool two_mode = false;
  std::string attributes_path;
  std::optional<int> attribute_count;
  std::string block_by;  // an attribute's number or column name
  std::string block_structure_path;
  std::string covariate_path;
  std::string missing_path;  // --missing: an edge list of the dyads not observed
  // --response: an edge list's column of counts (a header's name or a 1-based number); the
  // network's links are then the dyads of non-zero count, and InputData::counts the counts.
  std::string response;
  // --reference: the reference measure of a model of counts, as ergm writes it (Poisson,
  // Binomial(trials=2), ...); empty: not given. Read by the model, not here.
  std::string reference;
  // The network's and the attribute table's content when they are held in memory (built from
  // arrays), read as their files would be; the paths then only name them.
  std::shared_ptr<const std::string> network_text, attributes_text;

  // Every file these options read, with its option: no output may replace one of them.
  std::vector<std::pair<std::string, std::string>> input_files() const;
};

struct InputData {
  Network network;
  NodeLabels labels;
  bool include_diagonal = false;
  bool directed = true;  // false: the network holds each edge once, as a->b with a < b
  std::optional<NodeAttributes> attributes;
  std::vector<std::string> attribute_names;  // from a header line; empty for a record file
  NodeCovariates covariates;                 // the attribute values as written, for the terms
  Blocking blocking;                         // attribute 0: no blocking
  std::optional<DyadBlocks> blocks;
  std::optional<ComparativeNetwork> comparative;
  std::vector<InputFileRecord> files;
  // Dyadic covariates given by name (a matrix from Python), which edgecov and its kin read before
  // any file of that name.
  std::vector<std::pair<std::string, std::shared_ptr<const DyadValues>>> named_covariates;
  // The dyads not observed (network/missing_dyads.h), sorted; undirected (i, j) with i < j. None
  // is a link.
  std::vector<std::pair<int, int>> missing_dyads;
  // With --response: every dyad's count (the links are the non-zero ones), and the column's name.
  std::shared_ptr<const ValuedGraph> counts;
  std::string response;
  // What the user is told about the data: nodes without attribute values or block, rows for
  // nodes not in the network, and what the readers noticed.
  std::vector<Warning> notes;

  std::string blocking_attribute_name() const;
};

// Reads every file the options name. Throws FatalError for a file that cannot be read or is not
// valid, UsageError for options that do not fit the data (a blocking attribute that does not
// exist, say) or each other (--diagonal with --undirected). One file gives one network: a link
// given on several rows is one link (repeated_rows_merged; rows of one pair with different values
// are refused), and self-links are left out (self_links_left_out) unless --diagonal makes the
// self-pairs dyads of a directed network.
InputData load_input_data(const StudyOptions& options);

}  // namespace tarn
