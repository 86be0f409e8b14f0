#pragma once
// The data options as text, both ways: the values of --format, --header and --columns read, and
// the arguments that give a study's data again (the network, then the options that differ from
// their defaults), which a fit's JSON keeps so that simulate --fit and gof --fit read the same
// data again.

#include <optional>
#include <string>
#include <vector>

#include "io/input_data.h"
#include "network/edge_rows.h"
#include "network/network_format.h"

namespace tarn {

// Each throws UsageError naming its option for a value it does not take; empty text is the
// default (detected format, no columns).
std::optional<NetworkFormat> format_option(const std::string& text);
HeaderRule header_option(const std::string& text);
// SENDER,RECEIVER[,VALUE]: two or three names or numbers.
std::vector<std::string> columns_option(const std::string& text);

std::vector<std::string> data_arguments(const StudyOptions& s);

}  // namespace tarn
