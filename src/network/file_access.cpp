#include "network/file_access.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "network/fatal_error.h"
#include "network/file_name.h"

namespace tarn {

namespace {

std::string describe(const std::string& name) {
  return name.empty() ? std::string("(an empty name)") : "\"" + name + "\"";
}

// What the system said about the last failed open, as " (No such file or directory)".
std::string reason() {
  const int error = errno;
  if (error == 0) return std::string();
  return " (" + std::string(std::strerror(error)) + ")";
}

}  // namespace

bool file_exists(std::string_view name_field) {
  std::string name = trimmed_name(name_field);
  if (name.empty()) return false;
  std::error_code ec;
  return std::filesystem::exists(name, ec);
}

bool is_folder(std::string_view name_field) {
  std::string name = trimmed_name(name_field);
  if (name.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(name, ec);
}

bool same_file(std::string_view name_field, std::string_view other_name_field) {
  std::string a = trimmed_name(name_field);
  std::string b = trimmed_name(other_name_field);
  if (a.empty() || b.empty()) return false;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

std::unique_ptr<std::istream> open_for_reading(std::string_view name_field) {
  std::string name = trimmed_name(name_field);
  std::error_code ec;
  if (std::filesystem::is_directory(name, ec)) {
    throw FatalError("Cannot read " + describe(name) + ": it is a folder, not a file.", {name});
  }
  // A device or a pipe could block, never end, or not go back to its start (the comparative
  // file is read again in every pass): only ordinary files are data files.
  const auto status = std::filesystem::status(name, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw FatalError("Cannot read " + describe(name) + ": it is not an ordinary file.", {name});
  }
  errno = 0;
  auto file = std::make_unique<std::ifstream>(name, std::ios::in | std::ios::binary);
  if (!file->is_open()) {
    throw FatalError("Cannot open " + describe(name) + " for reading" + reason() + ".", {name});
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
  errno = 0;
  if (!name.empty()) file->open(name, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file->is_open()) {
    throw FatalError("Cannot create output file " + describe(name) +
                     (name.empty() ? "" : reason()) + ".");
  }
  return file;
}

}  // namespace tarn
