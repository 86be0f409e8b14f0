#pragma once
// The core's values as the library's: warnings worded as the command line words them, numbers
// as the comma lists that the core's option readers take, and the cancel flag.

#include <string>
#include <vector>

#include "network/warning.h"
#include "tarnwick/work.h"

namespace tarn {

std::vector<tarnwick::WarningRecord> records_of(const std::vector<Warning>& warnings,
                                                const std::string& about);

// Each value in a form that reads back to the same double.
std::string comma_list(const std::vector<double>& values);

// Throws Cancelled when the progress asks for it.
void check_cancel(const tarnwick::Progress& progress);

}  // namespace tarn
