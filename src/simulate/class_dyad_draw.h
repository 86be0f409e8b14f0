#pragma once
// The dyad draw of a network too large for a table of its dyads, weighted by classes: when every
// dyad-independent term has a form by node classes (mple/pair_layout.h), a dyad's weight depends
// only on its cell, the classes of its two nodes and the match keys on which they agree. The draw
// takes a cell by its weight times its number of dyads, then a dyad of the cell uniformly: a group
// of nodes agreeing on the cell's keys by its number of pairs, a node of each class in it, drawn
// again until the two nodes differ and agree on exactly those keys. A homophily model of 10^5
// nodes in departments of 50 then proposes a dyad within a department about as often as its
// weight says, not once in 2000.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "mple/pair_layout.h"
#include "model/study.h"
#include "simulate/alias_table.h"
#include "simulate/random_stream.h"

namespace tarn {

// The most entries (node places and groups of cells) the draw keeps: 256 MB at most.
inline constexpr std::int64_t most_cell_entries = std::int64_t{1} << 26;

class ClassDyadDraw {
 public:
  // The cells of the study's ordered pairs of distinct nodes; none when a dyad-independent term
  // has no form, names dyads of its own (an edge covariate), or the cells and their groups would
  // take more than most_cell_entries entries.
  static std::optional<ClassDyadDraw> of(const Study& study);

  struct Cell {
    std::vector<double> change;  // every statistic's change (dyad-independent terms; others 0)
    std::int64_t pairs = 0;      // ordered pairs of distinct nodes in the cell
  };
  const std::vector<Cell>& cells() const { return cells_; }

  // The cells weighted (weight[c] per pair of cell c), before draw.
  void weigh(const std::vector<double>& weight);
  // The expected draws of node pairs per dyad drawn, once weighed.
  double expected_tries() const { return expected_tries_; }
  std::pair<int, int> draw(RandomStream& random) const;

 private:
  struct Group {  // the members of a cell's two classes within one group, in members_
    std::uint32_t first = 0, first_size = 0, second = 0, second_size = 0;
  };
  struct CellGroups {             // how a dyad of a cell is drawn
    std::int64_t pattern = 0;     // the keys its nodes agree on
    std::int64_t candidates = 0;  // ordered pairs its groups hold, before the rejections
    std::size_t first_group = 0;  // its groups in group_
    AliasTable group_draw;
  };

  std::vector<Cell> cells_;
  std::vector<CellGroups> cell_groups_;
  std::vector<Group> group_;
  std::vector<int> members_;  // nodes sorted by (group, class), per pattern
  // The terms' forms, shared by the copies of the draw, and the match keys pointing into them.
  std::shared_ptr<const Forms> forms_;
  MatchKeys match_;
  AliasTable cell_draw_;
  double expected_tries_ = 1.0;
};

}  // namespace tarn
