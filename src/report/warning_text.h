#pragma once
// The words of every warning of the command line, made from its code and figures
// (network/warning.h) in this one place; the layers below give only codes and figures.

#include <ostream>
#include <string>
#include <vector>

#include "network/warning.h"
#include "report/fit_record.h"

namespace tarn {

// One or more sentences for `warning`, without a line end.
std::string warning_text(const Warning& warning);

std::vector<WordedWarning> worded(const std::vector<Warning>& warnings);

// Each warning on its own line of `err`, after "tarnwick: ".
void show_warnings(const std::vector<Warning>& warnings, std::ostream& err);

}  // namespace tarn
