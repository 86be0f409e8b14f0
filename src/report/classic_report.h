#pragma once
// The report of one fitted model in the fixed-width layout of the dialogue: the fit statistics,
// the classification table and the parameter table on the screen; the same with the model
// heading, the framed classification table and the correlations of the estimates in the output
// file, closed by a form-feed line.

#include <ostream>
#include <string_view>

#include "model/blocking.h"
#include "model/kernel_layout.h"
#include "mple/fit_result.h"
#include "mple/parameter_errors.h"
#include "tarnwick/results/estimate.h"

namespace tarn {

// The input files that the head lines of the output file name, in this order.
enum class InputFileRole { network, attributes, comparative };

// One head line of the output file: " Network file:   ", " Attribute file: " or
// " Comparative file: ", then the file's name as a field of 24 characters.
void write_input_file_line(InputFileRole role, std::string_view name, std::ostream& file);

// The report of `result`, on the screen and in the output file. The standard errors, Wald
// statistics and correlations are those of `errors`; when they are not the naive ones, a line under
// the parameter table names their method and settings.
void write_report(const KernelLayout& model, const Blocking& blocking, const FitResult& result,
                  const ParameterErrors& errors, std::ostream& screen, std::ostream& file);

// The output file of a fit of configuration types made through the library: the head lines of
// its input files, then the report (when the fit came to estimates).
void write_report_file(const tarnwick::Estimate& estimate, std::ostream& file);

// The same with the naive standard errors, as the dialogue reports every fit.
void write_report(const KernelLayout& model, const Blocking& blocking, const FitResult& result,
                  std::ostream& screen, std::ostream& file);

}  // namespace tarn
