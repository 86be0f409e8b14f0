#pragma once
// The report of one fitted model, written to any pair of streams: the screen part and the
// output-file part. output() hands it the console and the output file.

#include <ostream>

#include "store/records.h"

namespace tarn {

// The name of every parameter in the report: its configuration type and its block-type number
// (0 for a global parameter).
struct ParamLabels {
  Vec<int16, max_params> type;
  Vec<int16, max_params> block;
  bool has_block_parameter = false;
};

// Walks the parameter list, counting the places of each block-parameter group in turn.
ParamLabels parameter_labels(const Records& rec);

void write_report(const Records& rec, std::ostream& screen, std::ostream& file,
                  const ParamVector& estimate, const ParamMatrix& covariance,
                  int32 too_many_iterations);

}  // namespace tarn
