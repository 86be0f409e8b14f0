#pragma once
// Records on the heap, a console on strings, and the link store built from sorted links.

#include <initializer_list>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "input/data_file.h"
#include "input/io.h"
#include "input/link_store.h"
#include "store/records.h"

namespace tarn::test {

using LinkList = std::vector<std::pair<int, int>>;

struct World {
  explicit World(const LinkList& links = {}) { build_link_store(rec, links); }

  std::unique_ptr<Records> owned = std::make_unique<Records>();
  Records& rec = *owned;
  std::istringstream keyboard;
  std::ostringstream screen;
  Io io{keyboard, screen};

  int n() const { return rec.nodes.node_count; }
  int stat(int j, int column) const { return rec.stats.change_stat(j, column); }
  int tie(int j) const { return rec.data.tie_row(j); }

  // Switches on the types of a model (1..16) and the types they are built from, and sets
  // triad_out_only, as the parameter selection leaves them.
  void select_types(std::span<const int> types) {
    auto& on = rec.flags.type_on;
    for (int t = 1; t <= 16; ++t) on(t) = 0;
    for (int t : types) on(t) = 1;
    if (on(5) || on(8) || on(9) || on(10)) on(2) = 1;
    const bool out_only = on(15) && !on(6) && !on(11) && !on(12) && !on(13) && !on(14);
    if (on(11) || on(12) || on(13) || on(14) || on(15)) on(2) = on(6) = 1;
    if (on(13)) on(7) = 1;
    on(1) = out_only ? 1 : 0;
  }
  void select_types(std::initializer_list<int> types) {
    select_types(std::span<const int>(types.begin(), types.size()));
  }
  void select_all_types() { select_types({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}); }

  // A comparative network file (record-format line first), open as unit 7.
  void open_comparative(const std::string& text, const std::string& name = "compar.dat") {
    io.comparative =
        std::make_unique<DataFile>(std::make_unique<std::istringstream>(text), name_field(name));
  }
};

}  // namespace tarn::test
