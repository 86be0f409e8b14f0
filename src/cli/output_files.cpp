#include "cli/output_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "cli/command_errors.h"
#include "cli/interrupt_cleanup.h"

namespace tarn {

namespace fs = std::filesystem;

namespace {

std::string reason() {
  return errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string();
}

std::string reason_of(const std::error_code& ec) {
  return ec ? " (" + ec.message() + ")" : std::string();
}

// A path that names a file the process has open (/dev/stdout, /proc/self/fd/1): its links are
// the kernel's, not the file system's, and it is written in place.
bool names_an_open_file(const fs::path& path) {
  const std::string text = path.string();
  return text.starts_with("/proc/") || text.starts_with("/dev/fd/");
}

// The file a path stands for: a symbolic link followed to the file it names (which need not
// exist yet); the path itself when it leads to a file the process has open.
fs::path followed(const std::string& path, const std::string& option) {
  fs::path target(path);
  std::error_code ec;
  for (int hops = 0; fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
    if (hops == 40) throw OutputFailed(option + " " + path + ": too many symbolic links");
    if (names_an_open_file(target)) return path;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) throw OutputFailed(option + " " + path + ": cannot be written" + reason_of(ec));
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

// The path as the file system resolves it, so that two spellings of one file compare equal.
std::string resolved(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  if (ec) return path.lexically_normal().string();
  const fs::path canonical = fs::weakly_canonical(absolute, ec);
  return (ec ? absolute.lexically_normal() : canonical).string();
}

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool equal = fs::equivalent(a, b, ec);
  return ec ? resolved(a) == resolved(b) : equal;
}

std::string temporary_beside(const fs::path& target) {
  return (target.parent_path() / ("." + target.filename().string() + ".tarnwick-" +
                                  std::to_string(static_cast<long>(getpid())) + ".tmp"))
      .string();
}

// Writes `text` to the existing file `path` (a device, a FIFO, a file the process has open) as it
// is: appended, never truncated.
void write_directly(const std::string& path, const std::string& text, const std::string& option) {
  errno = 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) throw OutputFailed(option + " " + path + ": cannot be written" + reason());
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const std::string why = reason();
      ::close(fd);
      throw OutputFailed(option + " " + path + ": the write failed" + why +
                         "; the output is incomplete");
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    throw OutputFailed(option + " " + path + ": the write failed" + reason());
  }
}

// Whether `name` is prefix, digits, suffix.
bool of_series_form(const std::string& name, const FileSeries& s) {
  if (name.size() <= s.prefix.size() + s.suffix.size() || !name.starts_with(s.prefix) ||
      !name.ends_with(s.suffix)) {
    return false;
  }
  for (std::size_t k = s.prefix.size(); k < name.size() - s.suffix.size(); ++k) {
    if (name[k] < '0' || name[k] > '9') return false;
  }
  return true;
}

}  // namespace

struct OutputFiles::Output {
  std::string path, option;
  fs::path target;        // the file replaced: the path, or the file its link names
  std::string temporary;  // empty for standard output and direct outputs
  bool direct = false;    // an existing file that is not a regular file: written in place
  std::unique_ptr<std::ofstream> file;
  std::unique_ptr<std::ostringstream> buffered;  // for standard output and direct outputs
  bool renamed = false;
  int ticket = -1;
};

struct OutputFiles::Series {
  FileSeries files;
  std::string option, staging;
  std::filesystem::path folder;  // the series' folder, without a trailing separator
  bool replace = false;
  std::vector<fs::path> old_files;  // of the series' form, removed at commit
  int ticket = -1;
};

std::string FileSeries::name(int k) const {
  const std::string number = std::to_string(k);
  const std::size_t pad =
      static_cast<std::size_t>(width) > number.size() ? width - number.size() : 0;
  return prefix + std::string(pad, '0') + number + suffix;
}

OutputFiles::OutputFiles(std::ostream& standard_output, bool writes)
    : standard_output_(standard_output), writes_(writes) {
  interrupt_cleanup::install();
}

OutputFiles::~OutputFiles() {
  for (const auto& output : outputs_) interrupt_cleanup::drop(output->ticket);
  for (const auto& series : series_) interrupt_cleanup::drop(series->ticket);
  if (committed_) return;
  for (const auto& output : outputs_) {
    output->file.reset();
    if (!output->temporary.empty() && !output->renamed) std::remove(output->temporary.c_str());
  }
  std::error_code ec;
  for (const auto& series : series_) fs::remove_all(series->staging, ec);
  // Children before their parents; a folder that holds anything else stays.
  for (auto folder = folders_made_.rbegin(); folder != folders_made_.rend(); ++folder) {
    fs::remove(*folder, ec);
  }
}

void OutputFiles::add_input(const std::string& path, const std::string& option) {
  if (path.empty()) return;
  inputs_.emplace_back(path, option);
  for (const auto& output : outputs_) {
    if (output->path != "-") check_not_an_input(output->target, output->path, output->option);
  }
}

void OutputFiles::check_not_an_input(const fs::path& target, const std::string& path,
                                     const std::string& option) const {
  std::error_code ec;
  if (!fs::exists(target, ec)) return;
  for (const auto& [input, input_option] : inputs_) {
    if (fs::equivalent(target, input, ec)) {
      throw tarnwick::ArgumentError(
          option + " " + path + ": this is the file that " + input_option + " reads (" + input +
          "); an output must not replace an input, give " + option + " another file");
    }
  }
}

OutputFiles::Output& OutputFiles::add(const std::string& path, const std::string& option) {
  auto output = std::make_unique<Output>();
  output->path = path;
  output->option = option;
  if (path != "-") {
    output->target = followed(path, option);
    std::error_code ec;
    const fs::file_status status = fs::status(output->target, ec);
    if (fs::is_directory(status)) {
      throw OutputFailed(option + " " + path + ": it is a folder, not a file");
    }
    check_not_an_input(output->target, path, option);
    // Written twice, the file would hold only the output renamed last.
    for (const auto& other : outputs_) {
      if (other->path != "-" && same_file(other->target, output->target)) {
        throw tarnwick::ArgumentError(option + " " + path + ": " + other->option + " writes " +
                                      other->path + " already; give every output its own file");
      }
    }
    output->direct = (fs::exists(status) && !fs::is_regular_file(status)) ||
                     (output->target == fs::path(path) &&
                      fs::is_symlink(fs::symlink_status(output->target, ec)));
    if (!output->direct) output->temporary = temporary_beside(output->target);
  }
  outputs_.push_back(std::move(output));
  return *outputs_.back();
}

std::ostream& OutputFiles::open(const std::string& path, const std::string& option) {
  Output& output = add(path, option);
  if (!writes_) output.temporary.clear(), output.direct = false;
  if (output.temporary.empty()) {
    output.buffered = std::make_unique<std::ostringstream>();
    return *output.buffered;
  }
  // Registered before it exists, so that no signal finds it made and unregistered.
  output.ticket = interrupt_cleanup::add_file(output.temporary.c_str());
  errno = 0;
  output.file = std::make_unique<std::ofstream>(output.temporary, std::ios::binary);
  if (!output.file->is_open()) {
    throw OutputFailed(option + " " + path + ": cannot be written" + reason());
  }
  return *output.file;
}

std::string OutputFiles::add_series(const FileSeries& files, const std::string& option,
                                    bool replace) {
  if (!writes_) throw std::logic_error("a series of files opened by a process that writes none");
  auto series = std::make_unique<Series>();
  series->files = files;
  series->option = option;
  series->replace = replace;
  fs::path folder = fs::path(files.folder).lexically_normal();
  if (folder.filename().empty()) folder = folder.parent_path();  // "sample/"
  series->folder = folder;
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
    throw OutputFailed(option + " " + files.folder + ": it is a file, not a folder");
  }
  for (const auto& output : outputs_) {
    if (output->path == "-" || !same_file(output->target.parent_path(), folder)) continue;
    if (of_series_form(output->target.filename().string(), files)) {
      throw tarnwick::ArgumentError(output->option + " " + output->path + ": " + option + " " +
                                    files.folder +
                                    " writes its files there; give every output its own file");
    }
  }
  if (fs::is_directory(folder, ec)) {
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      if (!replace) {
        throw tarnwick::ArgumentError(
            option + " " + files.folder + ": the folder is not empty (it holds " +
            entry.path().filename().string() +
            "); give an empty or new folder, or --overwrite to replace its " + files.prefix + "*" +
            files.suffix + " files");
      }
      if (!of_series_form(entry.path().filename().string(), files)) continue;
      check_not_an_input(entry.path(), entry.path().string(), option);
      series->old_files.push_back(entry.path());
    }
  }
  // The staging folder beside the folder, and any missing parents.
  std::vector<fs::path> missing;
  for (fs::path parent = folder.parent_path(); !parent.empty() && !fs::exists(parent, ec);
       parent = parent.parent_path()) {
    missing.push_back(parent);
  }
  series->staging = temporary_beside(folder);
  series_.push_back(std::move(series));
  Series& added = *series_.back();
  // Registered before the folder is made, as a file is.
  added.ticket = interrupt_cleanup::add_series(added.staging.c_str(), added.files.prefix.c_str(),
                                               added.files.suffix.c_str(), added.files.count,
                                               added.files.width);
  fs::create_directories(added.staging, ec);
  if (!fs::is_directory(added.staging, ec)) {
    throw OutputFailed(option + " " + files.folder + ": cannot be made a folder" + reason_of(ec));
  }
  folders_made_.insert(folders_made_.end(), missing.rbegin(), missing.rend());
  return added.staging;
}

void OutputFiles::commit_series(Series& series) {
  const fs::path& folder = series.folder;
  std::error_code ec;
  if (!fs::exists(folder, ec)) {
    fs::rename(series.staging, folder, ec);
    if (ec) {
      throw OutputFailed(series.option + " " + series.files.folder + ": cannot be written" +
                         reason_of(ec));
    }
    return;
  }
  for (const fs::path& old : series.old_files) fs::remove(old, ec);
  for (int k = 1; k <= series.files.count; ++k) {
    const std::string name = series.files.name(k);
    fs::rename(fs::path(series.staging) / name, folder / name, ec);
    if (ec) {
      throw OutputFailed(series.option + " " + series.files.folder + ": cannot write " + name +
                         reason_of(ec));
    }
  }
  fs::remove(series.staging, ec);
}

void OutputFiles::commit() {
  if (!writes_) {
    committed_ = true;
    return;
  }
  for (const auto& output : outputs_) {
    if (!output->file) continue;
    errno = 0;
    output->file->close();
    if (output->file->fail()) {
      throw OutputFailed(output->option + " " + output->path + ": the write failed" + reason() +
                         "; nothing was written");
    }
  }
  // Direct outputs before any rename: one that fails leaves the other files as they were.
  for (const auto& output : outputs_) {
    if (output->direct)
      write_directly(output->target.string(), output->buffered->str(), output->option);
  }
  for (const auto& output : outputs_) {
    if (output->temporary.empty()) continue;
    errno = 0;
    if (std::rename(output->temporary.c_str(), output->target.c_str()) != 0) {
      throw OutputFailed(output->option + " " + output->path + ": cannot be written" + reason());
    }
    output->renamed = true;
  }
  for (const auto& series : series_) commit_series(*series);
  for (const auto& output : outputs_) {
    if (output->path == "-") standard_output_ << output->buffered->str();
  }
  standard_output_.flush();
  committed_ = true;
}

}  // namespace tarn
