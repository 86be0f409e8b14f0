#include "cli/output_files.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/usage_error.h"

namespace tarn {

namespace fs = std::filesystem;

namespace {

std::string reason() {
  return errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string();
}

// The path as the file system resolves it, so that two spellings of one file compare equal.
fs::path resolved(const std::string& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) return fs::path(path).lexically_normal();
  fs::path canonical = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : canonical;
}

}  // namespace

OutputFiles::~OutputFiles() {
  if (committed_) return;
  for (const auto& output : outputs_) {
    output->file.reset();
    if (!output->temporary.empty() && !output->renamed) std::remove(output->temporary.c_str());
  }
  // Children before their parents; a folder that holds anything else stays.
  for (auto folder = folders_made_.rbegin(); folder != folders_made_.rend(); ++folder) {
    std::error_code ec;
    fs::remove(*folder, ec);
  }
}

OutputFiles::Output& OutputFiles::add(const std::string& path, const std::string& option) {
  std::string file;
  if (path != "-") {
    // Written twice, the file would hold only the output renamed last.
    file = resolved(path).string();
    if (const auto named = outputs_by_file_.find(file); named != outputs_by_file_.end()) {
      const Output& other = *outputs_[named->second];
      throw UsageError(option + " " + path + ": " + other.option + " writes " + other.path +
                       " already; give every output its own file");
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      throw OutputError(option + " " + path + ": it is a folder, not a file");
    }
    outputs_by_file_.emplace(file, outputs_.size());
  }
  auto output = std::make_unique<Output>();
  output->path = path;
  output->option = option;
  if (path != "-") {
    const fs::path target(path);
    output->temporary =
        (target.parent_path() / ("." + target.filename().string() + ".tarnwick-" +
                                 std::to_string(static_cast<long>(getpid())) + ".tmp"))
            .string();
  }
  outputs_.push_back(std::move(output));
  return *outputs_.back();
}

std::ostream& OutputFiles::open(const std::string& path, const std::string& option) {
  Output& output = add(path, option);
  if (path == "-") {
    output.buffered = std::make_unique<std::ostringstream>();
    return *output.buffered;
  }
  errno = 0;
  output.file = std::make_unique<std::ofstream>(output.temporary, std::ios::binary);
  if (!output.file->is_open()) {
    throw OutputError(option + " " + path + ": cannot be written" + reason());
  }
  return *output.file;
}

std::string OutputFiles::add_file(const std::string& path, const std::string& option) {
  return add(path, option).temporary;
}

void OutputFiles::make_folder(const std::string& path, const std::string& option) {
  std::error_code ec;
  std::vector<fs::path> missing;
  for (fs::path folder = fs::path(path).lexically_normal();
       !folder.empty() && !fs::exists(folder, ec); folder = folder.parent_path()) {
    missing.push_back(folder);
  }
  fs::create_directories(path, ec);
  if (!fs::is_directory(path, ec)) {
    throw OutputError(option + " " + path + ": cannot be made a folder");
  }
  folders_made_.insert(folders_made_.end(), missing.rbegin(), missing.rend());
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
  // Every file first: a rename that fails leaves standard output unwritten.
  for (const auto& output : outputs_) {
    if (output->temporary.empty()) continue;
    errno = 0;
    if (std::rename(output->temporary.c_str(), output->path.c_str()) != 0) {
      throw OutputError(output->option + " " + output->path + ": cannot be written" + reason());
    }
    output->renamed = true;
  }
  for (const auto& output : outputs_) {
    if (output->buffered) standard_output_ << output->buffered->str();
  }
  standard_output_.flush();
  committed_ = true;
}

}  // namespace tarn
