#include "input/file_access.h"

#include <filesystem>
#include <system_error>

#include "input/console.h"
#include "store/fatal_error.h"

namespace tarn {

namespace {

std::string describe(const std::string& name) {
  return name.empty() ? std::string("(an empty name)") : "\"" + name + "\"";
}

}  // namespace

bool file_exists(std::string_view name_field) {
  std::string name = trimmed_name(name_field);
  if (name.empty()) return false;
  std::error_code ec;
  return std::filesystem::exists(name, ec);
}

std::unique_ptr<std::istream> open_for_reading(std::string_view name_field) {
  std::string name = trimmed_name(name_field);
  std::error_code ec;
  if (std::filesystem::is_directory(name, ec)) {
    throw FatalError("Cannot read " + describe(name) + ": it is a folder, not a file.");
  }
  auto file = std::make_unique<std::ifstream>(name, std::ios::in | std::ios::binary);
  if (!file->is_open()) {
    throw FatalError("Cannot open " + describe(name) + " for reading.");
  }
  return file;
}

std::unique_ptr<std::ofstream> open_for_writing(std::string_view name_field) {
  std::string name = trimmed_name(name_field);
  std::error_code ec;
  if (!name.empty() && std::filesystem::is_directory(name, ec)) {
    throw FatalError("Cannot create output file " + describe(name) +
                     ": it is a folder, not a file.");
  }
  auto file = std::make_unique<std::ofstream>();
  if (!name.empty()) file->open(name, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file->is_open()) {
    throw FatalError("Cannot create output file " + describe(name) + ".");
  }
  return file;
}

}  // namespace tarn
