#pragma once
// The report of a classic fit in the dialogue's fixed-width layout: the fit statistics, the
// classification table and the parameter table for the screen; the same with the model heading,
// the framed classification table and the correlations of the estimates for the output file,
// closed by a form-feed line. The output file begins with a head line per input file.

#include <cstdint>
#include <string>
#include <string_view>

#include "tarnwick/classic/fit.h"

namespace tarnwick {

enum class ClassicInputRole { network, attributes, comparative };

// The head line of the output file for one input file: " Network file:   ",
// " Attribute file: " or " Comparative file: ", the 24-character name field, a line end.
std::string classic_input_file_line(ClassicInputRole role, std::string_view name_field);

struct ClassicReport {
  std::string screen;
  std::string file;  // the output file's part
};

// The report of a completed fit; ArgumentError for a fit that did not complete.
ClassicReport classic_report(const ClassicFit& fit);

// The report's whole-number field: right-aligned in `width` columns, asterisks when the value
// does not fit. For front ends that word their own lines in the report's layout.
std::string classic_int_field(std::int64_t value, int width);

}  // namespace tarnwick
