#pragma once
// Output files that are never left half-written: each is written to a temporary file beside it
// and renamed over its name only when every output of the run is complete. "-" means standard
// output. The temporary files of the outputs opened with open() are created when the output is
// named, so that a path that cannot be written is reported before any work is done. A run that
// ends without commit() leaves nothing behind: no temporary file, no folder it made.

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace tarn {

class OutputFiles {
 public:
  explicit OutputFiles(std::ostream& standard_output) : standard_output_(standard_output) {}
  ~OutputFiles();  // removes the temporary files, and the folders made, of a run not committed
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // Opens the output for `path` ("-": standard output, written only at commit). `option` names
  // the option in messages. Throws UsageError when another output has the same path, and
  // OutputError when the file cannot be created.
  std::ostream& open(const std::string& path, const std::string& option);

  // An output that the caller writes itself: returns the name of the temporary file to write,
  // which the caller creates and closes before commit(). Nothing is created here. Throws
  // UsageError when another output has the same path.
  std::string add_file(const std::string& path, const std::string& option);

  // Makes the folder `path` and its missing parents; those it made are removed again when the
  // run is not committed. Throws OutputError when the folder cannot be made.
  void make_folder(const std::string& path, const std::string& option);

  // Flushes every output, renames each temporary file over its name, then writes what goes to
  // standard output. Throws OutputError (and removes what it could not finish) when a write
  // failed.
  void commit();

 private:
  struct Output {
    std::string path, temporary, option;
    std::unique_ptr<std::ofstream> file;           // for open(); null for add_file()
    std::unique_ptr<std::ostringstream> buffered;  // for standard output
    bool renamed = false;
  };
  Output& add(const std::string& path, const std::string& option);

  std::ostream& standard_output_;
  std::vector<std::unique_ptr<Output>> outputs_;
  std::map<std::string, std::size_t> outputs_by_file_;  // resolved path: index in outputs_
  std::vector<std::filesystem::path> folders_made_;     // parents before their children
  bool committed_ = false;
};

}  // namespace tarn
