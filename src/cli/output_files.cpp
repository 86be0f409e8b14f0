#include "cli/output_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "cli/usage_error.h"

namespace tarn {

namespace {

std::string reason() {
  return errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string();
}

}  // namespace

OutputFiles::~OutputFiles() {
  if (committed_) return;
  for (const auto& output : outputs_) {
    if (output->file) {
      output->file.reset();
      std::remove(output->temporary.c_str());
    }
  }
}

std::ostream& OutputFiles::open(const std::string& path, const std::string& option) {
  auto output = std::make_unique<Output>();
  output->path = path;
  output->option = option;
  if (path == "-") {
    output->buffered = std::make_unique<std::ostringstream>();
    outputs_.push_back(std::move(output));
    return *outputs_.back()->buffered;
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw OutputError(option + " " + path + ": it is a folder, not a file");
  }
  const std::filesystem::path target(path);
  output->temporary =
      (target.parent_path() / ("." + target.filename().string() + ".tarnwick-" +
                               std::to_string(static_cast<long>(getpid())) + ".tmp"))
          .string();
  errno = 0;
  output->file = std::make_unique<std::ofstream>(output->temporary, std::ios::binary);
  if (!output->file->is_open()) {
    throw OutputError(option + " " + path + ": cannot be written" + reason());
  }
  outputs_.push_back(std::move(output));
  return *outputs_.back()->file;
}

void OutputFiles::commit() {
  for (const auto& output : outputs_) {
    if (!output->file) continue;
    errno = 0;
    output->file->close();
    if (output->file->fail()) {
      throw OutputError(output->option + " " + output->path + ": the write failed" + reason() +
                        "; nothing was written");
    }
  }
  for (const auto& output : outputs_) {
    if (output->buffered) {
      standard_output_ << output->buffered->str();
      continue;
    }
    errno = 0;
    if (std::rename(output->temporary.c_str(), output->path.c_str()) != 0) {
      throw OutputError(output->option + " " + output->path + ": cannot be written" + reason());
    }
    output->file.reset();
  }
  standard_output_.flush();
  committed_ = true;
}

}  // namespace tarn
