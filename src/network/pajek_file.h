#pragma once
// Pajek .net files. Keywords in any case; lines beginning with % are comments.
//
//   *Network title      (optional, ignored)
//   *Vertices N         nodes 1..N (N within 0..2000)
//   *Vertices N N1      a two-mode network: nodes 1..N1 the first mode, N1+1..N the second
//   3 "Carol" 0.1 0.2   a vertex: number, then an optional label (the first field after the
//                       number, quoted or not); the rest of the line (coordinates, a shape,
//                       attributes such as networkx's `club "Mr. Hi"`) is ignored. A quoted
//                       label may hold quotes, as networkx writes them: "Carl "C" D" is
//                       Carl "C" D (it ends at the quote after which the line ends or a number
//                       follows).
//   *Arcs               i j [w]: the arc i -> j of weight w (1 when absent); more fields ignored
//   *Edges              i j [w]: the arcs i -> j and j -> i (one arc for an edge i i)
//   *Arcslist           i j1 j2 ...: the arcs i -> j1, i -> j2, ...
//   *Edgeslist          i j1 j2 ...: each as an edge
//
// Weights are numbers (network/delimited_text.h, decimal_number). In a network a weight of 0 is
// no arc, any other is one (its size is not used: the warning weights_read_as_ties counts those
// other than 1), and a negative weight is an error; *Edges gives the warning looks_undirected.
// Labels are kept when any vertex has one (a vertex without one is called by its number); node k is
// vertex k. Sections may repeat, except *Vertices, which must come first.

#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "network/labelled_network.h"

namespace tarn {

// Every arc is noted as a row (network/pair_rows.h): an arc given again with another weight ends
// the run; `undirected`: arcs i j and j i given with different weights are said. The arcs are
// stored as read.
// `limits`: the dialogue's capacities unless the command line gives its own.
LabelledNetwork read_pajek(std::istream& in, const std::string& file_name, bool undirected = false,
                           NetworkLimits limits = dialogue_limits);

struct PajekArc {
  int sender = 0;    // vertex 1..N
  int receiver = 0;  // vertex 1..N
  double value = 1;
  std::string_view weight_text;  // as written; empty when the arc has no weight
  long line = 0;
  int first_mode = 0;     // *Vertices n n1: nodes 1..n1 are the first mode; 0: one mode
  int sender_column = 1;  // of the vertex numbers in their line
  int receiver_column = 2;
  std::string_view sender_label;  // empty when the vertex has none
  std::string_view receiver_label;
};

struct PajekVertices {
  int count = 0;
  std::vector<std::string> labels;  // one per vertex when any has a label; else empty
  long lines = 0;                   // of the file
  bool has_edges = false;           // some arc came from *Edges or *Edgeslist
  int first_mode = 0;               // *Vertices n n1: n1; 0: one mode
};

// Reads a Pajek file, handing every arc (an edge as its two arcs) to `take` in file order. The
// weight is checked to be a number; `take` judges its value (column 3 of its line).
PajekVertices read_pajek_arcs(std::istream& in, const std::string& file_name,
                              const std::function<void(const PajekArc&)>& take,
                              int node_limit = max_nodes);

}  // namespace tarn
