#pragma once
// The options that name the data, shared by fit, simulate, gof and summary: the network and what
// the options add to it, as the command line gives them, and the StudyOptions they become; and
// the same as a list of arguments, which a fit's JSON keeps so that simulate --fit and gof --fit
// read the same data again.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "io/data_arguments.h"
#include "io/input_data.h"

namespace tarn {

struct DataOptions {
  std::string format, header = "auto", columns;
  int attribute_count = -1;
  int node_count = 0;

  // `network_required`: the network argument must be given (simulate and gof may take the data
  // from --fit instead, simulate an empty network of --nodes N).
  void add(CLI::App& command, StudyOptions& s, bool network_required = true);
  // Throws UsageError for a value that is none of those an option takes.
  void finish(StudyOptions& s) const;
};

// The data options of a list of data arguments (io/data_arguments.h). Throws UsageError for one
// that is not.
StudyOptions study_options_of(const std::vector<std::string>& arguments);

}  // namespace tarn
