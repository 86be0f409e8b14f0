#include "network/network_format.h"

#include <array>
#include <utility>

#include "numeric/letter_case.h"

namespace tarn {

namespace {

constexpr std::array<std::pair<std::string_view, NetworkFormat>, 5> format_names = {{
    {"record", NetworkFormat::record},
    {"csv", NetworkFormat::csv},
    {"tsv", NetworkFormat::tsv},
    {"blank", NetworkFormat::blank},
    {"pajek", NetworkFormat::pajek},
}};

bool starts_any_case(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && same_text_any_case(text.substr(0, prefix.size()), prefix);
}

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// The lines of `text` with their leading blanks dropped, skipping empty lines and lines that
// begin with one of `comments`; calls `take` until it returns true.
template <typename Take>
void each_line(std::string_view text, std::string_view comments, Take take) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && is_blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && is_blank(line.back())) line.remove_suffix(1);
    if (line.empty() || comments.find(line.front()) != std::string_view::npos) continue;
    if (take(line)) return;
  }
}

std::optional<NetworkFormat> format_of_content(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n\f\v");
  if (first != std::string_view::npos && text[first] == '(') return NetworkFormat::record;
  std::optional<NetworkFormat> found;
  each_line(text, "%#", [&](std::string_view line) {
    for (std::string_view keyword : {"*vertices", "*arcs", "*edges", "*network"}) {
      if (starts_any_case(line, keyword)) found = NetworkFormat::pajek;
    }
    return true;
  });
  return found;
}

std::optional<NetworkFormat> format_of_extension(std::string_view file_name) {
  const std::size_t slash = file_name.find_last_of("/\\");
  if (slash != std::string_view::npos) file_name.remove_prefix(slash + 1);
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view extension = file_name.substr(dot + 1);
  const std::pair<std::string_view, NetworkFormat> extensions[] = {
      {"net", NetworkFormat::pajek}, {"paj", NetworkFormat::pajek}, {"csv", NetworkFormat::csv},
      {"tsv", NetworkFormat::tsv},   {"tab", NetworkFormat::tsv},
  };
  for (const auto& [name, format] : extensions) {
    if (same_text_any_case(extension, name)) return format;
  }
  return std::nullopt;
}

NetworkFormat format_of_first_data_line(std::string_view text) {
  NetworkFormat format = NetworkFormat::blank;
  each_line(text, "#", [&](std::string_view line) {
    if (line.find('\t') != std::string_view::npos) {
      format = NetworkFormat::tsv;
    } else if (line.find(',') != std::string_view::npos) {
      format = NetworkFormat::csv;
    }
    return true;
  });
  return format;
}

}  // namespace

std::optional<NetworkFormat> network_format_named(std::string_view name) {
  for (const auto& [known, format] : format_names) {
    if (same_text_any_case(name, known)) return format;
  }
  return std::nullopt;
}

std::string_view network_format_name(NetworkFormat format) {
  for (const auto& [name, known] : format_names) {
    if (known == format) return name;
  }
  return "record";
}

NetworkFormat detect_network_format(std::string_view file_name, std::string_view first_bytes) {
  if (first_bytes.substr(0, 3) == "\xEF\xBB\xBF") first_bytes.remove_prefix(3);
  if (const auto format = format_of_content(first_bytes)) return *format;
  if (const auto format = format_of_extension(file_name)) return *format;
  return format_of_first_data_line(first_bytes);
}

}  // namespace tarn
