#pragma once
// The options that name the data, shared by fit, simulate, gof and summary: the network and what
// the options add to it, as the command line gives them, and the library's ReadOptions they
// become; and the same from a list of arguments, which a fit's JSON keeps so that simulate --fit
// and gof --fit read the same data again.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "tarnwick/network.h"

namespace tarn {

struct DataOptions {
  std::string columns;
  int node_count = 0;

  // `network_required`: the network argument must be given (simulate and gof may take the data
  // from --fit instead, simulate an empty network of --nodes N).
  void add(CLI::App& command, tarnwick::ReadOptions& r, bool network_required = true);
  // Throws ArgumentError for a value that is none of those an option takes.
  void finish(tarnwick::ReadOptions& r) const;
};

// The data options of a list of data arguments. Throws ArgumentError for one that is not.
tarnwick::ReadOptions read_options_of(const std::vector<std::string>& arguments);

}  // namespace tarn
