#include "io/data_arguments.h"

#include <algorithm>

#include "network/setting_error.h"

namespace tarn {
std::optional<NetworkFormat> format_option(const std::string& text) {
  if (text.empty()) return std::nullopt;
  if (auto format = network_format_named(text)) return format;
  throw SettingError({"format"}, "{0=}" + text + ": give record, csv, tsv, blank or pajek");
}

HeaderRule header_option(const std::string& text) {
  if (text == "auto") return HeaderRule::detect;
  if (text == "yes") return HeaderRule::present;
  if (text == "no") return HeaderRule::absent;
  throw SettingError({"header"}, "{0=}" + text + ": give auto, yes or no");
}

// --columns SENDER,RECEIVER[,VALUE]: two or three names or numbers.
std::vector<std::string> columns_option(const std::string& text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  const bool empty_item =
      std::any_of(items.begin(), items.end(), [](const std::string& item) { return item.empty(); });
  if (items.size() < 2 || items.size() > 3 || empty_item) {
    throw SettingError({"columns"}, "{0=}" + text +
                                        ": give SENDER,RECEIVER or SENDER,RECEIVER,VALUE "
                                        "(header names or 1-based column numbers)");
  }
  return items;
}

std::vector<std::string> data_arguments(const StudyOptions& s) {
  std::vector<std::string> a;
  if (!s.network_path.empty()) a.push_back(s.network_path);
  const auto add = [&a](const char* option, const std::string& value) {
    a.push_back(option);
    a.push_back(value);
  };
  if (s.format) add("--format", std::string(network_format_name(*s.format)));
  if (s.header != HeaderRule::detect)
    add("--header", s.header == HeaderRule::present ? "yes" : "no");
  if (!s.columns.empty()) {
    std::string list;
    for (const std::string& c : s.columns) list += (list.empty() ? "" : ",") + c;
    add("--columns", list);
  }
  if (s.node_count > 0) add("--nodes", std::to_string(s.node_count));
  if (s.labels) a.push_back("--labels");
  if (s.diagonal) a.push_back("--diagonal");
  if (s.undirected) a.push_back("--undirected");
  if (s.bipartite > 0) add("--bipartite", std::to_string(s.bipartite));
  if (s.two_mode) a.push_back("--two-mode");
  if (!s.attributes_path.empty()) add("--attributes", s.attributes_path);
  if (s.attribute_count) add("--attribute-count", std::to_string(*s.attribute_count));
  if (!s.block_by.empty()) add("--block-by", s.block_by);
  if (!s.block_structure_path.empty()) add("--block-structure", s.block_structure_path);
  if (!s.covariate_path.empty()) add("--covariate", s.covariate_path);
  if (!s.missing_path.empty()) add("--missing", s.missing_path);
  if (!s.response.empty()) add("--response", s.response);
  if (!s.reference.empty()) add("--reference", s.reference);
  return a;
}

}  // namespace tarn
