#pragma once
// The words of every warning of the command line, made from its code and figures
// (network/warning.h) in this one place; the layers below give only codes and figures.

#include <ostream>
#include <string>
#include <vector>

#include "network/warning.h"
#include "tarnwick/results/warning.h"

namespace tarn {

// One or more sentences for `warning`, without a line end.
std::string warning_text(const Warning& warning);

// The warnings as the results hold them: code, words, what gave them (`about`) and figures.
std::vector<tarnwick::WarningRecord> worded(const std::vector<Warning>& warnings,
                                            const std::string& about);

}  // namespace tarn
