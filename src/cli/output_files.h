#pragma once
// Output files that are never left half-written: each is written to a temporary file beside the
// file it replaces and renamed over it only when every output of the run is complete. "-" means
// standard output. A symbolic link is followed: the file it names is replaced and the link stays.
// A path that exists and is not a regular file (a device such as /dev/null, a FIFO) is written
// directly, at commit, without a temporary file. No output may be an input file of the run
// (compared as files, not as spellings). A run that ends without commit() leaves nothing behind:
// no temporary file, no folder it made, also when SIGINT or SIGTERM ends it
// (interrupt_cleanup.h).

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace tarn {

// A folder of numbered files, prefix + k + suffix (k = 1..count, zero-padded to `width`).
struct FileSeries {
  std::string folder, prefix, suffix;
  int count = 0, width = 0;
  std::string name(int k) const;  // the name of file k, without the folder
};

class OutputFiles {
 public:
  // `writes` false: a process of an MPI job other than the one that writes the results; the
  // outputs are checked as they are everywhere, and nothing is made or written.
  explicit OutputFiles(std::ostream& standard_output, bool writes = true);
  ~OutputFiles();  // removes the temporary files, and the folders made, of a run not committed
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // An input file of the run, read for `option`. Throws ArgumentError when an output is that file.
  void add_input(const std::string& path, const std::string& option);

  // Opens the output for `path` ("-": standard output, written only at commit). `option` names
  // the option in messages. Throws ArgumentError when another output or an input is that file, and
  // OutputFailed when the file cannot be created.
  std::ostream& open(const std::string& path, const std::string& option);

  // The files of `series`, written by the caller into the staging folder returned (made beside
  // the series' folder, with its missing parents) and moved into their folder at commit. A
  // folder that holds anything is refused (ArgumentError) unless `replace`; then the files of the
  // series' form that it holds (prefix, digits, suffix) are removed at commit and other files
  // stay. Throws OutputFailed when the folder cannot be made.
  std::string add_series(const FileSeries& series, const std::string& option, bool replace);

  // Writes every output in place: checks the temporary files, writes the direct ones, renames
  // each temporary file over its target, then writes what goes to standard output. Throws
  // OutputFailed when a write failed; the outputs not yet in place are then removed.
  void commit();

 private:
  struct Output;
  struct Series;
  Output& add(const std::string& path, const std::string& option);
  void check_not_an_input(const std::filesystem::path& target, const std::string& path,
                          const std::string& option) const;
  void commit_series(Series& series);

  std::ostream& standard_output_;
  std::vector<std::pair<std::string, std::string>> inputs_;  // path, option
  std::vector<std::unique_ptr<Output>> outputs_;
  std::vector<std::unique_ptr<Series>> series_;
  std::vector<std::filesystem::path> folders_made_;  // parents before their children
  bool committed_ = false;
  bool writes_ = true;
};

}  // namespace tarn
