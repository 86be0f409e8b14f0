#pragma once
// What the terms of two-mode networks share: the nodes of one mode, the refusal of a network of
// one mode, an attribute's levels among one mode's nodes, and the families' entries.

#include <span>
#include <string>
#include <vector>

#include "terms/attribute_levels.h"
#include "terms/term_table.h"

namespace tarn {

// The nodes of one mode: 1..first (mode 1) or first+1..n (mode 2).
struct Mode {
  int mode = 1;
  int first = 0;  // N1
  bool holds(int node) const { return (node <= first) == (mode == 1); }
  std::string prefix() const { return mode == 1 ? "b1" : "b2"; }
  Mode other() const { return Mode{3 - mode, first}; }
};

// The mode of a b1 or b2 term; ModelError naming it on a network of one mode.
Mode mode_of(const TermCall& call, const TermContext& context, int mode);

// The levels of an attribute among the nodes of one mode, and each node's level (-1: a node of
// the other mode).
struct ModeLevels {
  Levels levels;
  std::vector<int> of_node;  // node i at i - 1
};
ModeLevels mode_levels(const AttributeColumn& column, const TermContext& context, Mode mode);

// The families of two-mode terms beside bipartite_term_entries().
std::span<const TermEntry> bipartite_match_term_entries();    // b1nodematch, b2nodematch
std::span<const TermEntry> bipartite_partner_term_entries();  // b1dsp, gwb1dsp, ...
std::span<const TermEntry> bipartite_mixing_term_entries();   // b1twostar, b1starmix, ...

}  // namespace tarn
